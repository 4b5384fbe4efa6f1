// Drawing on the surface: the recorded steps, drawn straight onto the DC
// they are shown on, the font, and the thread's DC that measures text.

#include "component/surface/WinCanvas.h"

#include <olectl.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "common/ComError.h"
#include "component/com/WideString.h"
#include "component/surface/ThreadShared.h"
#include "icons/OlePicture.h"
#include "component/surface/Units.h"

namespace pelzorvick {
namespace {

// Calls `line(text, length)` for each line of the text, split at CR LF, LF or
// CR, in the text's own storage.
template <class F>
void ForEachLine(std::u16string_view text, F&& line) {
  size_t begin = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') continue;
    line(AsWide(text.data() + begin), static_cast<int>(i - begin));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    begin = i + 1;
  }
  line(AsWide(text.data() + begin), static_cast<int>(text.size() - begin));
}

int LineCount(std::u16string_view text) {
  int lines = 0;
  ForEachLine(text, [&](const wchar_t*, int) { ++lines; });
  return lines;
}

thread_local ThreadShared<HDC> t_measuring;

// The DC's state as it was, back when this goes.
class SavedState {
 public:
  explicit SavedState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~SavedState() {
    if (saved_) RestoreDC(dc_, saved_);
  }
  SavedState(const SavedState&) = delete;
  SavedState& operator=(const SavedState&) = delete;

 private:
  HDC dc_;
  int saved_;
};

}  // namespace

// Solid fills and one-pixel lines in the DC's own brush and pen, whose
// colour is set per step: nothing to make, keep or delete per surface.
void FillShape(HDC dc, const RECT& rect, COLORREF rgb, bool vector) {
  SetDCBrushColor(dc, rgb);
  if (!vector) {
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    return;
  }
  const Selection brush(dc, GetStockObject(DC_BRUSH));
  const Selection pen(dc, GetStockObject(NULL_PEN));
  // Without a pen a rectangle is a pixel short across and down: this covers
  // what FillRect would.
  Rectangle(dc, rect.left, rect.top, rect.right + 1, rect.bottom + 1);
}

int WinCanvas::Target::X(int v) const { return static_cast<int>(std::lround(v * x)); }
int WinCanvas::Target::Y(int v) const { return static_cast<int>(std::lround(v * y)); }

bool WinCanvas::Op::operator==(const Op& o) const {
  return kind == o.kind && x1 == o.x1 && y1 == o.y1 && x2 == o.x2 && y2 == o.y2 && color == o.color &&
         picture.Get() == o.picture.Get() && hm_width == o.hm_width && hm_height == o.hm_height &&
         text == o.text && font == o.font && line_height == o.line_height;
}

void WinCanvas::DrawShown(HDC dc, int x, int y, const Target& target) const {
  const RECT rc = PixelRect();
  const RECT all{0, 0, rc.right - rc.left, rc.bottom - rc.top};
  const RECT clip{0, 0, target.X(all.right), target.Y(all.bottom)};
  const SavedState saved(dc);
  OffsetViewportOrgEx(dc, x, y, nullptr);
  IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
  // Before its first clearing the surface shows its background.
  if (shown_.empty() || shown_.front().kind != Op::kCls) {
    FillShape(dc, clip, ToColorRef(back_color_), target.vector);
  }
  // A step that fails (a picture that cannot be drawn) leaves the others to
  // be drawn; the first failure then goes to whoever asked for the drawing.
  std::optional<ComError> failure;
  for (const Op& op : shown_) {
    try {
      Execute(dc, op, all, target);
    } catch (const ComError& e) {
      if (!failure) failure = e;
    }
  }
  if (failure) throw *failure;
}

void WinCanvas::Execute(HDC dc, const Op& op, const RECT& all, const Target& target) const {
  switch (op.kind) {
    case Op::kCls:
      FillShape(dc, RECT{0, 0, target.X(all.right), target.Y(all.bottom)}, op.color, target.vector);
      break;
    case Op::kLine:
      if (target.vector) {
        // The pixels the line covers, scaled: a line as thick on paper as
        // on the screen.
        const RECT covered{target.X(std::min(op.x1, op.x2)), target.Y(std::min(op.y1, op.y2)),
                           target.X(std::max(op.x1, op.x2) + 1),
                           target.Y(std::max(op.y1, op.y2) + 1)};
        FillShape(dc, covered, op.color, true);
      } else {
        const Selection pen(dc, GetStockObject(DC_PEN));
        SetDCPenColor(dc, op.color);
        MoveToEx(dc, op.x1, op.y1, nullptr);
        LineTo(dc, op.x2, op.y2);
        SetPixel(dc, op.x2, op.y2, op.color);  // LineTo leaves the end point out
      }
      break;
    case Op::kPicture: {
      // The source rectangle runs bottom-up in HIMETRIC.
      const HRESULT hr = op.picture->Render(dc, target.X(op.x1), target.Y(op.y1), target.X(op.x2),
                                            target.Y(op.y2), 0, op.hm_height, op.hm_width,
                                            -op.hm_height, nullptr);
      if (FAILED(hr)) throw ComError(hr, u"The picture cannot be drawn");
      break;
    }
    case Op::kText: {
      // On another device the caption is set in its font at that device's
      // size, so it prints as text, as sharp as the device can.
      UniqueFont scaled;
      HFONT font = op.font->get();
      if (target.vector) {
        LOGFONTW lf{};
        if (GetObjectW(font, sizeof lf, &lf)) {
          lf.lfHeight = static_cast<LONG>(std::lround(lf.lfHeight * target.y));
          lf.lfWidth = 0;
          scaled.reset(CreateFontIndirectW(&lf));
          if (scaled) font = scaled.get();
        }
      }
      const Selection selected(dc, font);
      SetTextColor(dc, op.color);
      SetBkMode(dc, TRANSPARENT);
      int y = op.y1;
      ForEachLine(op.text, [&](const wchar_t* line, int length) {
        if (length > 0) TextOutW(dc, target.X(op.x1), target.Y(y), line, length);
        y += op.line_height;
      });
      break;
    }
    case Op::kFocus: {
      if (target.vector) break;  // a cue of the screen's, not of the control's look
      const RECT rect{op.x1, op.y1, op.x2, op.y2};
      // The system draws it by inverting, with the text colours of the DC.
      SetTextColor(dc, RGB(0, 0, 0));
      SetBkColor(dc, RGB(255, 255, 255));
      ::DrawFocusRect(dc, &rect);
      break;
    }
  }
}

void WinCanvas::Cls() {
  Op op{Op::kCls};
  op.color = ToColorRef(back_color_);
  Record(std::move(op));
  current_x_ = 0;
  current_y_ = 0;
}

void WinCanvas::Line(float x1, float y1, float x2, float y2, int32_t color) {
  Op op{Op::kLine};
  op.x1 = ToPixelsX(x1);
  op.y1 = ToPixelsY(y1);
  op.x2 = ToPixelsX(x2);
  op.y2 = ToPixelsY(y2);
  op.color = ToColorRef(color);
  Record(std::move(op));
}

void WinCanvas::PaintPicture(const Picture& picture, float x, float y) {
  IPicture* ole = OlePictureOf(&picture);
  if (!ole) ThrowTypeMismatch();
  OLE_XSIZE_HIMETRIC hm_width = 0;
  OLE_YSIZE_HIMETRIC hm_height = 0;
  HRESULT hr = ole->get_Width(&hm_width);
  if (SUCCEEDED(hr)) hr = ole->get_Height(&hm_height);
  if (FAILED(hr)) throw ComError(hr, u"The picture cannot be drawn");
  Op op{Op::kPicture};
  op.x1 = ToPixelsX(x);
  op.y1 = ToPixelsY(y);
  op.x2 = RoundToPixels(HimetricToTwipsX(static_cast<float>(hm_width)) / TwipsPerPixelX());
  op.y2 = RoundToPixels(HimetricToTwipsY(static_cast<float>(hm_height)) / TwipsPerPixelY());
  op.picture = ole;
  op.hm_width = hm_width;
  op.hm_height = hm_height;
  Record(std::move(op));
}

void WinCanvas::Print(std::u16string_view text) {
  Op op{Op::kText};
  op.x1 = ToPixelsX(current_x_);
  op.y1 = ToPixelsY(current_y_);
  op.color = ToColorRef(fore_color_);
  op.text = text;
  op.line_height = LineHeight();  // the font in place
  op.font = font_;
  const int y = op.y1 + LineCount(text) * op.line_height;
  Record(std::move(op));
  current_x_ = 0;
  current_y_ = static_cast<float>(y) * TwipsPerPixelY();
}

void WinCanvas::DrawFocusRect(float x1, float y1, float x2, float y2) {
  Op op{Op::kFocus};
  op.x1 = ToPixelsX(x1);
  op.y1 = ToPixelsY(y1);
  op.x2 = ToPixelsX(x2) + 1;
  op.y2 = ToPixelsY(y2) + 1;
  Record(std::move(op));
}

float WinCanvas::TextWidth(std::u16string_view text) {
  return static_cast<float>(MeasureText(text).cx) * TwipsPerPixelX();
}

float WinCanvas::TextHeight(std::u16string_view text) {
  return static_cast<float>(MeasureText(text).cy) * TwipsPerPixelY();
}

HDC WinCanvas::MeasuringDc() {
  if (!measuring_) {
    if (!AcquireShared(t_measuring, [] { return CreateCompatibleDC(nullptr); })) ThrowLastError();
    measuring_ = true;
    measuring_thread_ = GetCurrentThreadId();
  }
  return t_measuring.handle;
}

// Its last surface on the thread takes the measuring DC along. Released on
// another thread (which COM's apartments do not allow), it is left alone.
WinCanvas::~WinCanvas() {
  DestroyWindow();
  if (measuring_ && measuring_thread_ == GetCurrentThreadId()) {
    ReleaseShared(t_measuring, [](HDC dc) { DeleteDC(dc); });
  }
}

int WinCanvas::LineHeight() {
  EnsureFont();
  if (line_height_ < 0) {
    HDC dc = MeasuringDc();
    const Selection font(dc, font_->get());
    TEXTMETRICW tm{};
    if (!GetTextMetricsW(dc, &tm)) ThrowLastError();
    line_height_ = tm.tmHeight;
  }
  return line_height_;
}

SIZE WinCanvas::MeasureText(std::u16string_view text) {
  EnsureFont();
  for (const Measure& m : measures_) {
    if (m.font_generation == font_generation_ && m.text == text) {
      return m.extent;
    }
  }
  const int line_height = LineHeight();
  HDC dc = MeasuringDc();
  const Selection font(dc, font_->get());
  SIZE extent{0, 0};
  ForEachLine(text, [&](const wchar_t* line, int length) {
    SIZE s{0, 0};
    if (length > 0 && !GetTextExtentPoint32W(dc, line, length, &s)) ThrowLastError();
    extent.cx = std::max(extent.cx, s.cx);
    extent.cy += line_height;
  });
  constexpr size_t kKept = 4;
  if (measures_.size() == kKept) measures_.erase(measures_.begin());
  measures_.push_back({font_generation_, std::u16string(text), extent});
  return extent;
}

// Made again when the control's resolution changed, whose pixels it is
// sized in.
void WinCanvas::EnsureFont() {
  if (!font_dirty_ && font_ && font_dpi_ == DpiY()) return;
  LOGFONTW lf{};
  lf.lfHeight = -static_cast<LONG>(std::lround(font_size_ * static_cast<float>(DpiY()) / kPointsPerInch));
  if (lf.lfHeight == 0) lf.lfHeight = -1;
  lf.lfWeight = bold_ ? FW_BOLD : FW_NORMAL;
  lf.lfUnderline = underline_ ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  const size_t n = std::min(face_.size(), static_cast<size_t>(LF_FACESIZE - 1));
  std::copy_n(face_.c_str(), n, lf.lfFaceName);
  auto font = std::make_shared<UniqueFont>(CreateFontIndirectW(&lf));
  if (!*font) ThrowLastError();
  font_ = std::move(font);
  font_dirty_ = false;
  font_dpi_ = DpiY();
  ++font_generation_;
  line_height_ = -1;
}

}  // namespace pelzorvick
