#pragma once
// A property bag held in memory: an ordered list of typed values that
// converts on reading the way an automation bag would. It backs the
// control's stream persistence and stands in for a container's bag in tests.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "component/seams/PropertyBag.h"

namespace pelzorvick {

// The value types a stored property can have. int16_t is what a default
// written as a 16-bit integer looks like once stored.
using PropertyValue = std::variant<std::u16string, float, bool, int16_t>;

struct PropertyEntry {
  std::u16string key;
  PropertyValue value;
  bool operator==(const PropertyEntry&) const = default;
};

class MemoryPropertyBag : public PropertyBag {
 public:
  // With omit_defaults, a write of a value equal to its default removes the
  // key instead of storing it.
  explicit MemoryPropertyBag(bool omit_defaults = false) : omit_defaults_(omit_defaults) {}

  // Reads convert: a string gives its text; a number or boolean under a
  // string read gives its text form ("12.5", "True"). A number read takes a
  // number, a boolean (True = -1) or number text; a boolean read takes a
  // boolean, a number (non-zero = true), "True"/"False" in any case or
  // number text. Anything else throws the type mismatch.
  std::u16string ReadString(std::u16string_view key, std::u16string_view def) override;
  float ReadSingle(std::u16string_view key, int16_t def) override;
  bool ReadBool(std::u16string_view key, bool def) override;

  void WriteString(std::u16string_view key, std::u16string_view value,
                   std::u16string_view def) override;
  void WriteSingle(std::u16string_view key, float value, int16_t def) override;
  void WriteBool(std::u16string_view key, bool value, bool def) override;

  // Raw access. Keys match exactly. Set replaces a key's value in its place
  // or appends a new key, so entries stay in first-write order.
  const PropertyValue* Find(std::u16string_view key) const;
  void Set(std::u16string_view key, PropertyValue value);
  bool Remove(std::u16string_view key);
  void Clear() { entries_.clear(); }
  const std::vector<PropertyEntry>& Entries() const { return entries_; }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }

  bool operator==(const MemoryPropertyBag& other) const { return entries_ == other.entries_; }

 private:
  std::vector<PropertyEntry> entries_;
  bool omit_defaults_;
};

// The conversions of the reads above, on their own.
std::u16string PropertyValueToString(const PropertyValue& value);
float PropertyValueToSingle(const PropertyValue& value);  // throws the type mismatch
bool PropertyValueToBool(const PropertyValue& value);     // throws the type mismatch

// Number text as an automation bag reads it: surrounding blanks, a sign,
// digits with an optional '.' fraction and exponent, or "&H"/"&O" followed by
// hexadecimal/octal digits. Empty when the text is no number.
std::optional<double> ParseNumberText(std::u16string_view text);

}  // namespace pelzorvick
