#include "host/PngEncoder.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace pelzorvick {

namespace {

std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

void PutBig32(std::string& out, uint32_t v) {
  out += static_cast<char>(v >> 24);
  out += static_cast<char>(v >> 16);
  out += static_cast<char>(v >> 8);
  out += static_cast<char>(v);
}

void PutChunk(std::string& out, const char type[4], const std::string& data) {
  PutBig32(out, static_cast<uint32_t>(data.size()));
  std::string body(type, 4);
  body += data;
  out += body;
  PutBig32(out, Crc32(reinterpret_cast<const uint8_t*>(body.data()), body.size()));
}

}  // namespace

uint32_t Crc32(const uint8_t* data, std::size_t size, uint32_t crc) {
  static const std::array<uint32_t, 256> table = MakeCrcTable();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t Adler32(const uint8_t* data, std::size_t size, uint32_t adler) {
  uint32_t a = adler & 0xFFFF, b = adler >> 16;
  for (std::size_t i = 0; i < size; ++i) {
    a = (a + data[i]) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

std::string EncodePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb) {
  if (width == 0 || height == 0 || rgb.size() != std::size_t{width} * height * 3) {
    throw std::invalid_argument("EncodePng: pixel data does not match the size");
  }
  // Each row starts with its filter type, 0 (none).
  std::vector<uint8_t> raw;
  raw.reserve((std::size_t{width} * 3 + 1) * height);
  for (uint32_t y = 0; y < height; ++y) {
    raw.push_back(0);
    const auto row = rgb.begin() + static_cast<std::ptrdiff_t>(std::size_t{y} * width * 3);
    raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(width) * 3);
  }

  std::string zlib = "\x78\x01";  // deflate, 32K window, no preset dictionary
  std::size_t pos = 0;
  do {
    const std::size_t n = std::min<std::size_t>(raw.size() - pos, 65535);
    const bool last = pos + n == raw.size();
    zlib += static_cast<char>(last ? 1 : 0);  // BFINAL, BTYPE 00 (stored)
    zlib += static_cast<char>(n & 0xFF);
    zlib += static_cast<char>(n >> 8);
    zlib += static_cast<char>(~n & 0xFF);
    zlib += static_cast<char>((~n >> 8) & 0xFF);
    zlib.append(reinterpret_cast<const char*>(raw.data() + pos), n);
    pos += n;
  } while (pos < raw.size());
  PutBig32(zlib, Adler32(raw.data(), raw.size()));

  std::string ihdr;
  PutBig32(ihdr, width);
  PutBig32(ihdr, height);
  ihdr += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace

  std::string png = "\x89PNG\r\n\x1a\n";
  PutChunk(png, "IHDR", ihdr);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", "");
  return png;
}

}  // namespace pelzorvick
