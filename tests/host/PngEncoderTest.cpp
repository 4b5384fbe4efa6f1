#include "host/PngEncoder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace pelzorvick {
namespace {

uint32_t Big32(const std::string& s, std::size_t at) {
  return (uint32_t{static_cast<uint8_t>(s[at])} << 24) |
         (uint32_t{static_cast<uint8_t>(s[at + 1])} << 16) |
         (uint32_t{static_cast<uint8_t>(s[at + 2])} << 8) | static_cast<uint8_t>(s[at + 3]);
}

struct Chunk {
  std::string type;
  std::string data;
};

// Splits the file into chunks, checking each CRC.
std::vector<Chunk> Chunks(const std::string& png) {
  std::vector<Chunk> out;
  std::size_t at = 8;
  while (at < png.size()) {
    const uint32_t len = Big32(png, at);
    Chunk c{png.substr(at + 4, 4), png.substr(at + 8, len)};
    const std::string body = png.substr(at + 4, 4 + len);
    EXPECT_EQ(Big32(png, at + 8 + len),
              Crc32(reinterpret_cast<const uint8_t*>(body.data()), body.size()))
        << c.type;
    out.push_back(c);
    at += 12 + len;
  }
  EXPECT_EQ(at, png.size());
  return out;
}

// Inflates a zlib stream made only of stored blocks.
std::vector<uint8_t> InflateStored(const std::string& z) {
  std::vector<uint8_t> out;
  EXPECT_EQ(static_cast<uint8_t>(z[0]), 0x78);
  EXPECT_EQ((static_cast<uint8_t>(z[0]) * 256 + static_cast<uint8_t>(z[1])) % 31, 0);
  std::size_t at = 2;
  for (;;) {
    const uint8_t header = static_cast<uint8_t>(z[at]);
    EXPECT_EQ(header & 6, 0) << "not a stored block";
    const unsigned len = static_cast<uint8_t>(z[at + 1]) | (static_cast<uint8_t>(z[at + 2]) << 8);
    const unsigned nlen =
        static_cast<uint8_t>(z[at + 3]) | (static_cast<uint8_t>(z[at + 4]) << 8);
    EXPECT_EQ(len ^ 0xFFFF, nlen);
    out.insert(out.end(), z.begin() + static_cast<std::ptrdiff_t>(at + 5),
               z.begin() + static_cast<std::ptrdiff_t>(at + 5 + len));
    at += 5 + len;
    if (header & 1) break;
  }
  EXPECT_EQ(Big32(z, at), Adler32(out.data(), out.size()));
  EXPECT_EQ(at + 4, z.size());
  return out;
}

TEST(PngEncoder, ChecksumsMatchKnownValues) {
  const char* digits = "123456789";
  EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(digits), 9), 0xCBF43926u);
  const char* wiki = "Wikipedia";
  EXPECT_EQ(Adler32(reinterpret_cast<const uint8_t*>(wiki), 9), 0x11E60398u);
  EXPECT_EQ(Adler32(nullptr, 0), 1u);
}

TEST(PngEncoder, PixelsComeBackRowByRow) {
  for (const auto& [w, h] : {std::pair<uint32_t, uint32_t>{1, 1}, {3, 2}, {300, 200}}) {
    std::vector<uint8_t> rgb(std::size_t{w} * h * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 7 + i / 13);
    const std::string png = EncodePng(w, h, rgb);
    ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    const std::vector<Chunk> chunks = Chunks(png);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(Big32(chunks[0].data, 0), w);
    EXPECT_EQ(Big32(chunks[0].data, 4), h);
    EXPECT_EQ(chunks[0].data.substr(8), std::string("\x08\x02\x00\x00\x00", 5));
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");

    // 300 x 200 needs two stored blocks (a block holds at most 65535 bytes).
    const std::vector<uint8_t> raw = InflateStored(chunks[1].data);
    ASSERT_EQ(raw.size(), (std::size_t{w} * 3 + 1) * h);
    for (uint32_t y = 0; y < h; ++y) {
      const std::size_t row = y * (std::size_t{w} * 3 + 1);
      EXPECT_EQ(raw[row], 0) << "filter byte of row " << y;
      EXPECT_EQ(std::memcmp(&raw[row + 1], &rgb[y * std::size_t{w} * 3], std::size_t{w} * 3), 0);
    }
  }
}

TEST(PngEncoder, RefusesPixelsOfTheWrongSize) {
  EXPECT_THROW(EncodePng(2, 2, std::vector<uint8_t>(11)), std::invalid_argument);
  EXPECT_THROW(EncodePng(0, 1, {}), std::invalid_argument);
}

}  // namespace
}  // namespace pelzorvick
