#include "packaging/TypeLibInfo.h"

#include <cstdio>
#include <stdexcept>

#include "component/typelib/MsftLayout.h"

namespace pelzorvick::packaging {
namespace {

using namespace msft;

struct Segment {
  size_t offset;
  size_t length;
};

std::string GuidAt(const Bytes& r, size_t at) {
  char text[40];
  const uint32_t d1 = r.Word(at);
  const uint16_t d2 = r.Half(at + 4);
  const uint16_t d3 = r.Half(at + 6);
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
  const Bytes r(bytes);
  const Directory directory(r);
  const uint32_t varflags = r.Word(kHeaderVarFlags);
  Segment segments[kSegmentCount];
  for (size_t i = 0; i < kSegmentCount; ++i) {
    const size_t entry = directory.SegmentEntry(i);
    segments[i] = {r.Word(entry), r.Word(entry + 4)};
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
    const size_t at = in(kNameSegment, offset, kNameEntryHeader);
    return r.Chars(at + kNameEntryHeader, r.Word(at + 8) & 0xFF);
  };

  TypeLibFacts lib;
  lib.libid = guid(r.Word(kHeaderLibGuid));
  lib.lcid = r.Word(kHeaderLcid);
  lib.syskind = varflags & 0xF;
  lib.major = uint16_t(r.Word(kHeaderVersion) & 0xFFFF);
  lib.minor = uint16_t(r.Word(kHeaderVersion) >> 16);
  lib.flags = uint16_t(r.Word(kHeaderLibFlags));
  if (const uint32_t help = r.Word(kHeaderHelpString); help != kNone) {
    const size_t at = in(kStringSegment, help, 2);
    lib.help_string = r.Chars(at + 2, r.Half(at));
  }
  for (uint32_t i = 0; i < directory.count; ++i) {
    const size_t record = in(kTypeInfoSegment, r.Word(directory.offsets + 4 * i), kRecordSize);
    lib.types.push_back({TypeKind(r.Word(record + kRecordKind) & 0xF), r.Word(record + kRecordFlags),
                         name(r.Word(record + kRecordName)), guid(r.Word(record + kRecordGuid))});
  }
  return lib;
}

}  // namespace pelzorvick::packaging
