#pragma once
// BMP files for the picture tests, written byte by byte so that the bytes
// are the same whoever builds them.

#include <cstdint>
#include <string>
#include <string_view>

namespace pelzorvick::test {

// Bytes of one row of `width` pixels at `bits` each, padded to four.
inline int BmpStride(int width, int bits) { return (width * bits + 31) / 32 * 4; }

// A bottom-up, uncompressed BMP at 96 dots per inch: the headers, then the
// palette (four bytes an entry) and the rows (BmpStride bytes each) as given.
inline std::string BmpFile(int width, int height, int bits, std::string_view palette,
                           std::string_view rows) {
  std::string bmp;
  auto u16 = [&](uint32_t v) {
    bmp.push_back(static_cast<char>(v & 0xFF));
    bmp.push_back(static_cast<char>((v >> 8) & 0xFF));
  };
  auto u32 = [&](uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  const uint32_t offset = 14 + 40 + static_cast<uint32_t>(palette.size());
  bmp += "BM";
  u32(offset + static_cast<uint32_t>(rows.size()));
  u32(0);
  u32(offset);
  u32(40);
  u32(static_cast<uint32_t>(width));
  u32(static_cast<uint32_t>(height));
  u16(1);
  u16(static_cast<uint32_t>(bits));
  u32(0);
  u32(static_cast<uint32_t>(rows.size()));
  u32(3780);
  u32(3780);
  u32(0);
  u32(0);
  bmp += palette;
  bmp += rows;
  return bmp;
}

}  // namespace pelzorvick::test
