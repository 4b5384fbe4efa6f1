// The control's window, which the surface is a region of: creation,
// painting, the thread's tooltip, the mouse, the keys and the focus.

#include "component/surface/WinCanvas.h"

#include <commctrl.h>
#include <oleacc.h>

#include "component/com/Module.h"
#include "component/surface/HandCursor.h"
#include "component/surface/ThreadShared.h"
#include "component/surface/WindowClass.h"

namespace pelzorvick {
namespace {

constexpr wchar_t kControlClass[] = L"PelZorvickControl";
// Sent to a child window when its DPI changed with its parent's (Windows 10
// 1703 on); the headers of older systems lack it.
constexpr UINT kDpiChangedAfterParent = 0x02E3;

// Shift and Ctrl come with the mouse message; asking for every key's state
// instead is a round trip to the window system each.
int16_t ShiftMask(WPARAM mouse_keys) {
  int16_t shift = 0;
  if (mouse_keys & MK_SHIFT) shift |= 1;
  if (mouse_keys & MK_CONTROL) shift |= 2;
  if (GetKeyState(VK_MENU) < 0) shift |= 4;
  return shift;
}

// The button mask of a button message: 1 left, 2 right, 4 middle.
int16_t ButtonOf(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: return 1;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: return 2;
    default: return 4;
  }
}

POINT PointOf(LPARAM lparam) {
  return POINT{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
}

// One for every surface of the process: it never changes.
HCURSOR HandCursor() {
  static const UniqueCursor cursor(CreateHandCursor(Module::Handle()));
  return cursor.get();
}

// One tooltip serves every control of a thread, each window a tool of it: a
// tooltip window per control cost as much as the control's own window. It has
// no owner, so that no control's window takes it along when it goes.
thread_local ThreadShared<HWND> t_tooltip;

HWND AcquireToolTip() {
  if (t_tooltip.handle && !IsWindow(t_tooltip.handle)) t_tooltip = {};
  return AcquireShared(t_tooltip, [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    return CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                           nullptr, Module::Handle(), nullptr);
  });
}

void ReleaseToolTip(HWND tooltip) {
  if (tooltip != t_tooltip.handle) return;
  ReleaseShared(t_tooltip, [](HWND window) { ::DestroyWindow(window); });
}

}  // namespace

void WinCanvas::CreateWindowIn(HWND parent, const RECT& pixels) {
  if (window_) {
    if (GetParent(window_.get()) == parent) return;
    DestroyWindow();
  }
  constexpr std::u16string_view kCannot = u"The control's window cannot be made";
  if (!EnsureWindowClass(kControlClass, WindowProcedure)) ThrowLastError(kCannot);
  // No title: the window would store an empty one at a round trip's cost.
  window_.reset(CreateWindowExW(0, kControlClass, nullptr,
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP,
                                pixels.left, pixels.top, pixels.right - pixels.left,
                                pixels.bottom - pixels.top, parent, nullptr, Module::Handle(),
                                this));
  if (!window_) ThrowLastError(kCannot);
  placed_ = PixelRect();
  placement_pending_ = false;
}

// The pointer's first move over the window makes it a tool of the thread's
// tooltip: a control the pointer never visits costs no tooltip.
void WinCanvas::AddTool() {
  tooltip_ = AcquireToolTip();
  if (tooltip_) UpdateTool(TTM_ADDTOOLW);
}

// The tool is the surface's rectangle of the window; the window relays its
// mouse messages itself (RelayMouse): the common controls' subclassing would
// stand between it and every message it gets.
void WinCanvas::UpdateTool(UINT message) {
  if (!tooltip_ || !window_) return;
  TTTOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.hwnd = window_.get();
  ti.rect = placed_;
  ti.lpszText = tooltip_text_.data();
  SendMessageW(tooltip_, message, 0, reinterpret_cast<LPARAM>(&ti));
}

void WinCanvas::RemoveTool() {
  if (!tooltip_) return;
  UpdateTool(TTM_DELTOOLW);
  ReleaseToolTip(tooltip_);
  tooltip_ = nullptr;
}

void WinCanvas::DestroyWindow() { DropWindow(true); }

void WinCanvas::DropWindow(bool destroy) {
  DisconnectAccessible();
  RemoveTool();
  if (destroy) {
    window_.reset();
  } else {
    window_.release();
  }
  buttons_down_ = 0;
  space_down_ = false;
  focused_ = false;
  captured_ = false;
}

LRESULT CALLBACK WinCanvas::WindowProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return RouteToOwner(hwnd, message, wparam, lparam, u"Control window", &WinCanvas::HandleMessage);
}

// What the tooltip needs to see to show itself over the surface and to go
// when a button is pressed.
void WinCanvas::RelayMouse(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_MOUSEMOVE:
      if (!tooltip_) AddTool();
      break;
    case WM_LBUTTONDOWN: case WM_LBUTTONUP:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP:
      break;
    default:
      return;
  }
  if (!tooltip_) return;
  MSG msg{hwnd, message, wparam, lparam, static_cast<DWORD>(GetMessageTime()), {}};
  const DWORD at = GetMessagePos();
  msg.pt = PointOf(static_cast<LPARAM>(at));
  SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

bool WinCanvas::OverSurface(LPARAM client_point) const {
  const POINT p = PointOf(client_point);
  return PtInRect(&placed_, p) != FALSE;
}

// The window's paint is the control's paint: the pass runs first, so that
// what it moves or resizes is painted by this same paint.
void WinCanvas::Paint(HWND hwnd) {
  {
    painting_ = true;
    const struct Done {
      bool& painting;
      ~Done() { painting = false; }
    } done{painting_};
    events_.OnCanvasPaint();
  }
  PaintWindow(hwnd, [this](HDC dc, const RECT&) { DrawClient(dc); });
}

LRESULT WinCanvas::HandleMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  RelayMouse(hwnd, message, wparam, lparam);
  switch (message) {
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_PRINTCLIENT: {
      const SIZE client = geometry_.ClientPixels();
      DrawControl(reinterpret_cast<HDC>(wparam), RECT{0, 0, client.cx, client.cy});
      return 0;
    }
    case kDpiChangedAfterParent:
      events_.OnCanvasDpiChanged();
      return 0;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
      // The system tells top-level windows; containers pass these on.
      events_.OnCanvasColorsChanged();
      break;
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel, never first in another colour
    case WM_SETCURSOR:
      if (LOWORD(lparam) == HTCLIENT && HandCursor()) {
        POINT p = PointOf(static_cast<LPARAM>(GetMessagePos()));
        ScreenToClient(hwnd, &p);
        if (PtInRect(&placed_, p)) {
          SetCursor(HandCursor());
          return TRUE;
        }
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // Outside the surface the window is only the control's background.
      if (buttons_down_ == 0 && !OverSurface(lparam)) return 0;
      if (message == WM_LBUTTONDOWN && !focused_) {
        focus_by_click_ = true;
        SetFocus(hwnd);
        focus_by_click_ = false;
      }
      OnButtonDown(ButtonOf(message), wparam, lparam);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      OnButtonUp(ButtonOf(message), wparam, lparam);
      return 0;
    case WM_GETOBJECT:
      if (static_cast<LONG>(lparam) == OBJID_CLIENT) return AccessibleObject(wparam);
      break;
    case WM_GETDLGCODE:
      return DialogCode(reinterpret_cast<const MSG*>(lparam));
    case WM_KEYDOWN:
    case WM_KEYUP:
      return OnKey(message, wparam, lparam);
    case WM_SETFOCUS:
      focused_ = true;
      events_.OnCanvasFocus(true, !focus_by_click_);
      NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd, OBJID_CLIENT, CHILDID_SELF);
      NotifyWinEvent(EVENT_OBJECT_STATECHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF);
      return 0;
    case WM_KILLFOCUS:
      focused_ = false;
      space_down_ = false;
      events_.OnCanvasFocus(false, false);
      if (window_) NotifyWinEvent(EVENT_OBJECT_STATECHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lparam) != hwnd) {
        buttons_down_ = 0;
        captured_ = false;
      }
      return 0;
    case WM_NCDESTROY:
      // Destroyed with the container's window: forget the handles, which may
      // soon name other windows.
      if (hwnd == window_.get()) DropWindow(false);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT WinCanvas::AccessibleObject(WPARAM wparam) {
  if (!window_) return 0;
  if (!accessible_) {
    accessible_ = new AccessibleSurface(window_.get(), events_, [this] { return ScreenRect(); });
  }
  return accessible_->Lresult(wparam);
}

RECT WinCanvas::ScreenRect() const {
  RECT rect = placed_;
  MapWindowPoints(window_.get(), HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void WinCanvas::DisconnectAccessible() {
  if (!accessible_) return;
  accessible_->Disconnect();
  accessible_.Reset();
}

void WinCanvas::AnnounceChanges() {
  const bool pressed = events_.SurfacePressed();
  std::u16string caption = events_.SurfaceCaption();
  HWND hwnd = window_.get();
  if (announced_ && pressed != announced_pressed_) {
    NotifyWinEvent(EVENT_OBJECT_STATECHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF);
  }
  if (announced_ && caption != announced_caption_) {
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF);
  }
  announced_ = true;
  announced_pressed_ = pressed;
  announced_caption_ = std::move(caption);
}

bool WinCanvas::WantsKey(const MSG& msg) const {
  if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP && msg.message != WM_CHAR) return false;
  return msg.wParam == VK_SPACE || msg.wParam == VK_RETURN ||
         (msg.wParam == VK_ESCAPE && space_down_);
}

// As a push button answers; Enter is wanted too, and Escape while Space is
// held, or a dialog would take them for its default and cancel buttons.
LRESULT WinCanvas::DialogCode(const MSG* msg) const {
  LRESULT code = DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
  if (msg && msg->wParam != VK_SPACE && WantsKey(*msg)) code |= DLGC_WANTMESSAGE;
  return code;
}

LRESULT WinCanvas::OnKey(UINT message, WPARAM wparam, LPARAM lparam) {
  CanvasKey key;
  switch (wparam) {
    case VK_SPACE: key = CanvasKey::kSpace; break;
    case VK_RETURN: key = CanvasKey::kEnter; break;
    case VK_ESCAPE: key = CanvasKey::kEscape; break;
    default: return DefWindowProcW(window_.get(), message, wparam, lparam);
  }
  const bool down = message == WM_KEYDOWN;
  const bool repeat = down && (lparam & (1 << 30)) != 0;  // the previous key state
  if (key == CanvasKey::kSpace) space_down_ = down;
  if (key == CanvasKey::kEscape && down) space_down_ = false;
  events_.OnCanvasKey(key, down, repeat);
  return 0;
}

// Coordinates go to the control from the surface's top-left corner.
void WinCanvas::OnButtonDown(int16_t button, WPARAM keys, LPARAM lparam) {
  if (buttons_down_ == 0 && window_) {
    SetCapture(window_.get());
    captured_ = true;
  }
  buttons_down_ |= button;
  const POINT p = PointOf(lparam);
  events_.OnCanvasMouseDown(button, ShiftMask(keys),
                            static_cast<float>(p.x - placed_.left) * TwipsPerPixelX(),
                            static_cast<float>(p.y - placed_.top) * TwipsPerPixelY());
}

void WinCanvas::OnButtonUp(int16_t button, WPARAM keys, LPARAM lparam) {
  const bool was_down = (buttons_down_ & button) != 0;
  if (!was_down && buttons_down_ == 0 && !OverSurface(lparam)) return;
  buttons_down_ &= static_cast<int16_t>(~button);
  const POINT p = PointOf(lparam);
  const bool inside = OverSurface(lparam);
  if (buttons_down_ == 0 && captured_) {
    captured_ = false;
    ReleaseCapture();
  }
  events_.OnCanvasMouseUp(button, ShiftMask(keys),
                          static_cast<float>(p.x - placed_.left) * TwipsPerPixelX(),
                          static_cast<float>(p.y - placed_.top) * TwipsPerPixelY(),
                          button == 1 && was_down && inside);
}

}  // namespace pelzorvick
