#include "control/PropertyBrowsing.h"

#include "control/ModeText.h"
#include "text/ColorUtil.h"

namespace pelzorvick {
namespace {

template <std::size_t N>
consteval std::array<const Property*, N> Rows(const std::u16string_view (&names)[N]) {
  std::array<const Property*, N> rows{};
  for (std::size_t i = 0; i < N; ++i) {
    std::size_t row = 0;
    while (row < ZorvickCtrl::kPropertyCount && ZorvickCtrl::kProperties[row].name != names[i]) ++row;
    if (row == ZorvickCtrl::kPropertyCount) throw "no property of that name";
    rows[i] = &ZorvickCtrl::kProperties[row];
  }
  return rows;
}

constexpr auto kAppearance = Rows({u"Control", u"Text", u"FontSize", u"ForeColor", u"BackColor",
                                   u"AutoSize", u"Border", u"ImageURL"});
constexpr auto kCommands = Rows({u"Command", u"Command1", u"Command2", u"Command3", u"Command4",
                                 u"Command5", u"Command6", u"Command7", u"Command8", u"Command9"});

consteval bool EachPropertyInOneGroup() {
  for (const Property& p : ZorvickCtrl::kProperties) {
    int groups = 0;
    for (const Property* q : kAppearance) groups += q->name == p.name;
    for (const Property* q : kCommands) groups += q->name == p.name;
    if (groups != 1) return false;
  }
  return true;
}
static_assert(EachPropertyInOneGroup(), "every property belongs to exactly one group");

constexpr std::u16string_view kDefaultShown = u"(default)";

}  // namespace

std::u16string_view GroupName(PropertyGroup group) {
  return group == PropertyGroup::kAppearance ? u"Appearance" : u"Commands";
}

std::span<const Property* const> PropertiesOf(PropertyGroup group) {
  if (group == PropertyGroup::kAppearance) return kAppearance;
  return kCommands;
}

std::optional<PropertyGroup> GroupOf(int32_t dispid) {
  for (PropertyGroup group : kPropertyGroups) {
    for (const Property* p : PropertiesOf(group)) {
      if (p->dispid == dispid) return group;
    }
  }
  return std::nullopt;
}

std::vector<OfferedValue> OfferedValues(const Property& p) {
  std::vector<OfferedValue> offered;
  if (p.name == u"Control") {
    for (std::u16string_view name : mode::kAll) offered.push_back({name, name});
  } else if (p.name == u"ForeColor" || p.name == u"BackColor") {
    offered.push_back({kDefaultShown, u""});
    for (std::u16string_view name : ColorNames()) offered.push_back({name, name});
  }
  return offered;
}

}  // namespace pelzorvick
