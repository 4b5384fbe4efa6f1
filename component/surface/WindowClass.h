#pragma once
// Window classes of this module, registered on first use.

#include <windows.h>

#include <string_view>

#include "component/com/ErrorInfo.h"

namespace pelzorvick {

// Registers the class under this module's handle unless it is already there;
// returns false (with the system's last error) when it cannot.
bool EnsureWindowClass(const wchar_t* name, WNDPROC procedure);

// The body of a window procedure whose windows each belong to one object of
// T, handed over as CreateWindowEx's parameter: messages go to (owner->*handle),
// and nothing it throws reaches the window system (it is reported under
// `where`, and the message answered 0).
template <class T>
LRESULT RouteToOwner(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                     std::u16string_view where,
                     LRESULT (T::*handle)(HWND, UINT, WPARAM, LPARAM)) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* owner = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!owner) return DefWindowProcW(hwnd, message, wparam, lparam);
  LRESULT result = 0;
  if (!GuardedEvent(where, [&] { result = (owner->*handle)(hwnd, message, wparam, lparam); })) {
    return 0;
  }
  return result;
}

// Answers WM_PAINT: `draw` gets the paint DC and the rectangle to paint. The
// paint ends even when `draw` throws.
template <class F>
void PaintWindow(HWND hwnd, F&& draw) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc) return;
  struct End {
    HWND hwnd;
    PAINTSTRUCT* ps;
    ~End() { EndPaint(hwnd, ps); }
  } end{hwnd, &ps};
  draw(dc, ps.rcPaint);
}

}  // namespace pelzorvick
