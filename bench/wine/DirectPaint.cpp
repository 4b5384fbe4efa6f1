#include "bench/wine/DirectPaint.h"

namespace pelzorvick::test {
namespace {

constexpr wchar_t kClass[] = L"PzDirectPaint";

void Frame(HDC dc, HPEN top_left, HPEN bottom_right, int w, int h, int inset) {
  HGDIOBJ old = SelectObject(dc, top_left);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, w, 0);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 0, h);
  SelectObject(dc, bottom_right);
  MoveToEx(dc, inset, h, nullptr);
  LineTo(dc, w, h);
  MoveToEx(dc, w, inset, nullptr);
  LineTo(dc, w, h + 1);
  SelectObject(dc, old);
}

}  // namespace

DirectPaint::DirectPaint(HWND parent, SIZE size, std::wstring caption)
    : size_(size), caption_(std::move(caption)) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Procedure;
  wc.lpszClassName = kClass;
  wc.hInstance = GetModuleHandleW(nullptr);
  RegisterClassW(&wc);  // fails harmlessly once registered
  hwnd_ = CreateWindowExW(0, kClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, size.cx, size.cy, parent,
                          nullptr, wc.hInstance, this);
}

DirectPaint::~DirectPaint() {
  DestroyWindow(hwnd_);
  if (buffer_) {
    SelectObject(buffer_, buffer_original_);
    DeleteObject(buffer_bitmap_);
    DeleteDC(buffer_);
  }
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(brush_),
                    static_cast<HGDIOBJ>(light_), static_cast<HGDIOBJ>(dark_)}) {
    if (o) DeleteObject(o);
  }
}

void DirectPaint::FirstPaint() { UpdateWindow(hwnd_); }

void DirectPaint::Paint() {
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

void DirectPaint::PressAndReleaseByMessages() {
  SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(hwnd_, WM_LBUTTONUP, 0, MAKELPARAM(-5, -5));
}

void DirectPaint::PressAndRelease() {
  HDC dc = GetDC(hwnd_);
  Draw(dc, true);
  Draw(dc, false);
  ReleaseDC(hwnd_, dc);
}

void DirectPaint::DrawOnce() {
  HDC dc = GetDC(hwnd_);
  Draw(dc, false);
  ReleaseDC(hwnd_, dc);
}

void DirectPaint::DrawOnceThroughBuffer() {
  HDC dc = GetDC(hwnd_);
  if (!buffer_) {
    buffer_ = CreateCompatibleDC(dc);
    buffer_bitmap_ = CreateCompatibleBitmap(dc, size_.cx, size_.cy);
    buffer_original_ = SelectObject(buffer_, buffer_bitmap_);
  }
  Draw(buffer_, false);
  BitBlt(dc, 0, 0, size_.cx, size_.cy, buffer_, 0, 0, SRCCOPY);
  ReleaseDC(hwnd_, dc);
}

LRESULT CALLBACK DirectPaint::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<DirectPaint*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_ERASEBKGND) return 1;
  if ((message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) && self) {
    if (message == WM_LBUTTONDOWN) {
      SetCapture(hwnd);
    } else {
      ReleaseCapture();
    }
    HDC dc = GetDC(hwnd);
    self->Draw(dc, message == WM_LBUTTONDOWN);
    ReleaseDC(hwnd, dc);
    return 0;
  }
  if (message == WM_PAINT && self) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    self->Draw(dc, false);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void DirectPaint::Draw(HDC dc, bool pressed) {
  if (!font_) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = DEFAULT_CHARSET;
    LOGFONTW gui{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
    lstrcpyW(lf.lfFaceName, gui.lfFaceName);
    font_ = CreateFontIndirectW(&lf);
    brush_ = CreateSolidBrush(RGB(0x20, 0x40, 0x60));
    light_ = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    dark_ = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW));
  }
  const RECT all{0, 0, size_.cx, size_.cy};
  FillRect(dc, &all, brush_);
  const int w = size_.cx - 1, h = size_.cy - 1;
  if (pressed) {
    Frame(dc, dark_, light_, w, h, 1);
  } else {
    Frame(dc, light_, dark_, w, h, 0);
  }
  HGDIOBJ old = SelectObject(dc, font_);
  SIZE extent{};
  GetTextExtentPoint32W(dc, caption_.data(), static_cast<int>(caption_.size()), &extent);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  SetBkMode(dc, TRANSPARENT);
  const int shift = pressed ? 1 : 0;
  TextOutW(dc, (size_.cx - extent.cx) / 2 + shift, (size_.cy - extent.cy) / 2 + shift, caption_.data(),
           static_cast<int>(caption_.size()));
  SelectObject(dc, old);
}

}  // namespace pelzorvick::test
