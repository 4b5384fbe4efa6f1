#pragma once
// The host's property file: the stored properties of the controls on one
// form, one `Name = value` per line, optionally in sections ([Control1], ...)
// with one control per section.
//
// Values: "double-quoted" text is a string (a doubled quote stands for one),
// True/False a boolean, anything else must be a number (kept as its text).
// Blank lines and lines whose first character is ' are comments. Writing
// keeps comments, blank lines and untouched entries byte for byte.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pelzorvick {

struct FileValue {
  enum class Kind { kString, kBoolean, kNumber };

  Kind kind = Kind::kString;
  std::u16string text;  // the string, or the number exactly as written
  bool boolean = false;

  static FileValue String(std::u16string s);
  static FileValue Boolean(bool b);
  // `text` must satisfy IsNumberText.
  static FileValue Number(std::u16string text);

  // An integer number that fits 32 bits; anything else is read as a double.
  bool IsInteger() const;
  int32_t AsInteger() const;
  double AsDouble() const;

  friend bool operator==(const FileValue&, const FileValue&) = default;
};

// [+|-]digits[.digits][e[+|-]digits], digits before or after the point.
bool IsNumberText(std::u16string_view text);
// Shortest text that reads back as the same float / double.
std::u16string FormatSingle(float value);
std::u16string FormatDouble(double value);

// Parses the text after "=" (already trimmed); empty for a malformed value.
std::optional<FileValue> ParseValue(std::u16string_view text);
// The value as the file stores it; empty when the string holds a line break
// or a lone surrogate, which one line of UTF-8 cannot carry.
std::optional<std::u16string> FormatValue(const FileValue& value);

struct FileEntry {
  std::u16string name;
  FileValue value;
};

// One line of a section: a comment or blank line (raw only), or an entry.
// `raw` is the line as read; an entry changed since is written afresh.
struct PropertyLine {
  std::u16string raw;
  std::optional<FileEntry> entry;
  bool changed = false;
};

struct PropertySection {
  std::u16string name;  // the [header]; empty for a file without headers
  bool has_header = false;
  std::u16string header_raw;  // the header line as read; empty for a new one
  std::vector<PropertyLine> lines;

  // Names compare case-insensitively (ASCII), as property bags do.
  const FileEntry* Find(std::u16string_view name) const;
  // Replaces the value in place (keeping the line when it is equal) or
  // appends a new entry.
  void Set(std::u16string_view name, const FileValue& value);
  void Remove(std::u16string_view name);
  std::vector<std::u16string> Names() const;
};

struct PropertyFile {
  std::vector<PropertySection> sections;
  std::string newline = "\r\n";
  bool bom = false;

  // The sections that hold controls: every headed section, or the one
  // headerless section of a file without headers.
  std::vector<PropertySection*> Controls();
};

// What went wrong and where: "FILE:LINE: message" (LINE 0 for the whole file).
class PropertyFileError : public std::runtime_error {
 public:
  PropertyFileError(std::string file, int line, std::string message);
  const std::string& file() const { return file_; }
  int line() const { return line_; }
  const std::string& message() const { return message_; }

 private:
  std::string file_;
  int line_;
  std::string message_;
};

// Throws PropertyFileError for the first malformed line; nothing is returned
// then, so a broken file loads nothing.
PropertyFile ParsePropertyFile(std::string_view bytes, std::string_view file_name);
// Throws PropertyFileError (line 0) when a value cannot be stored.
std::string WritePropertyFile(const PropertyFile& file, std::string_view file_name);

bool NamesEqual(std::u16string_view a, std::u16string_view b);

}  // namespace pelzorvick
