#include "component/win/WinCanvas.h"

#include <commctrl.h>
#include <olectl.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "common/ComError.h"
#include "component/Module.h"
#include "component/win/ErrorInfo.h"
#include "component/win/HandCursor.h"
#include "component/win/OlePicture.h"
#include "component/win/WideString.h"
#include "component/win/WindowClass.h"

namespace pelzorvick {
namespace {

constexpr wchar_t kCanvasClass[] = L"PelZorvickCanvas";
constexpr float kMaxFontPoints = 2048.0f;
constexpr int32_t kSystemColorFlag = static_cast<int32_t>(0x80000000);

void ThrowLastError() {
  const DWORD error = GetLastError();
  const HRESULT hr = error ? HRESULT_FROM_WIN32(error) : E_FAIL;
  throw ComError(static_cast<int32_t>(hr), u"The drawing surface failed");
}

std::wstring DialogFace() {
  LOGFONTW lf{};
  if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf) && lf.lfFaceName[0]) {
    return lf.lfFaceName;
  }
  return L"MS Shell Dlg";
}

// The text split at CR LF, LF or CR.
std::vector<std::wstring> SplitLines(std::u16string_view text) {
  std::vector<std::wstring> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      lines.emplace_back();
    } else {
      lines.back().push_back(static_cast<wchar_t>(c));
    }
  }
  return lines;
}

int16_t ShiftMask() {
  int16_t shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= 1;
  if (GetKeyState(VK_CONTROL) < 0) shift |= 2;
  if (GetKeyState(VK_MENU) < 0) shift |= 4;
  return shift;
}

}  // namespace

COLORREF ToColorRef(int32_t color) {
  if ((color & kSystemColorFlag) != 0) return GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color & 0x00FFFFFF);
}

WinCanvas::WinCanvas(const ControlGeometry& geometry, CanvasEvents& events)
    : geometry_(geometry),
      events_(events),
      fore_color_(static_cast<int32_t>(0x80000000u | COLOR_BTNTEXT)),
      back_color_(static_cast<int32_t>(0x80000000u | COLOR_BTNFACE)),
      face_(DialogFace()) {}

WinCanvas::~WinCanvas() {
  DestroyWindow();
  ReleaseBitmaps();
  if (font_) DeleteObject(font_);
  if (cursor_) DestroyCursor(cursor_);
}

namespace {
// A placement that fails leaves the surface as it was, so a later layout (with
// a caption that fits, say) starts from a sound state.
template <class T, class F>
void AssignOrRestore(T& field, T value, F&& apply) {
  T before = std::move(field);
  field = std::move(value);
  try {
    apply();
  } catch (...) {
    field = std::move(before);
    throw;
  }
}
}  // namespace

void WinCanvas::SetLeft(float twips) {
  AssignOrRestore(left_, twips, [this] { UpdatePlacement(); });
}

void WinCanvas::SetTop(float twips) {
  AssignOrRestore(top_, twips, [this] { UpdatePlacement(); });
}

float WinCanvas::Width() { return width_.value_or(geometry_.InnerWidth()); }
float WinCanvas::Height() { return height_.value_or(geometry_.InnerHeight()); }

void WinCanvas::SetWidth(float twips) {
  if (!std::isfinite(twips) || twips < 0) ThrowOverflow();
  AssignOrRestore(width_, std::optional<float>(twips), [this] { UpdatePlacement(); });
}

void WinCanvas::SetHeight(float twips) {
  if (!std::isfinite(twips) || twips < 0) ThrowOverflow();
  AssignOrRestore(height_, std::optional<float>(twips), [this] { UpdatePlacement(); });
}

void WinCanvas::SetForeColor(int32_t color) { fore_color_ = color; }
void WinCanvas::SetBackColor(int32_t color) { back_color_ = color; }

void WinCanvas::SetFontSize(float points) {
  if (!(points > 0)) return;
  font_size_ = std::min(points, kMaxFontPoints);
  font_dirty_ = true;
}

void WinCanvas::SetFontBold(bool on) {
  bold_ = on;
  font_dirty_ = true;
}

void WinCanvas::SetFontUnderline(bool on) {
  underline_ = on;
  font_dirty_ = true;
}

void WinCanvas::SetToolTipText(std::u16string_view text) {
  tooltip_text_ = ToWide(text);
  if (tooltip_ && window_) {
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = GetParent(window_);
    ti.uId = reinterpret_cast<UINT_PTR>(window_);
    ti.lpszText = tooltip_text_.data();
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

void WinCanvas::SetCurrentX(float twips) { current_x_ = twips; }
void WinCanvas::SetCurrentY(float twips) { current_y_ = twips; }

void WinCanvas::Cls() {
  HDC dc = Surface();
  RECT all{0, 0, bitmap_size_.cx, bitmap_size_.cy};
  HBRUSH brush = CreateSolidBrush(ToColorRef(back_color_));
  if (!brush) ThrowLastError();
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  current_x_ = 0;
  current_y_ = 0;
}

void WinCanvas::Line(float x1, float y1, float x2, float y2, int32_t color) {
  const int px1 = ToPixelsX(x1), py1 = ToPixelsY(y1);
  const int px2 = ToPixelsX(x2), py2 = ToPixelsY(y2);
  HDC dc = Surface();
  const COLORREF rgb = ToColorRef(color);
  HPEN pen = CreatePen(PS_SOLID, 1, rgb);
  if (!pen) ThrowLastError();
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, px1, py1, nullptr);
  LineTo(dc, px2, py2);
  SelectObject(dc, old);
  DeleteObject(pen);
  SetPixel(dc, px2, py2, rgb);  // LineTo leaves the end point out
}

void WinCanvas::PaintPicture(const Picture& picture, float x, float y) {
  IPicture* ole = OlePictureOf(&picture);
  if (!ole) ThrowTypeMismatch();
  OLE_XSIZE_HIMETRIC hm_width = 0;
  OLE_YSIZE_HIMETRIC hm_height = 0;
  HRESULT hr = ole->get_Width(&hm_width);
  if (SUCCEEDED(hr)) hr = ole->get_Height(&hm_height);
  if (FAILED(hr)) throw ComError(hr, u"The picture cannot be drawn");
  const int px = ToPixelsX(x), py = ToPixelsY(y);
  const int cx = RoundToPixels(HimetricToTwipsX(static_cast<float>(hm_width)) / TwipsPerPixelX());
  const int cy = RoundToPixels(HimetricToTwipsY(static_cast<float>(hm_height)) / TwipsPerPixelY());
  HDC dc = Surface();
  // The source rectangle runs bottom-up in HIMETRIC.
  hr = ole->Render(dc, px, py, cx, cy, 0, hm_height, hm_width, -hm_height, nullptr);
  if (FAILED(hr)) throw ComError(hr, u"The picture cannot be drawn");
}

void WinCanvas::Print(std::u16string_view text) {
  const int x = ToPixelsX(current_x_);
  int y = ToPixelsY(current_y_);
  HDC dc = Surface();
  SetTextColor(dc, ToColorRef(fore_color_));
  SetBkMode(dc, TRANSPARENT);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  for (const std::wstring& line : SplitLines(text)) {
    if (!line.empty()) TextOutW(dc, x, y, line.data(), static_cast<int>(line.size()));
    y += tm.tmHeight;
  }
  current_x_ = 0;
  current_y_ = static_cast<float>(y) * TwipsPerPixelY();
}

float WinCanvas::TextWidth(std::u16string_view text) {
  return static_cast<float>(MeasureText(text).cx) * TwipsPerPixelX();
}

float WinCanvas::TextHeight(std::u16string_view text) {
  return static_cast<float>(MeasureText(text).cy) * TwipsPerPixelY();
}

float WinCanvas::HimetricToTwipsX(float himetric) { return himetric * 1440.0f / 2540.0f; }
float WinCanvas::HimetricToTwipsY(float himetric) { return himetric * 1440.0f / 2540.0f; }
float WinCanvas::TwipsPerPixelX() { return ScreenTwipsPerPixelX(); }
float WinCanvas::TwipsPerPixelY() { return ScreenTwipsPerPixelY(); }

void WinCanvas::CreateWindowIn(HWND parent) {
  if (window_) {
    if (GetParent(window_) == parent) return;
    DestroyWindow();
  }
  if (!EnsureWindowClass(kCanvasClass, WindowProcedure)) ThrowLastError();
  const RECT rc = PixelRect();
  window_ = CreateWindowExW(0, kCanvasClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, rc.left,
                            rc.top, rc.right - rc.left, rc.bottom - rc.top, parent, nullptr,
                            Module::Handle(), this);
  if (!window_) ThrowLastError();
  if (!cursor_) cursor_ = CreateHandCursor(Module::Handle());

  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent,
                             nullptr, Module::Handle(), nullptr);
  if (tooltip_) {
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = parent;
    ti.uId = reinterpret_cast<UINT_PTR>(window_);
    ti.lpszText = tooltip_text_.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

void WinCanvas::DestroyWindow() {
  if (tooltip_) ::DestroyWindow(tooltip_);
  tooltip_ = nullptr;
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
  window_ = nullptr;
  buttons_down_ = 0;
}

void WinCanvas::UpdatePlacement() {
  // Computed also without a window, so that what no window can be is refused
  // when it is set, not at some later drawing.
  const RECT rc = PixelRect();
  if (!window_) return;
  MoveWindow(window_, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

RECT WinCanvas::PixelRect() const {
  const int left = geometry_.InnerToPixelsX(left_);
  const int top = geometry_.InnerToPixelsY(top_);
  const int width = geometry_.InnerToPixelsX(width_.value_or(geometry_.InnerWidth()));
  const int height = geometry_.InnerToPixelsY(height_.value_or(geometry_.InnerHeight()));
  return RECT{left, top, left + std::max(width, 0), top + std::max(height, 0)};
}

void WinCanvas::Commit() {
  if (!work_dc_) return;
  BitBlt(shown_dc_, 0, 0, bitmap_size_.cx, bitmap_size_.cy, work_dc_, 0, 0, SRCCOPY);
  if (window_) {
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);
  }
}

void WinCanvas::Rollback() {
  if (!work_dc_) return;
  BitBlt(work_dc_, 0, 0, bitmap_size_.cx, bitmap_size_.cy, shown_dc_, 0, 0, SRCCOPY);
}

void WinCanvas::CopyShownTo(HDC dc, int x, int y) {
  if (shown_dc_) {
    BitBlt(dc, x, y, bitmap_size_.cx, bitmap_size_.cy, shown_dc_, 0, 0, SRCCOPY);
    return;
  }
  // Nothing drawn yet: the surface as created, its background.
  RECT rc = PixelRect();
  OffsetRect(&rc, x - rc.left, y - rc.top);
  HBRUSH brush = CreateSolidBrush(ToColorRef(back_color_));
  if (brush) {
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
  }
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
        SetCursor(cursor_);
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
      if (hwnd == window_) {
        window_ = nullptr;
        buttons_down_ = 0;
        if (tooltip_ && IsWindow(tooltip_)) ::DestroyWindow(tooltip_);
        tooltip_ = nullptr;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void WinCanvas::OnButtonDown(int16_t button, LPARAM lparam) {
  if (buttons_down_ == 0 && window_) SetCapture(window_);
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
    GetClientRect(window_, &client);
    inside = px >= client.left && px < client.right && py >= client.top && py < client.bottom;
    if (buttons_down_ == 0 && GetCapture() == window_) ReleaseCapture();
  }
  events_.OnCanvasMouseUp(button, ShiftMask(), static_cast<float>(px) * TwipsPerPixelX(),
                          static_cast<float>(py) * TwipsPerPixelY(),
                          button == 1 && was_down && inside);
}

HDC WinCanvas::Surface() {
  EnsureBitmaps();
  EnsureFont();
  return work_dc_;
}

void WinCanvas::EnsureBitmaps() {
  const RECT rc = PixelRect();
  const SIZE size{std::max<LONG>(rc.right - rc.left, 1), std::max<LONG>(rc.bottom - rc.top, 1)};
  if (work_dc_ && size.cx == bitmap_size_.cx && size.cy == bitmap_size_.cy) return;

  HDC screen = GetDC(nullptr);
  if (!screen) ThrowLastError();
  HDC work = CreateCompatibleDC(screen);
  HDC shown = CreateCompatibleDC(screen);
  HBITMAP work_bitmap = CreateCompatibleBitmap(screen, size.cx, size.cy);
  HBITMAP shown_bitmap = CreateCompatibleBitmap(screen, size.cx, size.cy);
  ReleaseDC(nullptr, screen);
  if (!work || !shown || !work_bitmap || !shown_bitmap) {
    if (work) DeleteDC(work);
    if (shown) DeleteDC(shown);
    if (work_bitmap) DeleteObject(work_bitmap);
    if (shown_bitmap) DeleteObject(shown_bitmap);
    ThrowLastError();
  }
  HGDIOBJ work_original = SelectObject(work, work_bitmap);
  HGDIOBJ shown_original = SelectObject(shown, shown_bitmap);

  // The new bitmaps start as the background, with what was there kept.
  RECT all{0, 0, size.cx, size.cy};
  HBRUSH brush = CreateSolidBrush(ToColorRef(back_color_));
  if (brush) {
    FillRect(work, &all, brush);
    FillRect(shown, &all, brush);
    DeleteObject(brush);
  }
  if (work_dc_) {
    BitBlt(work, 0, 0, bitmap_size_.cx, bitmap_size_.cy, work_dc_, 0, 0, SRCCOPY);
    BitBlt(shown, 0, 0, bitmap_size_.cx, bitmap_size_.cy, shown_dc_, 0, 0, SRCCOPY);
  }
  ReleaseBitmaps();
  work_dc_ = work;
  shown_dc_ = shown;
  work_bitmap_ = work_bitmap;
  shown_bitmap_ = shown_bitmap;
  work_original_ = work_original;
  shown_original_ = shown_original;
  bitmap_size_ = size;
  font_dirty_ = true;  // the font goes into the new DC
}

void WinCanvas::ReleaseBitmaps() {
  if (work_dc_) {
    if (font_original_) SelectObject(work_dc_, font_original_);
    SelectObject(work_dc_, work_original_);
    DeleteDC(work_dc_);
  }
  if (shown_dc_) {
    SelectObject(shown_dc_, shown_original_);
    DeleteDC(shown_dc_);
  }
  if (work_bitmap_) DeleteObject(work_bitmap_);
  if (shown_bitmap_) DeleteObject(shown_bitmap_);
  work_dc_ = shown_dc_ = nullptr;
  work_bitmap_ = shown_bitmap_ = nullptr;
  work_original_ = shown_original_ = font_original_ = nullptr;
  bitmap_size_ = SIZE{0, 0};
}

void WinCanvas::EnsureFont() {
  if (!font_dirty_ && font_) return;
  LOGFONTW lf{};
  lf.lfHeight = -static_cast<LONG>(std::lround(font_size_ * static_cast<float>(ScreenDpiY()) / 72.0f));
  if (lf.lfHeight == 0) lf.lfHeight = -1;
  lf.lfWeight = bold_ ? FW_BOLD : FW_NORMAL;
  lf.lfUnderline = underline_ ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  const size_t n = std::min(face_.size(), static_cast<size_t>(LF_FACESIZE - 1));
  std::copy_n(face_.c_str(), n, lf.lfFaceName);
  HFONT font = CreateFontIndirectW(&lf);
  if (!font) ThrowLastError();
  if (work_dc_) {
    HGDIOBJ previous = SelectObject(work_dc_, font);
    if (!font_original_) font_original_ = previous;
  }
  if (font_) DeleteObject(font_);
  font_ = font;
  font_dirty_ = false;
}

SIZE WinCanvas::MeasureText(std::u16string_view text) {
  HDC dc = Surface();
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SIZE extent{0, 0};
  for (const std::wstring& line : SplitLines(text)) {
    SIZE s{0, 0};
    if (!line.empty() && !GetTextExtentPoint32W(dc, line.data(), static_cast<int>(line.size()), &s)) {
      ThrowLastError();
    }
    extent.cx = std::max(extent.cx, s.cx);
    extent.cy += tm.tmHeight;
  }
  return extent;
}

int WinCanvas::ToPixelsX(float twips) const { return RoundToPixels(twips / ScreenTwipsPerPixelX()); }
int WinCanvas::ToPixelsY(float twips) const { return RoundToPixels(twips / ScreenTwipsPerPixelY()); }

}  // namespace pelzorvick
