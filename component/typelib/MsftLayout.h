#pragma once
// The layout of an MSFT type library (what widl writes and the registration
// reads), shared by the build tools that read it: the patch step that
// completes it and the packaging tool that lists its facts. Header-only, as
// both are built for the build machine by a bare compiler call.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelzorvick::msft {

inline constexpr uint32_t kMagic = 0x5446534D;  // "MSFT"
inline constexpr uint32_t kNone = 0xFFFFFFFF;
inline constexpr size_t kHeaderSize = 0x54;
inline constexpr size_t kHeaderLibGuid = 0x08;
inline constexpr size_t kHeaderLcid = 0x0C;
inline constexpr size_t kHeaderVarFlags = 0x14;  // syskind (low bits), flags
inline constexpr size_t kHeaderVersion = 0x18;   // major (low), minor (high)
inline constexpr size_t kHeaderLibFlags = 0x1C;
inline constexpr size_t kHeaderTypeInfoCount = 0x20;
inline constexpr size_t kHeaderHelpString = 0x24;
inline constexpr size_t kHeaderNameCount = 0x30;
inline constexpr size_t kHeaderNameChars = 0x34;
inline constexpr uint32_t kHasHelpDll = 0x100;  // varflags: one more header word
inline constexpr size_t kSegmentCount = 15;
inline constexpr size_t kSegmentSize = 16;
inline constexpr size_t kTypeInfoSegment = 0;
inline constexpr size_t kGuidSegment = 5;
inline constexpr size_t kNameSegment = 7;
inline constexpr size_t kStringSegment = 8;
inline constexpr size_t kGuidEntrySize = 24;  // GUID, hreftype, next hash
inline constexpr size_t kNameEntryHeader = 12;  // hreftype, next hash, length
inline constexpr size_t kRecordSize = 0x64;
inline constexpr size_t kRecordKind = 0x00;  // low four bits
inline constexpr size_t kRecordGuid = 0x2C;
inline constexpr size_t kRecordFlags = 0x30;
inline constexpr size_t kRecordName = 0x34;

// Little-endian reads that refuse to run past the end.
class Bytes {
 public:
  explicit Bytes(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}

  uint32_t Word(size_t at) const {
    Need(at, 4);
    return uint32_t(bytes_[at]) | uint32_t(bytes_[at + 1]) << 8 |
           uint32_t(bytes_[at + 2]) << 16 | uint32_t(bytes_[at + 3]) << 24;
  }
  uint16_t Half(size_t at) const {
    Need(at, 2);
    return uint16_t(bytes_[at] | bytes_[at + 1] << 8);
  }
  std::string Chars(size_t at, size_t n) const {
    Need(at, n);
    return std::string(bytes_.begin() + at, bytes_.begin() + at + n);
  }
  void Need(size_t at, size_t n) const {
    if (at > bytes_.size() || n > bytes_.size() - at) {
      throw std::runtime_error("type library is truncated");
    }
  }

 private:
  const std::vector<unsigned char>& bytes_;
};

// Where the header says the type infos and the segments are.
struct Directory {
  uint32_t count = 0;     // type infos
  size_t offsets = 0;     // their record offsets, one word each
  size_t segments = 0;    // the segment table

  explicit Directory(const Bytes& b) {
    if (b.Word(0) != kMagic) throw std::runtime_error("not an MSFT type library");
    count = b.Word(kHeaderTypeInfoCount);
    if (count > 0x10000) throw std::runtime_error("implausible type info count");
    offsets = kHeaderSize + ((b.Word(kHeaderVarFlags) & kHasHelpDll) ? 4 : 0);
    segments = offsets + 4 * size_t(count);
    b.Need(segments, kSegmentCount * kSegmentSize);
  }

  size_t SegmentEntry(size_t segment) const { return segments + segment * kSegmentSize; }
};

}  // namespace pelzorvick::msft
