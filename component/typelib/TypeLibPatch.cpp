// Host build tool: adds type flags that widl cannot express to a type library
// it wrote (MSFT format). widl refuses "nonextensible" on a dispinterface, and
// some versions leave "oleautomation" off the dispatch half of a dual
// interface.
//
//   type_flag_patch IN.tlb OUT.tlb {GUID}=FLAGS ...
//
// Each named type info must exist and its current flags must be a subset of
// FLAGS; anything else means widl wrote something we did not expect, and the
// build stops rather than ship a library of unknown shape.

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kMagic = 0x5446534D;  // "MSFT"
constexpr size_t kHeaderSize = 0x54;
constexpr uint32_t kHasHelpDll = 0x100;  // header varflags: one more word
constexpr size_t kSegmentCount = 15;
constexpr size_t kSegmentSize = 16;
constexpr size_t kTypeInfoSegment = 0;
constexpr size_t kGuidSegment = 5;
constexpr size_t kGuidEntrySize = 24;  // GUID, hreftype, next hash
constexpr size_t kRecordSize = 0x64;
constexpr size_t kRecordGuid = 0x2C;
constexpr size_t kRecordFlags = 0x30;

struct Fail : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class File {
 public:
  explicit File(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}

  uint32_t Word(size_t at) const {
    Need(at, 4);
    return uint32_t(bytes_[at]) | uint32_t(bytes_[at + 1]) << 8 |
           uint32_t(bytes_[at + 2]) << 16 | uint32_t(bytes_[at + 3]) << 24;
  }
  void SetWord(size_t at, uint32_t value) {
    Need(at, 4);
    for (int i = 0; i < 4; ++i) bytes_[at + i] = (value >> (8 * i)) & 0xFF;
  }
  const unsigned char* At(size_t at, size_t n) const {
    Need(at, n);
    return &bytes_[at];
  }
  const std::vector<unsigned char>& Bytes() const { return bytes_; }

 private:
  void Need(size_t at, size_t n) const {
    if (at > bytes_.size() || n > bytes_.size() - at) {
      throw Fail("truncated type library");
    }
  }
  std::vector<unsigned char> bytes_;
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
  if (used == 0 || used != text.size() || value > 0xFFFF) {
    throw Fail("bad flags " + text);
  }
  return static_cast<uint32_t>(value);
}

void Patch(File& file, const std::vector<unsigned char>& guid, uint32_t wanted,
           const std::string& name) {
  if (file.Word(0) != kMagic) throw Fail("not an MSFT type library");
  const uint32_t count = file.Word(0x20);
  if (count > 0x10000) throw Fail("implausible type info count");
  const size_t offsets = kHeaderSize + ((file.Word(0x14) & kHasHelpDll) ? 4 : 0);
  const size_t segments = offsets + 4 * size_t(count);
  const size_t records = file.Word(segments + kTypeInfoSegment * kSegmentSize);
  const size_t records_size = file.Word(segments + kTypeInfoSegment * kSegmentSize + 4);
  const size_t guids = file.Word(segments + kGuidSegment * kSegmentSize);
  const size_t guids_size = file.Word(segments + kGuidSegment * kSegmentSize + 4);
  file.At(segments, kSegmentCount * kSegmentSize);

  int found = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t offset = file.Word(offsets + 4 * i);
    if (offset + kRecordSize > records_size) throw Fail("type info outside its segment");
    const size_t record = records + offset;
    const size_t guid_offset = file.Word(record + kRecordGuid);
    if (guid_offset == 0xFFFFFFFF) continue;
    if (guid_offset + kGuidEntrySize > guids_size) throw Fail("GUID outside its segment");
    const unsigned char* g = file.At(guids + guid_offset, 16);
    if (!std::equal(guid.begin(), guid.end(), g)) continue;
    ++found;
    const uint32_t flags = file.Word(record + kRecordFlags);
    if ((flags & ~wanted) != 0) {
      char text[128];
      std::snprintf(text, sizeof text, "%s has flags 0x%X, not a subset of 0x%X",
                    name.c_str(), flags, wanted);
      throw Fail(text);
    }
    file.SetWord(record + kRecordFlags, wanted);
    std::printf("%s: 0x%X -> 0x%X\n", name.c_str(), flags, wanted);
  }
  if (found != 1) throw Fail(name + " is not in the type library exactly once");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s IN.tlb OUT.tlb {GUID}=FLAGS ...\n", argv[0]);
    return 2;
  }
  try {
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) throw Fail(std::string("cannot read ") + argv[1]);
    File file({std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
    for (int i = 3; i < argc; ++i) {
      const std::string arg = argv[i];
      const size_t eq = arg.find('=');
      if (eq == std::string::npos) throw Fail("expected {GUID}=FLAGS, got " + arg);
      const std::string guid = arg.substr(0, eq);
      Patch(file, ParseGuid(guid), ParseFlags(arg.substr(eq + 1)), guid);
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.Bytes().data()),
              static_cast<std::streamsize>(file.Bytes().size()));
    if (!out.flush()) throw Fail(std::string("cannot write ") + argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "type_flag_patch: %s\n", e.what());
    std::remove(argv[2]);
    return 1;
  }
  return 0;
}
