#include "component/surface/WinCanvas.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/ComError.h"
#include "component/surface/Units.h"
#include "component/com/WideString.h"

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
  AssignOrRestore(left_, twips, [this] { PlaceLater(); });
}

void WinCanvas::SetTop(float twips) {
  AssignOrRestore(top_, twips, [this] { PlaceLater(); });
}

float WinCanvas::Width() { return width_.value_or(geometry_.InnerWidth()); }
float WinCanvas::Height() { return height_.value_or(geometry_.InnerHeight()); }

void WinCanvas::SetWidth(float twips) {
  if (!std::isfinite(twips) || twips < 0) ThrowOverflow();
  AssignOrRestore(width_, std::optional<float>(twips), [this] { PlaceLater(); });
}

void WinCanvas::SetHeight(float twips) {
  if (!std::isfinite(twips) || twips < 0) ThrowOverflow();
  AssignOrRestore(height_, std::optional<float>(twips), [this] { PlaceLater(); });
}

void WinCanvas::SetForeColor(int32_t color) { fore_color_ = color; }
void WinCanvas::SetBackColor(int32_t color) { back_color_ = color; }

void WinCanvas::SetFontSize(float points) {
  if (!(points > 0)) return;
  const float size = std::min(points, kMaxFontPoints);
  font_dirty_ |= size != font_size_;
  font_size_ = size;
}

void WinCanvas::SetFontBold(bool on) {
  font_dirty_ |= on != bold_;
  bold_ = on;
}

void WinCanvas::SetFontUnderline(bool on) {
  font_dirty_ |= on != underline_;
  underline_ = on;
}

void WinCanvas::SetToolTipText(std::u16string_view text) {
  std::wstring wide = ToWide(text);
  if (wide == tooltip_text_) return;
  tooltip_text_ = std::move(wide);
  if (tooltip_ && window_) {
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = tool_owner_;
    ti.uId = reinterpret_cast<UINT_PTR>(window_.get());
    ti.lpszText = tooltip_text_.data();
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
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

void WinCanvas::PlaceLater() {
  // Computed now, so that what no window can be is refused when it is set,
  // not at some later drawing.
  PixelRect();
  placement_pending_ = true;
}

void WinCanvas::UpdatePlacement() {
  PlaceLater();
  PlacePending();
}

void WinCanvas::PlacePending() {
  if (!placement_pending_) return;
  placement_pending_ = false;
  const RECT rc = PixelRect();
  if (!window_ || EqualRect(&rc, &placed_)) return;
  MoveWindow(window_.get(), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
  placed_ = rc;
}

RECT WinCanvas::PixelRect() const {
  const int left = geometry_.InnerToPixelsX(left_);
  const int top = geometry_.InnerToPixelsY(top_);
  const int width = geometry_.InnerToPixelsX(width_.value_or(geometry_.InnerWidth()));
  const int height = geometry_.InnerToPixelsY(height_.value_or(geometry_.InnerHeight()));
  return RECT{left, top, left + std::max(width, 0), top + std::max(height, 0)};
}

void WinCanvas::Commit() {
  PlacePending();
  // A pass that stopped short of what it repeated draws that part now.
  if (repeating_ && pass_.size() < shown_ops_.size()) {
    try {
      DrawRepeated();
    } catch (...) {
      Rollback();
      return;
    }
  }
  // Nothing drawn, or the same image drawn again: the shown one stays.
  const bool changed = !pass_.empty() && !repeating_;
  if (changed) shown_ops_ = pass_.front().kind == Op::kCls ? std::move(pass_) : std::vector<Op>();
  EndPass();
  if (changed && work_.dc) {
    BitBlt(shown_.dc.get(), 0, 0, bitmap_size_.cx, bitmap_size_.cy, work_.dc.get(), 0, 0, SRCCOPY);
    if (window_) ShowNow();
  }
  if (window_) AnnounceChanges();
}

// The new image goes onto the window from the pass that made it, instead of
// through an invalidation and a paint of the window's own: the same pixels
// for a fraction of the round trips. It covers whatever the window had left
// to paint, so that is done with too.
void WinCanvas::ShowNow() {
  {
    const WindowDc dc(window_.get());
    if (dc) CopyShownTo(dc.get(), 0, 0);
  }
  ValidateRect(window_.get(), nullptr);
}

void WinCanvas::Rollback() {
  PlacePending();
  if (!pass_.empty() && !repeating_ && work_.dc) {
    BitBlt(work_.dc.get(), 0, 0, bitmap_size_.cx, bitmap_size_.cy, shown_.dc.get(), 0, 0, SRCCOPY);
  }
  EndPass();
}

void WinCanvas::EndPass() {
  pass_.clear();
  repeating_ = false;
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
