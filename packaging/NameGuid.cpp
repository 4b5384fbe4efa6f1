#include "packaging/NameGuid.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace pelzorvick::packaging {
namespace {

constexpr unsigned char kUrlNamespace[16] = {0x6b, 0xa7, 0xb8, 0x11, 0x9d, 0xad, 0x11, 0xd1,
                                             0x80, 0xb4, 0x00, 0xc0, 0x4f, 0xd4, 0x30, 0xc8};

uint32_t Rotate(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

std::array<unsigned char, 20> Sha1(std::vector<unsigned char> data) {
  const uint64_t bits = uint64_t(data.size()) * 8;
  data.push_back(0x80);
  while (data.size() % 64 != 56) data.push_back(0);
  for (int i = 7; i >= 0; --i) data.push_back(static_cast<unsigned char>(bits >> (i * 8)));
  uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  for (size_t block = 0; block < data.size(); block += 64) {
    uint32_t w[80];
    for (int i = 0; i < 16; ++i) {
      const unsigned char* p = &data[block + i * 4];
      w[i] = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    }
    for (int i = 16; i < 80; ++i) w[i] = Rotate(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (int i = 0; i < 80; ++i) {
      uint32_t f, k;
      if (i < 20) {
        f = (b & c) | (~b & d), k = 0x5A827999;
      } else if (i < 40) {
        f = b ^ c ^ d, k = 0x6ED9EBA1;
      } else if (i < 60) {
        f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDC;
      } else {
        f = b ^ c ^ d, k = 0xCA62C1D6;
      }
      const uint32_t t = Rotate(a, 5) + f + e + k + w[i];
      e = d, d = c, c = Rotate(b, 30), b = a, a = t;
    }
    h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
  }
  std::array<unsigned char, 20> out;
  for (int i = 0; i < 20; ++i) out[i] = static_cast<unsigned char>(h[i / 4] >> (24 - (i % 4) * 8));
  return out;
}

}  // namespace

std::string NameGuid(const std::string& name) {
  std::vector<unsigned char> data(std::begin(kUrlNamespace), std::end(kUrlNamespace));
  data.insert(data.end(), name.begin(), name.end());
  std::array<unsigned char, 20> g = Sha1(std::move(data));
  g[6] = (g[6] & 0x0F) | 0x50;  // version 5
  g[8] = (g[8] & 0x3F) | 0x80;  // the RFC's variant
  std::string out = "{";
  for (int i = 0; i < 16; ++i) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", g[i]);
    out += hex;
    if (i == 3 || i == 5 || i == 7 || i == 9) out += '-';
  }
  return out + "}";
}

}  // namespace pelzorvick::packaging
