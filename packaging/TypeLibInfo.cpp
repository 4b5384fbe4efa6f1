#include "packaging/TypeLibInfo.h"

#include <cstdio>
#include <stdexcept>

namespace pelzorvick::packaging {
namespace {

constexpr uint32_t kMagic = 0x5446534D;  // "MSFT"
constexpr uint32_t kNone = 0xFFFFFFFF;
constexpr size_t kHeaderSize = 0x54;
constexpr uint32_t kHasHelpDll = 0x100;  // varflags: one more header word
constexpr size_t kSegmentSize = 16;
constexpr size_t kSegmentCount = 15;
constexpr size_t kTypeInfoSegment = 0;
constexpr size_t kGuidSegment = 5;
constexpr size_t kNameSegment = 7;
constexpr size_t kStringSegment = 8;
constexpr size_t kRecordSize = 0x64;

class Reader {
 public:
  explicit Reader(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}

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

struct Segment {
  size_t offset;
  size_t length;
};

std::string GuidAt(const Reader& r, size_t at) {
  char text[40];
  const uint32_t d1 = r.Word(at);
  const uint16_t d2 = r.Half(at + 4);
  const uint16_t d3 = r.Half(at + 6);
  std::string tail;
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-", d1, unsigned(d2), unsigned(d3));
  std::string out = text;
  for (int i = 0; i < 8; ++i) {
    std::snprintf(text, sizeof text, "%02X", unsigned(r.Chars(at + 8 + i, 1)[0]) & 0xFF);
    out += text;
    if (i == 1) out += '-';
  }
  return out + '}';
}

}  // namespace

TypeLibFacts ReadTypeLib(const std::vector<unsigned char>& bytes) {
  const Reader r(bytes);
  if (r.Word(0) != kMagic) throw std::runtime_error("not an MSFT type library");
  const uint32_t varflags = r.Word(0x14);
  const uint32_t count = r.Word(0x20);
  if (count > 0x10000) throw std::runtime_error("implausible type info count");
  const size_t offsets = kHeaderSize + ((varflags & kHasHelpDll) ? 4 : 0);
  const size_t directory = offsets + 4 * size_t(count);
  Segment segments[kSegmentCount];
  for (size_t i = 0; i < kSegmentCount; ++i) {
    segments[i] = {r.Word(directory + i * kSegmentSize), r.Word(directory + i * kSegmentSize + 4)};
  }
  const auto in = [&](size_t segment, uint32_t offset, size_t n) {
    if (offset == kNone || offset + n > segments[segment].length) {
      throw std::runtime_error("type library refers outside its tables");
    }
    return segments[segment].offset + offset;
  };
  const auto guid = [&](uint32_t offset) { return GuidAt(r, in(kGuidSegment, offset, 16)); };
  // A name entry: hreftype, next hash, then the length in its low byte.
  const auto name = [&](uint32_t offset) {
    const size_t at = in(kNameSegment, offset, 12);
    return r.Chars(at + 12, r.Word(at + 8) & 0xFF);
  };

  TypeLibFacts lib;
  lib.libid = guid(r.Word(0x08));
  lib.lcid = r.Word(0x0C);
  lib.syskind = varflags & 0xF;
  lib.major = uint16_t(r.Word(0x18) & 0xFFFF);
  lib.minor = uint16_t(r.Word(0x18) >> 16);
  lib.flags = uint16_t(r.Word(0x1C));
  if (const uint32_t help = r.Word(0x24); help != kNone) {
    const size_t at = in(kStringSegment, help, 2);
    lib.help_string = r.Chars(at + 2, r.Half(at));
  }
  for (uint32_t i = 0; i < count; ++i) {
    const size_t record = in(kTypeInfoSegment, r.Word(offsets + 4 * i), kRecordSize);
    lib.types.push_back({TypeKind(r.Word(record) & 0xF), r.Word(record + 0x30),
                         name(r.Word(record + 0x34)), guid(r.Word(record + 0x2C))});
  }
  return lib;
}

}  // namespace pelzorvick::packaging
