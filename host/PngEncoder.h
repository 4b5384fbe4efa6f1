#pragma once
// A PNG writer small enough to need no library: 8-bit RGB, no filtering, the
// image data in stored (uncompressed) deflate blocks.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pelzorvick {

uint32_t Crc32(const uint8_t* data, std::size_t size, uint32_t crc = 0);
uint32_t Adler32(const uint8_t* data, std::size_t size, uint32_t adler = 1);

// `rgb` holds width * height * 3 bytes, rows top to bottom. Returns the file.
std::string EncodePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb);

}  // namespace pelzorvick
