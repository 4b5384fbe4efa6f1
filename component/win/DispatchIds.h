#pragma once
// The dispatch ids of the control's members, as the type library has them.

#include <windows.h>
#include <oaidl.h>

#include <string_view>

namespace pelzorvick {

inline constexpr DISPID kDispidExecute = 0x60030022;
inline constexpr DISPID kDispidClick = 1;

struct PropertyDispid {
  std::u16string_view name;
  DISPID dispid;
};

// The eighteen properties in the interface's order.
inline constexpr PropertyDispid kPropertyDispids[] = {
    {u"FontSize", 0x68030011}, {u"Command", 0x68030010},  {u"Control", 0x6803000F},
    {u"Text", 0x6803000E},     {u"BackColor", 0x6803000D}, {u"ForeColor", 0x6803000C},
    {u"ImageURL", 0x6803000B}, {u"Command1", 0x6803000A}, {u"Command2", 0x68030009},
    {u"Command3", 0x68030008}, {u"Command4", 0x68030007}, {u"Command5", 0x68030006},
    {u"Command6", 0x68030005}, {u"Command7", 0x68030004}, {u"Command8", 0x68030003},
    {u"Command9", 0x68030002}, {u"AutoSize", 0x68030001}, {u"Border", 0x68030000},
};

// DISPID_UNKNOWN for a name that is none of them.
inline DISPID PropertyDispidOf(std::u16string_view name) {
  for (const PropertyDispid& p : kPropertyDispids) {
    if (p.name == name) return p.dispid;
  }
  return DISPID_UNKNOWN;
}

}  // namespace pelzorvick
