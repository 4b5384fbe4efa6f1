#pragma once
// The dispatch ids of the control's method and event, as the type library
// has them.

#include <windows.h>
#include <oaidl.h>

namespace pelzorvick {

inline constexpr DISPID kDispidExecute = 0x60030022;
inline constexpr DISPID kDispidClick = 1;

// The properties' ids are in the control's table (ZorvickCtrl::kProperties).

}  // namespace pelzorvick
