#pragma once
// What a screen reader finds on a control: the accessible object of its
// surface window (AccessibleObjectFromWindow, OBJID_CLIENT), printed as
// "accessible: NAME what value" lines. Wine runs no screen reader; these
// are the questions one asks.

#include <windows.h>
#include <oleacc.h>

#include <string>

#include "component/com/ComPtr.h"

namespace pelzorvick {

// Null, with an error printed, when the window offers none.
ComPtr<IAccessible> SurfaceAccessible(const std::u16string& name, HWND surface);

// Name, role, state, description, default action and location, and the
// window's own screen rectangle to compare the location with.
bool PrintAccessible(const std::u16string& name, HWND surface);

bool DoAccessibleDefaultAction(const std::u16string& name, HWND surface);

// Asks an object whose control has been released every question again and
// prints each answer's code ("accessible: NAME released get_accName 0x...").
void PrintReleasedAccessible(const std::u16string& name, IAccessible* accessible);

}  // namespace pelzorvick
