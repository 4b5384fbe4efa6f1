// Host build tool: writes a 24-bit Windows bitmap from a text picture, so the
// toolbox picture is kept as readable source rather than a binary.
//
//   make_bitmap PICTURE.txt OUT.bmp
//
// PICTURE.txt: '#' comments, palette lines "<letter>=<RRGGBB>", then one line
// per pixel row, top row first, all of the same width.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "component/build/BuildTool.h"

namespace {

using pelzorvick::build_tool::Fail;

void Put(std::vector<unsigned char>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back((value >> (8 * i)) & 0xFF);
}

std::vector<unsigned char> Encode(const std::map<char, uint32_t>& palette,
                                  const std::vector<std::string>& rows) {
  const uint32_t width = static_cast<uint32_t>(rows.front().size());
  const uint32_t height = static_cast<uint32_t>(rows.size());
  const uint32_t stride = (width * 3 + 3) & ~3u;
  const uint32_t pixels = stride * height;
  const uint32_t offset = 14 + 40;

  std::vector<unsigned char> out;
  out.push_back('B');
  out.push_back('M');
  Put(out, offset + pixels, 4);
  Put(out, 0, 4);
  Put(out, offset, 4);
  Put(out, 40, 4);  // BITMAPINFOHEADER
  Put(out, width, 4);
  Put(out, height, 4);  // positive: bottom-up rows
  Put(out, 1, 2);
  Put(out, 24, 2);
  Put(out, 0, 4);  // BI_RGB
  Put(out, pixels, 4);
  Put(out, 2835, 4);  // 72 DPI
  Put(out, 2835, 4);
  Put(out, 0, 4);
  Put(out, 0, 4);
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    for (char c : *row) {
      const auto colour = palette.find(c);
      if (colour == palette.end()) throw Fail(std::string("no colour for '") + c + "'");
      Put(out, colour->second, 3);  // 0xRRGGBB stored little-endian is B, G, R
    }
    for (uint32_t pad = width * 3; pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s PICTURE.txt OUT.bmp\n", argv[0]);
    return 2;
  }
  return pelzorvick::build_tool::Run("make_bitmap", {argv[2]}, [&] {
    std::ifstream in(argv[1]);
    if (!in) throw Fail(std::string("cannot read ") + argv[1]);
    std::map<char, uint32_t> palette;
    std::vector<std::string> rows;
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty() || line[0] == '#') continue;
      if (line.size() == 8 && line[1] == '=' && rows.empty()) {
        size_t used = 0;
        const unsigned long rgb = std::stoul(line.substr(2), &used, 16);
        if (used != 6) throw Fail("bad colour line: " + line);
        palette[line[0]] = static_cast<uint32_t>(rgb);
        continue;
      }
      if (!rows.empty() && line.size() != rows.front().size()) {
        throw Fail("rows of different widths");
      }
      rows.push_back(line);
    }
    if (rows.empty()) throw Fail("no pixel rows");
    pelzorvick::build_tool::WriteBytes(argv[2], Encode(palette, rows));
  });
}
