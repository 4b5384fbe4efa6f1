#include "host/PropertyFile.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <map>

#include "common/Utf8.h"
#include "text/StringUtil.h"

namespace pelzorvick {

namespace {

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

bool IsPropertyName(std::u16string_view s) {
  if (s.empty() || !(IsLetter(s[0]) || s[0] == u'_')) return false;
  return std::all_of(s.begin(), s.end(),
                     [](char16_t c) { return IsLetter(c) || IsDigit(c) || c == u'_'; });
}

std::string Narrow(std::u16string_view s) { return ToUtf8Lossy(s); }

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::optional<double> ToDouble(std::u16string_view text) {
  std::string ascii = Narrow(text);
  const char* first = ascii.data();
  if (!ascii.empty() && ascii[0] == '+') ++first;  // from_chars takes no '+'
  double value = 0;
  const auto [end, ec] = std::from_chars(first, ascii.data() + ascii.size(), value);
  if (ec != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
  return value;
}

std::u16string RenderEntry(const FileEntry& e) {
  return e.name + u" = " + *FormatValue(e.value);
}

}  // namespace

FileValue FileValue::String(std::u16string s) {
  return {Kind::kString, std::move(s), false};
}
FileValue FileValue::Boolean(bool b) { return {Kind::kBoolean, {}, b}; }
FileValue FileValue::Number(std::u16string text) {
  return {Kind::kNumber, std::move(text), false};
}

bool FileValue::IsInteger() const {
  if (kind != Kind::kNumber) return false;
  std::u16string_view t = text;
  if (!t.empty() && (t[0] == u'+' || t[0] == u'-')) t.remove_prefix(1);
  if (t.empty() || !std::all_of(t.begin(), t.end(), IsDigit)) return false;
  const std::optional<double> d = ToDouble(text);
  return d && *d >= std::numeric_limits<int32_t>::min() &&
         *d <= std::numeric_limits<int32_t>::max();
}

int32_t FileValue::AsInteger() const { return static_cast<int32_t>(AsDouble()); }

double FileValue::AsDouble() const { return ToDouble(text).value_or(0.0); }

bool IsNumberText(std::u16string_view t) {
  std::size_t i = 0;
  if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) ++i;
  std::size_t digits = 0;
  while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  if (i < t.size() && t[i] == u'.') {
    ++i;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
    ++i;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) ++i;
    std::size_t exp_digits = 0;
    while (i < t.size() && IsDigit(t[i])) ++i, ++exp_digits;
    if (exp_digits == 0) return false;
  }
  return i == t.size();
}

std::u16string FormatSingle(float value) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  return Widen(std::string_view(buf, r.ptr - buf));
}

std::u16string FormatDouble(double value) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  return Widen(std::string_view(buf, r.ptr - buf));
}

std::optional<FileValue> ParseValue(std::u16string_view t) {
  if (t.empty()) return std::nullopt;
  if (t[0] == u'"') {
    std::u16string s;
    std::size_t i = 1;
    for (;;) {
      if (i >= t.size()) return std::nullopt;  // no closing quote
      if (t[i] == u'"') {
        if (i + 1 < t.size() && t[i + 1] == u'"') {
          s += u'"';
          i += 2;
          continue;
        }
        break;
      }
      s += t[i++];
    }
    if (i + 1 != t.size()) return std::nullopt;  // text after the closing quote
    return FileValue::String(std::move(s));
  }
  if (NamesEqual(t, u"True")) return FileValue::Boolean(true);
  if (NamesEqual(t, u"False")) return FileValue::Boolean(false);
  if (IsNumberText(t) && ToDouble(t)) return FileValue::Number(std::u16string(t));
  return std::nullopt;
}

std::optional<std::u16string> FormatValue(const FileValue& v) {
  switch (v.kind) {
    case FileValue::Kind::kBoolean:
      return std::u16string(v.boolean ? u"True" : u"False");
    case FileValue::Kind::kNumber:
      return v.text;
    case FileValue::Kind::kString:
      break;
  }
  if (v.text.find_first_of(u"\r\n") != std::u16string::npos || !ToUtf8(v.text)) {
    return std::nullopt;
  }
  std::u16string out = u"\"";
  for (char16_t c : v.text) {
    out += c;
    if (c == u'"') out += u'"';
  }
  out += u'"';
  return out;
}

bool NamesEqual(std::u16string_view a, std::u16string_view b) {
  return EqualsIgnoringAsciiCase(a, b);
}

const FileEntry* PropertySection::Find(std::u16string_view name) const {
  for (const PropertyLine& line : lines) {
    if (line.entry && NamesEqual(line.entry->name, name)) return &*line.entry;
  }
  return nullptr;
}

void PropertySection::Set(std::u16string_view name, const FileValue& value) {
  std::size_t after_last_entry = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    PropertyLine& line = lines[i];
    if (!line.entry) continue;
    after_last_entry = i + 1;
    if (NamesEqual(line.entry->name, name)) {
      if (!(line.entry->value == value)) {
        line.entry->value = value;
        line.changed = true;
      }
      return;
    }
  }
  PropertyLine line;
  line.entry = FileEntry{std::u16string(name), value};
  line.changed = true;
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after_last_entry), std::move(line));
}

void PropertySection::Remove(std::u16string_view name) {
  std::erase_if(lines, [&](const PropertyLine& l) {
    return l.entry && NamesEqual(l.entry->name, name);
  });
}

std::vector<std::u16string> PropertySection::Names() const {
  std::vector<std::u16string> names;
  for (const PropertyLine& line : lines) {
    if (line.entry) names.push_back(line.entry->name);
  }
  return names;
}

std::vector<PropertySection*> PropertyFile::Controls() {
  std::vector<PropertySection*> out;
  for (PropertySection& s : sections) {
    if (s.has_header) out.push_back(&s);
  }
  if (out.empty() && !sections.empty()) out.push_back(&sections.front());
  return out;
}

PropertyFileError::PropertyFileError(std::string file, int line, std::string message)
    : std::runtime_error(file + (line > 0 ? std::string(":").append(std::to_string(line)) : std::string()) +
                         ": " + message),
      file_(std::move(file)),
      line_(line),
      message_(std::move(message)) {}

PropertyFile ParsePropertyFile(std::string_view bytes, std::string_view file_name) {
  const std::string file(file_name);
  PropertyFile result;
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    result.bom = true;
    bytes.remove_prefix(3);
  }
  const std::size_t first_lf = bytes.find('\n');
  if (first_lf != std::string_view::npos) {
    result.newline = (first_lf > 0 && bytes[first_lf - 1] == '\r') ? "\r\n" : "\n";
  }

  result.sections.emplace_back();  // what stands before any header
  std::map<std::u16string, int> first_line_of;  // lower-cased key -> line
  std::map<std::u16string, int> section_line_of;
  int number = 0;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    ++number;
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view raw_bytes = bytes.substr(pos, end - pos);
    pos = end + 1;
    // Only a file of CR LF lines has a CR that belongs to the line ending;
    // elsewhere it is the line's own and is written back with it.
    if (result.newline == "\r\n" && !raw_bytes.empty() && raw_bytes.back() == '\r') {
      raw_bytes.remove_suffix(1);
    }

    const auto fail = [&](const std::string& message) -> PropertyFileError {
      return PropertyFileError(file, number, message);
    };
    const std::optional<std::u16string> decoded = FromUtf8Strict(raw_bytes);
    if (!decoded) throw fail("the line is not valid UTF-8");
    const std::u16string& raw = *decoded;
    std::u16string_view body = raw;
    while (!body.empty() && body.back() == u'\r') body.remove_suffix(1);
    const std::u16string_view text = Trim(body);
    PropertySection& section = result.sections.back();

    if (text.empty() || text[0] == u'\'') {
      section.lines.push_back({raw, std::nullopt, false});
      continue;
    }
    if (text[0] == u'[') {
      const std::u16string_view name =
          text.back() == u']' ? Trim(text.substr(1, text.size() - 2)) : std::u16string_view();
      if (name.empty() || name.find_first_of(u"[]") != std::u16string_view::npos) {
        throw fail("a section header is [Name]");
      }
      if (!result.sections.front().has_header && !result.sections.front().Names().empty()) {
        throw fail("a section header after properties that belong to no section");
      }
      std::u16string key;
      for (char16_t c : name) key += AsciiLower(c);
      if (const auto it = section_line_of.find(key); it != section_line_of.end()) {
        throw fail(std::string("section [").append(Narrow(name)) + "] is given twice (first on line " +
                   std::to_string(it->second) + ")");
      }
      section_line_of[key] = number;
      first_line_of.clear();
      PropertySection next;
      next.name = std::u16string(name);
      next.has_header = true;
      next.header_raw = raw;
      result.sections.push_back(std::move(next));
      continue;
    }

    const std::size_t eq = text.find(u'=');
    if (eq == std::u16string_view::npos) throw fail("expected Name = value");
    const std::u16string_view name = Trim(text.substr(0, eq));
    const std::u16string_view value_text = Trim(text.substr(eq + 1));
    if (!IsPropertyName(name)) {
      throw fail(std::string("\"").append(Narrow(name)) + "\" is not a property name");
    }
    if (value_text.empty()) throw fail(std::string("no value after \"").append(Narrow(name)) + " =\"");
    std::optional<FileValue> value = ParseValue(value_text);
    if (!value) {
      throw fail(std::string("the value of ").append(Narrow(name)) +
                 " is neither a \"quoted\" string, True/False nor a number: " +
                 Narrow(value_text));
    }
    std::u16string key;
    for (char16_t c : name) key += AsciiLower(c);
    if (const auto it = first_line_of.find(key); it != first_line_of.end()) {
      throw fail(Narrow(name) + " is given twice (first on line " + std::to_string(it->second) +
                 ")");
    }
    first_line_of[key] = number;
    section.lines.push_back({raw, FileEntry{std::u16string(name), std::move(*value)}, false});
  }

  // A file with headers keeps the lines before the first one (comments only)
  // as a leading headerless section.
  if (result.sections.size() > 1 && result.sections.front().lines.empty()) {
    result.sections.erase(result.sections.begin());
  }
  return result;
}

std::string WritePropertyFile(const PropertyFile& file, std::string_view file_name) {
  std::string out = file.bom ? "\xEF\xBB\xBF" : "";
  for (const PropertySection& section : file.sections) {
    if (section.has_header) {
      out += (section.header_raw.empty() ? std::string("[").append(Narrow(section.name)) + "]"
                                         : Narrow(section.header_raw)) +
             file.newline;
    }
    for (const PropertyLine& line : section.lines) {
      if (line.entry && (line.changed || line.raw.empty())) {
        if (!FormatValue(line.entry->value)) {
          throw PropertyFileError(std::string(file_name), 0,
                                  std::string("the value of ").append(Narrow(line.entry->name)) +
                                      " holds a line break or a broken character, which a "
                                      "property file cannot store");
        }
        out += Narrow(RenderEntry(*line.entry));
      } else {
        out += Narrow(line.raw);
      }
      out += file.newline;
    }
  }
  return out;
}

}  // namespace pelzorvick
