// The surface's child window: creation, its tooltip, painting from the shown
// image, and the mouse.

#include "component/win/WinCanvas.h"

#include <commctrl.h>

#include "component/Module.h"
#include "component/win/HandCursor.h"
#include "component/win/WindowClass.h"

namespace pelzorvick {
namespace {

constexpr wchar_t kCanvasClass[] = L"PelZorvickCanvas";

int16_t ShiftMask() {
  int16_t shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= 1;
  if (GetKeyState(VK_CONTROL) < 0) shift |= 2;
  if (GetKeyState(VK_MENU) < 0) shift |= 4;
  return shift;
}

}  // namespace

void WinCanvas::CreateWindowIn(HWND parent) {
  if (window_) {
    if (GetParent(window_.get()) == parent) return;
    DestroyWindow();
  }
  if (!EnsureWindowClass(kCanvasClass, WindowProcedure)) ThrowLastError();
  const RECT rc = PixelRect();
  window_.reset(CreateWindowExW(0, kCanvasClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, parent,
                                nullptr, Module::Handle(), this));
  if (!window_) ThrowLastError();
  if (!cursor_) cursor_.reset(CreateHandCursor(Module::Handle()));

  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent,
                                 nullptr, Module::Handle(), nullptr));
  if (tooltip_) {
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = parent;
    ti.uId = reinterpret_cast<UINT_PTR>(window_.get());
    ti.lpszText = tooltip_text_.data();
    SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

void WinCanvas::DestroyWindow() {
  tooltip_.reset();
  window_.reset();
  buttons_down_ = 0;
}

LRESULT CALLBACK WinCanvas::WindowProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return RouteToOwner(hwnd, message, wparam, lparam, u"Canvas", &WinCanvas::HandleMessage);
}

LRESULT WinCanvas::HandleMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) {
        CopyShownTo(dc, 0, 0);
        EndPaint(hwnd, &ps);
      }
      return 0;
    }
    case WM_PRINTCLIENT:
      CopyShownTo(reinterpret_cast<HDC>(wparam), 0, 0);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR:
      if (LOWORD(lparam) == HTCLIENT && cursor_) {
        SetCursor(cursor_.get());
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      OnButtonDown(1, lparam);
      return 0;
    case WM_RBUTTONDOWN:
      OnButtonDown(2, lparam);
      return 0;
    case WM_MBUTTONDOWN:
      OnButtonDown(4, lparam);
      return 0;
    case WM_LBUTTONUP:
      OnButtonUp(1, lparam);
      return 0;
    case WM_RBUTTONUP:
      OnButtonUp(2, lparam);
      return 0;
    case WM_MBUTTONUP:
      OnButtonUp(4, lparam);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lparam) != hwnd) buttons_down_ = 0;
      return 0;
    case WM_NCDESTROY:
      // Destroyed with the container's window: forget the handles, which may
      // soon name other windows. The tooltip belongs to the control window.
      if (hwnd == window_.get()) {
        window_.release();
        buttons_down_ = 0;
        if (!IsWindow(tooltip_.get())) tooltip_.release();
        tooltip_.reset();
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void WinCanvas::OnButtonDown(int16_t button, LPARAM lparam) {
  if (buttons_down_ == 0 && window_) SetCapture(window_.get());
  buttons_down_ |= button;
  const float x = static_cast<float>(static_cast<short>(LOWORD(lparam))) * TwipsPerPixelX();
  const float y = static_cast<float>(static_cast<short>(HIWORD(lparam))) * TwipsPerPixelY();
  events_.OnCanvasMouseDown(button, ShiftMask(), x, y);
}

void WinCanvas::OnButtonUp(int16_t button, LPARAM lparam) {
  const bool was_down = (buttons_down_ & button) != 0;
  buttons_down_ &= static_cast<int16_t>(~button);
  const short px = static_cast<short>(LOWORD(lparam));
  const short py = static_cast<short>(HIWORD(lparam));
  bool inside = false;
  if (window_) {
    RECT client{};
    GetClientRect(window_.get(), &client);
    inside = px >= client.left && px < client.right && py >= client.top && py < client.bottom;
    if (buttons_down_ == 0 && GetCapture() == window_.get()) ReleaseCapture();
  }
  events_.OnCanvasMouseUp(button, ShiftMask(), static_cast<float>(px) * TwipsPerPixelX(),
                          static_cast<float>(py) * TwipsPerPixelY(),
                          button == 1 && was_down && inside);
}

}  // namespace pelzorvick
