#pragma once
// Window classes of this module, registered on first use.

#include <windows.h>

namespace pelzorvick {

// Registers the class under this module's handle unless it is already there;
// returns false (with the system's last error) when it cannot.
bool EnsureWindowClass(const wchar_t* name, WNDPROC procedure);

}  // namespace pelzorvick
