#pragma once
// The container's property bag. Conversion of a stored value to the asked
// type is the bag's job; an unconvertible value throws the type mismatch.

#include <cstdint>
#include <string>
#include <string_view>

namespace pelzorvick {

class PropertyBag {
 public:
  virtual ~PropertyBag() = default;

  // Each read yields the stored value converted, or the default when the key
  // is absent.
  virtual std::u16string ReadString(std::u16string_view key, std::u16string_view def) = 0;
  // The float's default travels as a 16-bit integer.
  virtual float ReadSingle(std::u16string_view key, int16_t def) = 0;
  virtual bool ReadBool(std::u16string_view key, bool def) = 0;

  // The bag may leave out a value equal to its default.
  virtual void WriteString(std::u16string_view key, std::u16string_view value,
                           std::u16string_view def) = 0;
  virtual void WriteSingle(std::u16string_view key, float value, int16_t def) = 0;
  virtual void WriteBool(std::u16string_view key, bool value, bool def) = 0;
};

}  // namespace pelzorvick
