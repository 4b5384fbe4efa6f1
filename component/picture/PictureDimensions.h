#pragma once
// The pixel size a picture file claims in its header, read before anything
// is decoded, so that a few bytes cannot make the decoder allocate a bitmap
// of gigabytes. BMP, GIF (the screen and every frame), PNG and JPEG; other
// formats are judged by the decoded picture's size.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pelzorvick {

inline constexpr int64_t kMaxPictureSide = 16384;
inline constexpr int64_t kMaxPicturePixels = int64_t{4096} * 4096;

inline bool PictureSizeAllowed(int64_t width, int64_t height) {
  if (width < 0) width = -width;
  if (height < 0) height = -height;
  return width <= kMaxPictureSide && height <= kMaxPictureSide && width * height <= kMaxPicturePixels;
}

namespace picture_header {

inline uint32_t Le16(std::string_view d, std::size_t at) {
  return static_cast<uint8_t>(d[at]) | static_cast<uint8_t>(d[at + 1]) << 8;
}
inline uint32_t Be16(std::string_view d, std::size_t at) {
  return static_cast<uint8_t>(d[at]) << 8 | static_cast<uint8_t>(d[at + 1]);
}
inline uint32_t Le32(std::string_view d, std::size_t at) { return Le16(d, at) | Le16(d, at + 2) << 16; }
inline uint32_t Be32(std::string_view d, std::size_t at) { return Be16(d, at) << 16 | Be16(d, at + 2); }

// Skips GIF data sub-blocks from `at`; npos when they run past the end.
inline std::size_t SkipGifSubBlocks(std::string_view d, std::size_t at) {
  while (at < d.size()) {
    const std::size_t length = static_cast<uint8_t>(d[at]);
    ++at;
    if (length == 0) return at;
    at += length;
  }
  return std::string_view::npos;
}

inline bool GifAllowed(std::string_view d) {
  if (d.size() < 13) return true;
  if (!PictureSizeAllowed(Le16(d, 6), Le16(d, 8))) return false;
  std::size_t at = 13;
  const uint8_t flags = static_cast<uint8_t>(d[10]);
  if (flags & 0x80) at += 3u << ((flags & 7) + 1);
  while (at < d.size()) {
    const uint8_t block = static_cast<uint8_t>(d[at]);
    if (block == 0x2C) {  // a frame: its own place and size
      if (at + 10 > d.size()) return true;
      const int64_t right = int64_t{Le16(d, at + 1)} + Le16(d, at + 5);
      const int64_t bottom = int64_t{Le16(d, at + 3)} + Le16(d, at + 7);
      if (!PictureSizeAllowed(right, bottom)) return false;
      const uint8_t frame_flags = static_cast<uint8_t>(d[at + 9]);
      at += 10;
      if (frame_flags & 0x80) at += 3u << ((frame_flags & 7) + 1);
      at = SkipGifSubBlocks(d, at + 1);  // after the code size
    } else if (block == 0x21) {
      at = SkipGifSubBlocks(d, at + 2);
    } else {
      return true;  // the trailer, or data the decoder will refuse
    }
  }
  return true;
}

inline bool JpegAllowed(std::string_view d) {
  std::size_t at = 2;
  while (at + 4 <= d.size()) {
    if (static_cast<uint8_t>(d[at]) != 0xFF) return true;
    const uint8_t marker = static_cast<uint8_t>(d[at + 1]);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      at += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return true;  // the image data begins
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame && at + 9 <= d.size() && !PictureSizeAllowed(Be16(d, at + 7), Be16(d, at + 5))) return false;
    at += 2 + Be16(d, at + 2);
  }
  return true;
}

}  // namespace picture_header

// False when the header claims more pixels than allowed; true otherwise,
// also for formats and headers it does not read (the decoder judges those).
inline bool PictureHeaderAllowed(std::string_view d) {
  using namespace picture_header;
  if (d.size() >= 26 && d[0] == 'B' && d[1] == 'M') {
    if (Le32(d, 14) == 12) return PictureSizeAllowed(Le16(d, 18), Le16(d, 20));
    return PictureSizeAllowed(static_cast<int32_t>(Le32(d, 18)), static_cast<int32_t>(Le32(d, 22)));
  }
  if (d.size() >= 6 && d.substr(0, 3) == "GIF") return GifAllowed(d);
  if (d.size() >= 24 && d.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) {
    return PictureSizeAllowed(Be32(d, 16), Be32(d, 20));
  }
  if (d.size() >= 4 && static_cast<uint8_t>(d[0]) == 0xFF && static_cast<uint8_t>(d[1]) == 0xD8) {
    return JpegAllowed(d);
  }
  return true;
}

}  // namespace pelzorvick
