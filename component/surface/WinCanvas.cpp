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

void WinCanvas::ThrowLastError(std::u16string_view what) {
  const DWORD error = GetLastError();
  const HRESULT hr = error ? HRESULT_FROM_WIN32(error) : E_FAIL;
  throw ComError(static_cast<int32_t>(hr), std::u16string(what));
}

WinCanvas::WinCanvas(const ControlGeometry& geometry, CanvasEvents& events)
    : geometry_(geometry),
      events_(events),
      fore_color_(static_cast<int32_t>(0x80000000u | COLOR_BTNTEXT)),
      back_color_(static_cast<int32_t>(0x80000000u | COLOR_BTNFACE)),
      face_(DialogFace()) {}

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
  UpdateTool(TTM_UPDATETIPTEXTW);
}

void WinCanvas::SetCurrentX(float twips) { current_x_ = twips; }
void WinCanvas::SetCurrentY(float twips) { current_y_ = twips; }

int WinCanvas::DpiX() const { return geometry_.Dpi().x; }
int WinCanvas::DpiY() const { return geometry_.Dpi().y; }

float WinCanvas::HimetricToTwipsX(float himetric) { return HimetricToTwips(himetric); }
float WinCanvas::HimetricToTwipsY(float himetric) { return HimetricToTwips(himetric); }
float WinCanvas::TwipsPerPixelX() { return static_cast<float>(kTwipsPerInch) / static_cast<float>(DpiX()); }
float WinCanvas::TwipsPerPixelY() { return static_cast<float>(kTwipsPerInch) / static_cast<float>(DpiY()); }

int WinCanvas::ToPixelsX(float twips) { return RoundToPixels(twips / TwipsPerPixelX()); }
int WinCanvas::ToPixelsY(float twips) { return RoundToPixels(twips / TwipsPerPixelY()); }

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

// Where the surface stood and where it goes both change their look: the
// window is painted again, once, without being erased first.
void WinCanvas::PlacePending() {
  if (!placement_pending_) return;
  placement_pending_ = false;
  const RECT rc = PixelRect();
  if (EqualRect(&rc, &placed_)) return;
  placed_ = rc;
  if (!window_) return;
  InvalidateRect(window_.get(), nullptr, FALSE);
  UpdateTool(TTM_NEWTOOLRECTW);
}

RECT WinCanvas::PixelRect() const {
  const int left = geometry_.InnerToPixelsX(left_);
  const int top = geometry_.InnerToPixelsY(top_);
  const int width = geometry_.InnerToPixelsX(width_.value_or(geometry_.InnerWidth()));
  const int height = geometry_.InnerToPixelsY(height_.value_or(geometry_.InnerHeight()));
  return RECT{left, top, left + std::max(width, 0), top + std::max(height, 0)};
}

// A pass that starts with a clearing replaces the shown image; one that does
// not adds to it. A pass that repeats the shown image step for step changes
// nothing and draws nothing.
void WinCanvas::Commit() {
  PlacePending();
  std::vector<Op> pass = std::move(pass_);
  pass_.clear();
  bool changed = false;
  if (!pass.empty() && pass != shown_) {
    if (pass.front().kind != Op::kCls) {
      pass.insert(pass.begin(), std::make_move_iterator(shown_.begin()),
                  std::make_move_iterator(shown_.end()));
    }
    shown_ = std::move(pass);
    changed = true;
  }
  if (!window_) return;
  if (changed && !painting_) ShowNow();
  AnnounceChanges();
}

void WinCanvas::Rollback() {
  PlacePending();
  pass_.clear();
}

void WinCanvas::Record(Op op) {
  // Only the steps since the last clearing make the image.
  if (op.kind == Op::kCls) pass_.clear();
  pass_.push_back(std::move(op));
}

// The new image goes onto the window from the pass that made it, instead of
// through an invalidation and a paint of the window's own.
void WinCanvas::ShowNow() {
  const WindowDc dc(window_.get());
  if (!dc) return;
  const RECT rc = PixelRect();
  DrawShown(dc.get(), rc.left, rc.top, Target{});
}

namespace {

// A DC that shows what the window shows: the screen's, or a bitmap's at the
// window's resolution. Printers, metafiles and DCs of another resolution
// are not.
bool ShowsLikeTheWindow(HDC dc, Resolution dpi) {
  const DWORD type = GetObjectType(dc);
  if (type == OBJ_ENHMETADC || type == OBJ_METADC) return false;
  if (GetDeviceCaps(dc, TECHNOLOGY) != DT_RASDISPLAY) return false;
  return GetDeviceCaps(dc, LOGPIXELSX) == dpi.x && GetDeviceCaps(dc, LOGPIXELSY) == dpi.y;
}

}  // namespace

void WinCanvas::DrawControl(HDC dc, const RECT& bounds) {
  const SIZE client = geometry_.ClientPixels();
  const bool same_size = bounds.right - bounds.left == client.cx && bounds.bottom - bounds.top == client.cy;
  DrawScaled(dc, bounds, !same_size || !ShowsLikeTheWindow(dc, geometry_.Dpi()));
}

// The window's own paint is what the window shows, whatever resolution its
// DC reports (a per-monitor aware window's DC may report the system's).
void WinCanvas::DrawClient(HDC dc) {
  const SIZE client = geometry_.ClientPixels();
  DrawScaled(dc, RECT{0, 0, client.cx, client.cy}, false);
}

void WinCanvas::DrawScaled(HDC dc, const RECT& bounds, bool vector) {
  const SIZE client = geometry_.ClientPixels();
  const RECT surface = PixelRect();
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  if (client.cx <= 0 || client.cy <= 0) {
    FillRect(dc, &bounds, GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  // The control's client area maps onto the bounds; the surface keeps its
  // place in it.
  const int x = bounds.left + MulDiv(surface.left, width, client.cx);
  const int y = bounds.top + MulDiv(surface.top, height, client.cy);
  const RECT at{x, y, x + MulDiv(surface.right - surface.left, width, client.cx),
                y + MulDiv(surface.bottom - surface.top, height, client.cy)};
  Target target;
  if (vector) {
    target.x = static_cast<double>(width) / client.cx;
    target.y = static_cast<double>(height) / client.cy;
    target.vector = true;
  }
  {
    // Around the surface only: the surface is never painted over in another
    // colour before its image comes.
    const int saved = SaveDC(dc);
    ExcludeClipRect(dc, at.left, at.top, at.right, at.bottom);
    FillShape(dc, bounds, GetSysColor(COLOR_BTNFACE), target.vector);
    RestoreDC(dc, saved);
  }
  DrawShown(dc, at.left, at.top, target);
}

}  // namespace pelzorvick
