#pragma once
// What a form designer shows of the properties: the group of each (a
// category of the property browser, and the property page that edits it)
// and the values it offers in a list. The values are only offered: any
// other text can still be typed and keeps the meaning it has anywhere else.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "control/ZorvickCtrl.h"

namespace pelzorvick {

enum class PropertyGroup : uint8_t { kAppearance, kCommands };
inline constexpr std::array<PropertyGroup, 2> kPropertyGroups = {PropertyGroup::kAppearance,
                                                                 PropertyGroup::kCommands};

// "Appearance", "Commands".
std::u16string_view GroupName(PropertyGroup group);

// The properties of a group, in the order its page shows them.
std::span<const Property* const> PropertiesOf(PropertyGroup group);

// The group of the property with that dispatch id; none for any other id.
std::optional<PropertyGroup> GroupOf(int32_t dispid);

struct OfferedValue {
  std::u16string_view shown;  // in the list
  std::u16string_view value;  // what choosing it stores
};

// `Control`: the five modes. `ForeColor`, `BackColor`: "(default)", which
// stores the empty text, then the colour names in alphabetical order.
// Nothing for the other properties.
std::vector<OfferedValue> OfferedValues(const Property& p);

}  // namespace pelzorvick
