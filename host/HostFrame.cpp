#include "host/HostFrame.h"

#include <algorithm>
#include <utility>

#include "host/HostSite.h"

namespace pelzorvick {

namespace {
constexpr wchar_t kClassName[] = L"ZorvickHostForm";
}

HostFrame::HostFrame() = default;

HostFrame::~HostFrame() = default;

bool HostFrame::Create(const wchar_t* title) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);
  hwnd_.reset(CreateWindowExW(0, kClassName, title,
                          WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                          CW_USEDEFAULT, CW_USEDEFAULT, 240, 120, nullptr, nullptr, wc.hInstance,
                          this));
  return static_cast<bool>(hwnd_);
}

void HostFrame::HoldLayout() { layout_held_ = true; }

void HostFrame::ReleaseLayout() {
  layout_held_ = false;
  if (std::exchange(layout_wanted_, false)) Layout();
}

void HostFrame::Layout() {
  if (!hwnd_) return;
  if (layout_held_) {
    layout_wanted_ = true;
    return;
  }
  if (laying_out_) {  // a control answered its new rectangle with a new size
    again_ = true;
    return;
  }
  laying_out_ = true;
  int y = kMargin;
  int width = 0;
  for (int round = 0; round < 8; ++round) {
    again_ = false;
    y = kMargin;
    width = 0;
    for (HostSite* site : sites_) {
      const SIZE size = site->Size();
      site->MoveTo(RECT{kMargin, y, kMargin + size.cx, y + size.cy});
      y += size.cy + kMargin;
      width = std::max<int>(width, size.cx);
    }
    if (!again_) break;
  }
  RECT want{0, 0, std::max(width + 2 * kMargin, 160), std::max(y, 40)};
  RECT have{};
  GetClientRect(hwnd_.get(), &have);
  if (have.right != want.right || have.bottom != want.bottom) {
    AdjustWindowRectEx(&want, static_cast<DWORD>(GetWindowLongPtrW(hwnd_.get(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_.get(), GWL_EXSTYLE)));
    SetWindowPos(hwnd_.get(), nullptr, 0, 0, want.right - want.left, want.bottom - want.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  laying_out_ = false;
}

LRESULT CALLBACK HostFrame::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<HostFrame*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && msg == WM_CLOSE) {
    self->closed_ = true;
    return 0;  // the host tears the controls down before the window goes
  }
  if (msg == WM_SYSCOLORCHANGE || msg == WM_SETTINGCHANGE) {
    // The system tells top-level windows; the controls hear it from their form.
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      SendMessageW(child, msg, wp, lp);
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool HostFrame::TranslateKey(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  if (active_) {
    ComPtr<IOleInPlaceActiveObject> active = active_;  // it may deactivate itself
    if (active->TranslateAccelerator(&msg) == S_OK) return true;
  }
  return IsDialogMessageW(hwnd_.get(), &msg) != FALSE;
}

void DispatchHostMessage(MSG& msg) {
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  wchar_t cls[64] = {};
  if (root && GetClassNameW(root, cls, 64) && wcscmp(cls, kClassName) == 0) {
    auto* form = reinterpret_cast<HostFrame*>(GetWindowLongPtrW(root, GWLP_USERDATA));
    if (form && form->TranslateKey(msg)) return;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void PumpMessages(int idle_ms, int max_ms) {
  const ULONGLONG start = GetTickCount64();
  ULONGLONG last = start;
  for (;;) {
    MSG msg;
    bool any = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      any = true;
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      DispatchHostMessage(msg);
    }
    const ULONGLONG now = GetTickCount64();
    if (any) last = now;
    if (now - last >= static_cast<ULONGLONG>(idle_ms) ||
        now - start >= static_cast<ULONGLONG>(max_ms)) {
      return;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

HRESULT HostFrame::GetWindow(Guarded, HWND* phwnd) {
  if (!phwnd) return E_POINTER;
  *phwnd = hwnd_.get();
  return S_OK;
}
HRESULT HostFrame::ContextSensitiveHelp(Guarded, BOOL) { return E_NOTIMPL; }
HRESULT HostFrame::GetBorder(Guarded, LPRECT) { return INPLACE_E_NOTOOLSPACE; }
HRESULT HostFrame::RequestBorderSpace(Guarded, LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
HRESULT HostFrame::SetBorderSpace(Guarded, LPCBORDERWIDTHS) { return S_OK; }
// One control is UI-active at a time: the one taking over makes the form
// deactivate the one before (which calls back here with null).
HRESULT HostFrame::SetActiveObject(Guarded, IOleInPlaceActiveObject* active, LPCOLESTR) {
  if (active_ && active && active_.Get() != active) {
    ComPtr<IOleInPlaceObject> previous;
    if (SUCCEEDED(active_.As(&previous))) previous->UIDeactivate();
  }
  active_ = active;
  return S_OK;
}
HRESULT HostFrame::InsertMenus(Guarded, HMENU, LPOLEMENUGROUPWIDTHS) { return S_OK; }
HRESULT HostFrame::SetMenu(Guarded, HMENU, HOLEMENU, HWND) { return S_OK; }
HRESULT HostFrame::RemoveMenus(Guarded, HMENU) { return S_OK; }
HRESULT HostFrame::SetStatusText(Guarded, LPCOLESTR) { return S_OK; }
HRESULT HostFrame::EnableModeless(Guarded, BOOL) { return S_OK; }
HRESULT HostFrame::TranslateAccelerator(Guarded, LPMSG, WORD) { return S_FALSE; }

}  // namespace pelzorvick
