// Host build tool: completes a type library written by widl (MSFT format)
// where widl cannot express what the library must carry.
//
//   typelib_patch IN.tlb OUT.tlb ACTION...
//     flags:{GUID}=FLAGS    set the type flags of that type info. widl refuses
//                           "nonextensible" on a dispinterface, and some
//                           versions leave "oleautomation" off a dual one.
//     setters:{GUID}=PREFIX name the value parameter of every property setter
//                           of that type info PREFIX<Property>; widl, like
//                           MIDL, leaves it unnamed.
//
// The current flags must be a subset of FLAGS and every setter parameter must
// be unnamed: anything else means widl wrote something we did not expect, and
// the build stops rather than ship a library of unknown shape.
//
// New names go into a copy of the name table at the end of the file (names
// are addressed by their offset in the table, so moving it is safe). They are
// not linked into the name hash table: only name lookups through the hash,
// not reading the names, would miss them.

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "component/build/BuildTool.h"
#include "component/typelib/MsftLayout.h"

namespace {

using namespace pelzorvick::msft;

constexpr size_t kRecordMembers = 0x04;   // file offset of the member data
constexpr size_t kRecordCounts = 0x18;    // functions (low), variables (high)
constexpr size_t kFuncKinds = 0x10;       // bits 3-6: invoke kind
constexpr size_t kFuncArgCount = 0x14;    // low word
constexpr size_t kParamSize = 12;         // type, name offset, flags
constexpr uint32_t kInvokePropertyPut = 4;

using pelzorvick::build_tool::Fail;

class File {
 public:
  explicit File(std::vector<unsigned char> bytes)
      : bytes_(std::move(bytes)), read_(bytes_), directory_(read_) {}

  uint32_t Word(size_t at) const { return read_.Word(at); }
  void SetWord(size_t at, uint32_t value) {
    Need(at, 4);
    for (int i = 0; i < 4; ++i) bytes_[at + i] = (value >> (8 * i)) & 0xFF;
  }
  const unsigned char* At(size_t at, size_t n) const {
    Need(at, n);
    return &bytes_[at];
  }
  const std::vector<unsigned char>& Bytes() const { return bytes_; }

  size_t SegmentEntry(size_t segment) const { return directory_.SegmentEntry(segment); }
  size_t SegmentOffset(size_t segment) const { return Word(SegmentEntry(segment)); }
  size_t SegmentLength(size_t segment) const { return Word(SegmentEntry(segment) + 4); }

  // The file offset of the type info record with this GUID.
  size_t Record(const std::vector<unsigned char>& guid, const std::string& name) const {
    size_t found = 0;
    int matches = 0;
    for (uint32_t i = 0; i < directory_.count; ++i) {
      const size_t offset = Word(directory_.offsets + 4 * i);
      if (offset + kRecordSize > SegmentLength(kTypeInfoSegment)) {
        throw Fail("type info outside its segment");
      }
      const size_t record = SegmentOffset(kTypeInfoSegment) + offset;
      const size_t guid_offset = Word(record + kRecordGuid);
      if (guid_offset == kNone) continue;
      if (guid_offset + kGuidEntrySize > SegmentLength(kGuidSegment)) {
        throw Fail("GUID outside its segment");
      }
      const unsigned char* g = At(SegmentOffset(kGuidSegment) + guid_offset, 16);
      if (std::equal(guid.begin(), guid.end(), g)) {
        found = record;
        ++matches;
      }
    }
    if (matches != 1) throw Fail(name + " is not in the type library exactly once");
    return found;
  }

  // A name table entry: hreftype, next in hash chain, length (low byte) with
  // flags and hash, then the characters padded to four bytes.
  std::string Name(size_t offset) const {
    if (offset + 12 > SegmentLength(kNameSegment)) throw Fail("name outside its segment");
    const size_t at = SegmentOffset(kNameSegment) + offset;
    const size_t length = Word(at + 8) & 0xFF;
    if (offset + 12 + length > SegmentLength(kNameSegment)) throw Fail("name outside its segment");
    const unsigned char* chars = At(at + 12, length);
    return std::string(chars, chars + length);
  }

  // The offset of `name` in the name table, appending it if it is new.
  uint32_t AddName(const std::string& name) {
    if (name.empty() || name.size() > 255) throw Fail("bad name " + name);
    for (size_t offset = 0; offset < SegmentLength(kNameSegment);) {
      const size_t length = Word(SegmentOffset(kNameSegment) + offset + 8) & 0xFF;
      if (Name(offset) == name) return static_cast<uint32_t>(offset);
      offset += 12 + ((length + 3) & ~size_t(3));
    }
    added_.push_back(name);
    const uint32_t offset = static_cast<uint32_t>(SegmentLength(kNameSegment) + pending_);
    pending_ += 12 + ((name.size() + 3) & ~size_t(3));
    return offset;
  }

  // Writes the added names into a copy of the name table at the file's end.
  void PlaceNames() {
    if (added_.empty()) return;
    const size_t old_offset = SegmentOffset(kNameSegment);
    const size_t old_length = SegmentLength(kNameSegment);
    std::vector<unsigned char> table(At(old_offset, old_length), At(old_offset, old_length) + old_length);
    size_t chars = 0;
    for (const std::string& name : added_) {
      const uint32_t intro[3] = {kNone, kNone, static_cast<uint32_t>(name.size())};
      for (uint32_t word : intro) {
        for (int i = 0; i < 4; ++i) table.push_back((word >> (8 * i)) & 0xFF);
      }
      table.insert(table.end(), name.begin(), name.end());
      while (table.size() % 4 != 0) table.push_back('W');
      chars += name.size();
    }
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
    const size_t new_offset = bytes_.size();
    bytes_.insert(bytes_.end(), table.begin(), table.end());
    SetWord(SegmentEntry(kNameSegment), static_cast<uint32_t>(new_offset));
    SetWord(SegmentEntry(kNameSegment) + 4, static_cast<uint32_t>(table.size()));
    SetWord(kHeaderNameCount, Word(kHeaderNameCount) + static_cast<uint32_t>(added_.size()));
    SetWord(kHeaderNameChars, Word(kHeaderNameChars) + static_cast<uint32_t>(chars));
    added_.clear();
    pending_ = 0;
  }

 private:
  void Need(size_t at, size_t n) const { read_.Need(at, n); }

  std::vector<unsigned char> bytes_;
  pelzorvick::msft::Bytes read_;  // over bytes_, which only grows in place
  Directory directory_;
  std::vector<std::string> added_;
  size_t pending_ = 0;
};

// A GUID in its registry spelling, to its 16-byte in-memory layout.
std::vector<unsigned char> ParseGuid(const std::string& text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') {
    throw Fail("bad GUID " + text);
  }
  std::string hex;
  for (size_t i = 1; i + 1 < text.size(); ++i) {
    const char c = text[i];
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? c != '-' : !std::isxdigit(static_cast<unsigned char>(c))) {
      throw Fail("bad GUID " + text);
    }
    if (!dash) hex += c;
  }
  auto byte = [&](size_t i) {
    return static_cast<unsigned char>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
  };
  // Data1, Data2 and Data3 are little-endian; Data4 is a byte array.
  const size_t order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  std::vector<unsigned char> out;
  for (size_t i : order) out.push_back(byte(i));
  return out;
}

uint32_t ParseFlags(const std::string& text) {
  size_t used = 0;
  unsigned long value = 0;
  try {
    value = std::stoul(text, &used, 0);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || value > 0xFFFF) throw Fail("bad flags " + text);
  return static_cast<uint32_t>(value);
}

void SetFlags(File& file, size_t record, uint32_t wanted, const std::string& name) {
  const uint32_t flags = file.Word(record + kRecordFlags);
  if ((flags & ~wanted) != 0) {
    char text[160];
    std::snprintf(text, sizeof text, "%s has flags 0x%X, not a subset of 0x%X", name.c_str(),
                  flags, wanted);
    throw Fail(text);
  }
  file.SetWord(record + kRecordFlags, wanted);
  std::printf("%s: flags 0x%X -> 0x%X\n", name.c_str(), flags, wanted);
}

// Member data: a size word, the function and variable records, then the
// members' ids, their name offsets and their record offsets.
void NameSetters(File& file, size_t record, const std::string& prefix, const std::string& name) {
  const size_t data = file.Word(record + kRecordMembers);
  const uint32_t counts = file.Word(record + kRecordCounts);
  const size_t funcs = counts & 0xFFFF;
  const size_t members = funcs + (counts >> 16);
  if (funcs == 0) throw Fail(name + " has no functions");
  const size_t records_size = file.Word(data);
  const size_t names = data + 4 + records_size + 4 * members;
  int named = 0;
  size_t at = data + 4;
  for (size_t i = 0; i < funcs; ++i) {
    const size_t size = file.Word(at) & 0xFFFF;
    if (size < 0x18 || at + size > data + 4 + records_size) throw Fail("bad function record");
    const uint32_t invoke = (file.Word(at + kFuncKinds) >> 3) & 0xF;
    const size_t args = file.Word(at + kFuncArgCount) & 0xFFFF;
    if (invoke == kInvokePropertyPut) {
      if (args == 0 || args * kParamSize > size - 0x18) throw Fail("bad setter record");
      const size_t value_param = at + size - kParamSize;
      if (file.Word(value_param + 4) != kNone) throw Fail(name + ": a setter parameter has a name");
      const std::string property = file.Name(file.Word(names + 4 * i));
      file.SetWord(value_param + 4, file.AddName(prefix + property));
      ++named;
    }
    at += size;
  }
  if (named == 0) throw Fail(name + " has no property setters");
  std::printf("%s: %d setter parameters named %s<Property>\n", name.c_str(), named, prefix.c_str());
}

void Apply(File& file, const std::string& action) {
  const size_t colon = action.find(':');
  const size_t eq = action.find('=');
  if (colon == std::string::npos || eq == std::string::npos || eq < colon) {
    throw Fail("expected KIND:{GUID}=VALUE, got " + action);
  }
  const std::string kind = action.substr(0, colon);
  const std::string guid = action.substr(colon + 1, eq - colon - 1);
  const std::string value = action.substr(eq + 1);
  const size_t record = file.Record(ParseGuid(guid), guid);
  if (kind == "flags") {
    SetFlags(file, record, ParseFlags(value), guid);
  } else if (kind == "setters") {
    NameSetters(file, record, value, guid);
  } else {
    throw Fail("unknown action " + kind);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s IN.tlb OUT.tlb ACTION...\n", argv[0]);
    return 2;
  }
  return pelzorvick::build_tool::Run("typelib_patch", {argv[2]}, [&] {
    File file(pelzorvick::build_tool::ReadBytes(argv[1]));
    for (int i = 3; i < argc; ++i) Apply(file, argv[i]);
    file.PlaceNames();
    pelzorvick::build_tool::WriteBytes(argv[2], file.Bytes());
  });
}
