#pragma once
// The control's properties as a byte stream of our own, for containers that
// persist through streams or storages instead of a property bag.
//
// Layout, little-endian:
//   header  "PZPS", u16 version (1), u16 flags (0), u32 total length in bytes
//           (header included), u32 entry count
//   entry   u16 key length in UTF-16 units (1..kMaxPropertyKeyLength), the key,
//           u8 type tag, then the value:
//             1 string  u32 length in UTF-16 units, the text
//             2 single  4-byte IEEE float
//             3 bool    one byte, 0 or 1
//             4 int16   2 bytes
// The decoder accepts exactly this: anything truncated, longer than its
// header says, with unknown tags or values, duplicate keys or limits exceeded
// is refused as a whole.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "component/persist/MemoryPropertyBag.h"

namespace pelzorvick {

inline constexpr std::size_t kPropertyStreamHeaderSize = 16;
inline constexpr uint16_t kPropertyStreamVersion = 1;
inline constexpr uint32_t kMaxPropertyStreamSize = 16u << 20;
inline constexpr std::size_t kMaxPropertyCount = 1024;
inline constexpr std::size_t kMaxPropertyKeyLength = 256;

// Throws the overflow error when the bag exceeds a limit above or holds an
// empty key, so that whatever is written can be read back.
std::vector<uint8_t> EncodePropertyStream(const MemoryPropertyBag& bag);

// The whole stream, header included; empty when it is not a valid stream.
std::optional<MemoryPropertyBag> DecodePropertyStream(std::span<const uint8_t> data);

// For readers of a stream of unknown length: given the first
// kPropertyStreamHeaderSize bytes, the total length to read (within
// kMaxPropertyStreamSize), or empty when the header is no valid one.
std::optional<uint32_t> PropertyStreamTotalLength(std::span<const uint8_t> header);

}  // namespace pelzorvick
