#include "component/persist/MemoryPropertyBag.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "common/ComError.h"
#include "text/StringUtil.h"

namespace pelzorvick {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::u16string Widen(const char* text) {
  std::u16string out;
  for (; *text; ++text) out.push_back(static_cast<unsigned char>(*text));
  return out;
}

// "&H1F" / "&O17": at most 32 bits of digits, read unsigned.
std::optional<double> ParseRadixText(std::u16string_view digits, int radix) {
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char16_t c : digits) {
    int d;
    if (IsDigit(c)) d = c - u'0';
    else if (radix == 16 && AsciiLower(c) >= u'a' && AsciiLower(c) <= u'f') d = AsciiLower(c) - u'a' + 10;
    else return std::nullopt;
    if (d >= radix) return std::nullopt;
    value = value * radix + d;
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<double>(value);
}

float NarrowToSingle(double value) {
  if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) {
    ThrowTypeMismatch();
  }
  return static_cast<float>(value);
}

}  // namespace

std::optional<double> ParseNumberText(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.size() > 2 && text[0] == u'&') {
    if (AsciiLower(text[1]) == u'h') return ParseRadixText(text.substr(2), 16);
    if (AsciiLower(text[1]) == u'o') return ParseRadixText(text.substr(2), 8);
    return std::nullopt;
  }

  // Check the grammar on the UTF-16 text, then let from_chars read an ASCII copy.
  std::string ascii;
  ascii.reserve(text.size());
  std::size_t i = 0;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    if (text[i] == u'-') ascii.push_back('-');
    ++i;
  }
  std::size_t mantissa_digits = 0;
  while (i < text.size() && IsDigit(text[i])) { ascii.push_back(static_cast<char>(text[i++])); ++mantissa_digits; }
  if (i < text.size() && text[i] == u'.') {
    ascii.push_back('.');
    ++i;
    while (i < text.size() && IsDigit(text[i])) { ascii.push_back(static_cast<char>(text[i++])); ++mantissa_digits; }
  }
  if (mantissa_digits == 0) return std::nullopt;
  if (i < text.size() && AsciiLower(text[i]) == u'e') {
    ascii.push_back('e');
    ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ascii.push_back(static_cast<char>(text[i++]));
    std::size_t exponent_digits = 0;
    while (i < text.size() && IsDigit(text[i])) { ascii.push_back(static_cast<char>(text[i++])); ++exponent_digits; }
    if (exponent_digits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;

  double value = 0;
  auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  // Beyond even a double's range, in either direction: no number we can hold.
  if (ec != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
  return value;
}

std::u16string PropertyValueToString(const PropertyValue& value) {
  if (auto* s = std::get_if<std::u16string>(&value)) return *s;
  if (auto* b = std::get_if<bool>(&value)) return *b ? u"True" : u"False";
  if (auto* i = std::get_if<int16_t>(&value)) return Widen(std::to_string(*i).c_str());
  // Seven significant digits, as the automation conversion of a 4-byte float.
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.7G", static_cast<double>(std::get<float>(value)));
  return Widen(buffer);
}

float PropertyValueToSingle(const PropertyValue& value) {
  if (auto* f = std::get_if<float>(&value)) return *f;
  if (auto* i = std::get_if<int16_t>(&value)) return *i;
  if (auto* b = std::get_if<bool>(&value)) return *b ? -1.0f : 0.0f;
  auto number = ParseNumberText(std::get<std::u16string>(value));
  if (!number) ThrowTypeMismatch();
  return NarrowToSingle(*number);
}

bool PropertyValueToBool(const PropertyValue& value) {
  if (auto* b = std::get_if<bool>(&value)) return *b;
  if (auto* f = std::get_if<float>(&value)) return *f != 0;
  if (auto* i = std::get_if<int16_t>(&value)) return *i != 0;
  const auto& text = std::get<std::u16string>(value);
  if (EqualsIgnoringAsciiCase(text, u"True")) return true;
  if (EqualsIgnoringAsciiCase(text, u"False")) return false;
  auto number = ParseNumberText(text);
  if (!number) ThrowTypeMismatch();
  return *number != 0;
}

std::u16string MemoryPropertyBag::ReadString(std::u16string_view key, std::u16string_view def) {
  const PropertyValue* value = Find(key);
  return value ? PropertyValueToString(*value) : std::u16string(def);
}

float MemoryPropertyBag::ReadSingle(std::u16string_view key, int16_t def) {
  const PropertyValue* value = Find(key);
  return value ? PropertyValueToSingle(*value) : static_cast<float>(def);
}

bool MemoryPropertyBag::ReadBool(std::u16string_view key, bool def) {
  const PropertyValue* value = Find(key);
  return value ? PropertyValueToBool(*value) : def;
}

void MemoryPropertyBag::WriteString(std::u16string_view key, std::u16string_view value,
                                    std::u16string_view def) {
  if (omit_defaults_ && value == def) Remove(key);
  else Set(key, std::u16string(value));
}

void MemoryPropertyBag::WriteSingle(std::u16string_view key, float value, int16_t def) {
  if (omit_defaults_ && value == static_cast<float>(def)) Remove(key);
  else Set(key, value);
}

void MemoryPropertyBag::WriteBool(std::u16string_view key, bool value, bool def) {
  if (omit_defaults_ && value == def) Remove(key);
  else Set(key, value);
}

const PropertyValue* MemoryPropertyBag::Find(std::u16string_view key) const {
  for (const auto& entry : entries_) {
    if (entry.key == key) return &entry.value;
  }
  return nullptr;
}

void MemoryPropertyBag::Set(std::u16string_view key, PropertyValue value) {
  for (auto& entry : entries_) {
    if (entry.key == key) {
      entry.value = std::move(value);
      return;
    }
  }
  entries_.push_back({std::u16string(key), std::move(value)});
}

bool MemoryPropertyBag::Remove(std::u16string_view key) {
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [&](const PropertyEntry& e) { return e.key == key; });
  if (it == entries_.end()) return false;
  entries_.erase(it);
  return true;
}

}  // namespace pelzorvick
