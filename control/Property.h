#pragma once
// A row of the control's property table (ZorvickCtrl::kProperties): the name
// (the automation name and the bag's key alike), the dispatch id the type
// library gives it, its field, whose type is the property's type, and its
// default.

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace pelzorvick {

class ZorvickCtrl;

// In the order of Property::Field's alternatives.
enum class PropertyType : uint8_t { kSingle, kString, kBool };

struct Property {
  using Field =
      std::variant<float ZorvickCtrl::*, std::u16string ZorvickCtrl::*, bool ZorvickCtrl::*>;

  std::u16string_view name;
  int32_t dispid;
  Field field;
  // The default of a single or a boolean, as the bag is given it (a 16-bit
  // integer). Every string defaults to "".
  int16_t default_value = 0;

  constexpr PropertyType type() const { return static_cast<PropertyType>(field.index()); }

  // The value type of a field, and what a setter of that type takes.
  template <class Member>
  struct ValueOf;
  template <class T>
  struct ValueOf<T ZorvickCtrl::*> {
    using type = T;
  };
  template <class T>
  using ArgumentOf = std::conditional_t<std::is_same_v<T, std::u16string>, std::u16string_view, T>;
};

}  // namespace pelzorvick
