// The host's property-file reader over arbitrary bytes: either the values or
// an error that names the file and a line of it. A parsed file written back
// parses to the same sections and entries, and writing becomes a fixed point
// after one round (but for carriage returns at line ends). Changed values (each entry set to a string made of its own
// line, a flipped boolean, a reformatted number, one new entry, the first one
// removed) read back as set, or the write refuses with a whole-file error.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "host/PropertyFile.h"

using namespace pelzorvick;

namespace {

constexpr std::string_view kName = "fuzz.txt";

// Names the broken expectation before aborting, so that a finding says what failed.
#define Check(ok) ((ok) ? (void)0 : fuzz::Fail(#ok, __LINE__))

int LineCount(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  int lines = 0;
  for (char c : bytes) lines += c == '\n';
  if (!bytes.empty() && bytes.back() != '\n') ++lines;
  return lines;
}

bool SameEntries(const PropertyFile& a, const PropertyFile& b) {
  if (a.sections.size() != b.sections.size()) return false;
  for (std::size_t i = 0; i < a.sections.size(); ++i) {
    const PropertySection& x = a.sections[i];
    const PropertySection& y = b.sections[i];
    if (x.name != y.name || x.has_header != y.has_header) return false;
    std::vector<const FileEntry*> ex, ey;
    for (const PropertyLine& l : x.lines)
      if (l.entry) ex.push_back(&*l.entry);
    for (const PropertyLine& l : y.lines)
      if (l.entry) ey.push_back(&*l.entry);
    if (ex.size() != ey.size()) return false;
    for (std::size_t k = 0; k < ex.size(); ++k) {
      if (ex[k]->name != ey[k]->name || !(ex[k]->value == ey[k]->value)) return false;
    }
  }
  return a.bom == b.bom;
}

// A comment's own trailing carriage returns lose one per round in a file of
// bare line feeds; nothing else may change.
std::string WithoutLineEndCr(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      const std::size_t next = text.find_first_not_of('\r', i);
      if (next == std::string::npos || text[next] == '\n') {
        i = (next == std::string::npos ? text.size() : next) - 1;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

bool Storable(const FileValue& v) { return FormatValue(v).has_value(); }

void CheckValue(const FileValue& v) {
  if (v.kind == FileValue::Kind::kNumber) {
    Check(IsNumberText(v.text));
    if (v.IsInteger()) (void)v.AsInteger();
    const double d = v.AsDouble();
    const auto again = ParseValue(FormatDouble(d));
    Check(again && again->kind == FileValue::Kind::kNumber && again->AsDouble() == d);
  }
  if (const auto text = FormatValue(v)) {
    const auto back = ParseValue(*text);
    Check(back && *back == v);
  }
}

PropertyFile ParseOrAbort(std::string_view bytes) {
  try {
    return ParsePropertyFile(bytes, kName);
  } catch (const PropertyFileError&) {
    std::abort();
  }
}

void CheckChanges(PropertyFile file) {
  auto controls = file.Controls();
  if (controls.empty()) return;
  PropertySection& section = *controls.front();
  std::vector<std::pair<std::u16string, FileValue>> expected;
  for (PropertyLine& line : section.lines) {
    if (!line.entry) continue;
    const FileEntry e = *line.entry;
    FileValue v;
    switch (e.value.kind) {
      case FileValue::Kind::kString: v = FileValue::String(line.raw); break;
      case FileValue::Kind::kBoolean: v = FileValue::Boolean(!e.value.boolean); break;
      case FileValue::Kind::kNumber: v = FileValue::Number(FormatDouble(-e.value.AsDouble())); break;
    }
    expected.emplace_back(e.name, v);
  }
  for (const auto& [name, v] : expected) section.Set(name, v);
  section.Set(u"FuzzAdded", FileValue::String(u"a \"quoted\" text"));
  expected.emplace_back(u"FuzzAdded", FileValue::String(u"a \"quoted\" text"));
  if (expected.size() > 1) {
    section.Remove(expected.front().first);
    Check(section.Find(expected.front().first) == nullptr);
  }

  // Only lines written afresh can fail to store.
  bool storable = true;
  for (const PropertySection& s : file.sections)
    for (const PropertyLine& l : s.lines)
      if (l.entry && (l.changed || l.raw.empty())) storable = storable && Storable(l.entry->value);
  std::string out;
  try {
    out = WritePropertyFile(file, kName);
  } catch (const PropertyFileError& e) {
    Check(!storable && e.line() == 0 && e.file() == kName);
    return;
  }
  Check(storable);
  const PropertyFile back = ParseOrAbort(out);
  Check(SameEntries(file, back));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  PropertyFile file;
  try {
    file = ParsePropertyFile(bytes, kName);
  } catch (const PropertyFileError& e) {
    Check(e.file() == kName && !e.message().empty());
    Check(e.line() >= 1 && e.line() <= LineCount(bytes));
    const std::string where = std::string(kName) + ":" + std::to_string(e.line()) + ": ";
    Check(std::string_view(e.what()).substr(0, where.size()) == where);
    return 0;
  }

  for (const PropertySection& s : file.sections)
    for (const PropertyLine& l : s.lines)
      if (l.entry) CheckValue(l.entry->value);

  std::string out;
  try {
    out = WritePropertyFile(file, kName);
  } catch (const PropertyFileError&) {
    std::abort();  // nothing was changed, so every line is written as read
  }
  const PropertyFile again = ParseOrAbort(out);
  Check(SameEntries(file, again));
  const std::string out2 = WritePropertyFile(again, kName);
  Check(WithoutLineEndCr(WritePropertyFile(ParseOrAbort(out2), kName)) == WithoutLineEndCr(out2));

  CheckChanges(std::move(file));
  return 0;
}
