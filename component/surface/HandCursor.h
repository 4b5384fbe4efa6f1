#pragma once
// The canvas's mouse pointer: a 32 x 32 monochrome hand, index finger up,
// hot spot at the fingertip (5, 1). Made from masks built here, so the module
// needs no cursor resource.

#include <windows.h>

namespace pelzorvick {

inline constexpr int kHandCursorSize = 32;
inline constexpr int kHandCursorHotX = 5;
inline constexpr int kHandCursorHotY = 1;

// A new cursor that the caller destroys with DestroyCursor; null on failure.
HCURSOR CreateHandCursor(HINSTANCE instance);

}  // namespace pelzorvick
