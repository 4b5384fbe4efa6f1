#include "component/win/WinCanvas.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/ComError.h"
#include "component/win/Units.h"
#include "component/win/WideString.h"

namespace pelzorvick {
namespace {

constexpr float kMaxFontPoints = 2048.0f;
constexpr int32_t kSystemColorFlag = static_cast<int32_t>(0x80000000);

std::wstring DialogFace() {
  LOGFONTW lf{};
  if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf) && lf.lfFaceName[0]) {
    return lf.lfFaceName;
  }
  return L"MS Shell Dlg";
}

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

COLORREF ToColorRef(int32_t color) {
  if ((color & kSystemColorFlag) != 0) return GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color & 0x00FFFFFF);
}

void WinCanvas::ThrowLastError() {
  const DWORD error = GetLastError();
  const HRESULT hr = error ? HRESULT_FROM_WIN32(error) : E_FAIL;
  throw ComError(static_cast<int32_t>(hr), u"The drawing surface failed");
}

WinCanvas::WinCanvas(const ControlGeometry& geometry, CanvasEvents& events)
    : geometry_(geometry),
      events_(events),
      fore_color_(static_cast<int32_t>(0x80000000u | COLOR_BTNTEXT)),
      back_color_(static_cast<int32_t>(0x80000000u | COLOR_BTNFACE)),
      face_(DialogFace()) {}

WinCanvas::~WinCanvas() { DestroyWindow(); }

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
    ti.hwnd = GetParent(window_.get());
    ti.uId = reinterpret_cast<UINT_PTR>(window_.get());
    ti.lpszText = tooltip_text_.data();
    SendMessageW(tooltip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

void WinCanvas::SetCurrentX(float twips) { current_x_ = twips; }
void WinCanvas::SetCurrentY(float twips) { current_y_ = twips; }

float WinCanvas::HimetricToTwipsX(float himetric) { return HimetricToTwips(himetric); }
float WinCanvas::HimetricToTwipsY(float himetric) { return HimetricToTwips(himetric); }
float WinCanvas::TwipsPerPixelX() { return ScreenTwipsPerPixelX(); }
float WinCanvas::TwipsPerPixelY() { return ScreenTwipsPerPixelY(); }

int WinCanvas::ToPixelsX(float twips) const { return RoundToPixels(twips / ScreenTwipsPerPixelX()); }
int WinCanvas::ToPixelsY(float twips) const { return RoundToPixels(twips / ScreenTwipsPerPixelY()); }

void WinCanvas::UpdatePlacement() {
  // Computed also without a window, so that what no window can be is refused
  // when it is set, not at some later drawing.
  const RECT rc = PixelRect();
  if (!window_) return;
  MoveWindow(window_.get(), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

RECT WinCanvas::PixelRect() const {
  const int left = geometry_.InnerToPixelsX(left_);
  const int top = geometry_.InnerToPixelsY(top_);
  const int width = geometry_.InnerToPixelsX(width_.value_or(geometry_.InnerWidth()));
  const int height = geometry_.InnerToPixelsY(height_.value_or(geometry_.InnerHeight()));
  return RECT{left, top, left + std::max(width, 0), top + std::max(height, 0)};
}

void WinCanvas::Commit() {
  if (!work_.dc) return;
  BitBlt(shown_.dc.get(), 0, 0, bitmap_size_.cx, bitmap_size_.cy, work_.dc.get(), 0, 0, SRCCOPY);
  if (window_) {
    InvalidateRect(window_.get(), nullptr, FALSE);
    UpdateWindow(window_.get());
    AnnounceChanges();
  }
}

void WinCanvas::Rollback() {
  if (!work_.dc) return;
  BitBlt(work_.dc.get(), 0, 0, bitmap_size_.cx, bitmap_size_.cy, shown_.dc.get(), 0, 0, SRCCOPY);
}

void WinCanvas::CopyShownTo(HDC dc, int x, int y) {
  if (shown_.dc) {
    BitBlt(dc, x, y, bitmap_size_.cx, bitmap_size_.cy, shown_.dc.get(), 0, 0, SRCCOPY);
    return;
  }
  // Nothing drawn yet: the surface as created, its background.
  RECT rc = PixelRect();
  OffsetRect(&rc, x - rc.left, y - rc.top);
  FillBackground(dc, rc);
}

}  // namespace pelzorvick
