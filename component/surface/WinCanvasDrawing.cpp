// Drawing on the surface: the work and shown images, the font, lines,
// pictures and text, and the brush and pens kept for them.

#include "component/surface/WinCanvas.h"

#include <olectl.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "common/ComError.h"
#include "icons/OlePicture.h"
#include "component/com/WideString.h"
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

}  // namespace

bool WinCanvas::Op::operator==(const Op& o) const {
  return kind == o.kind && x1 == o.x1 && y1 == o.y1 && x2 == o.x2 && y2 == o.y2 && color == o.color &&
         picture.Get() == o.picture.Get() && hm_width == o.hm_width && hm_height == o.hm_height &&
         text == o.text && font_generation == o.font_generation;
}

HBRUSH WinCanvas::BrushFor(COLORREF rgb) {
  if (!brush_ || brush_rgb_ != rgb) {
    UniqueBrush brush(CreateSolidBrush(rgb));
    if (!brush) ThrowLastError();
    brush_ = std::move(brush);
    brush_rgb_ = rgb;
  }
  return brush_.get();
}

// A frame has two colours; a few more are kept before the oldest goes.
HPEN WinCanvas::PenFor(COLORREF rgb) {
  for (const Pen& p : pens_) {
    if (p.rgb == rgb) return p.pen.get();
  }
  UniquePen pen(CreatePen(PS_SOLID, 1, rgb));
  if (!pen) ThrowLastError();
  constexpr size_t kKept = 4;
  if (pens_.size() == kKept) pens_.erase(pens_.begin());
  pens_.push_back({rgb, std::move(pen)});
  return pens_.back().pen.get();
}

void WinCanvas::FillBackground(HDC dc, const RECT& rect) {
  FillRect(dc, &rect, BrushFor(ToColorRef(back_color_)));
}

void WinCanvas::Record(Op op) {
  HDC dc = Surface();
  if (pass_.empty()) {
    repeating_ = op.kind == Op::kCls && !shown_ops_.empty() && shown_ops_.front() == op;
  } else if (repeating_ && (pass_.size() >= shown_ops_.size() || !(shown_ops_[pass_.size()] == op))) {
    DrawRepeated();
  }
  pass_.push_back(std::move(op));
  if (!repeating_) Execute(dc, pass_.back());
}

void WinCanvas::DrawRepeated() {
  repeating_ = false;
  for (const Op& op : pass_) Execute(work_.dc.get(), op);
}

void WinCanvas::Execute(HDC dc, const Op& op) {
  switch (op.kind) {
    case Op::kCls: {
      const RECT all{0, 0, bitmap_size_.cx, bitmap_size_.cy};
      FillRect(dc, &all, BrushFor(op.color));
      break;
    }
    case Op::kLine: {
      {
        const Selection selected(dc, PenFor(op.color));
        MoveToEx(dc, op.x1, op.y1, nullptr);
        LineTo(dc, op.x2, op.y2);
      }
      SetPixel(dc, op.x2, op.y2, op.color);  // LineTo leaves the end point out
      break;
    }
    case Op::kPicture: {
      // The source rectangle runs bottom-up in HIMETRIC.
      const HRESULT hr = op.picture->Render(dc, op.x1, op.y1, op.x2, op.y2, 0, op.hm_height,
                                            op.hm_width, -op.hm_height, nullptr);
      if (FAILED(hr)) throw ComError(hr, u"The picture cannot be drawn");
      break;
    }
    case Op::kText: {
      SetTextColor(dc, op.color);
      SetBkMode(dc, TRANSPARENT);
      int y = op.y1;
      ForEachLine(op.text, [&](const wchar_t* line, int length) {
        if (length > 0) TextOutW(dc, op.x1, y, line, length);
        y += LineHeight();
      });
      break;
    }
    case Op::kFocus: {
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
  Surface();  // the font in place: its generation and line height are current
  op.font_generation = font_generation_;
  const int y = op.y1 + LineCount(text) * LineHeight();
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

int WinCanvas::LineHeight() {
  if (line_height_ < 0) {
    TEXTMETRICW tm{};
    GetTextMetricsW(Surface(), &tm);
    line_height_ = tm.tmHeight;
  }
  return line_height_;
}

SIZE WinCanvas::MeasureText(std::u16string_view text) {
  HDC dc = Surface();
  for (const Measure& m : measures_) {
    if (m.font_generation == font_generation_ && m.text == text) {
      return m.extent;
    }
  }
  SIZE extent{0, 0};
  ForEachLine(text, [&](const wchar_t* line, int length) {
    SIZE s{0, 0};
    if (length > 0 && !GetTextExtentPoint32W(dc, line, length, &s)) ThrowLastError();
    extent.cx = std::max(extent.cx, s.cx);
    extent.cy += LineHeight();
  });
  constexpr size_t kKept = 4;
  if (measures_.size() == kKept) measures_.erase(measures_.begin());
  measures_.push_back({font_generation_, std::u16string(text), extent});
  return extent;
}

HDC WinCanvas::Surface() {
  EnsureBitmaps();
  EnsureFont();
  return work_.dc.get();
}

WinCanvas::Image WinCanvas::MakeImage(HDC screen, SIZE size) {
  Image image;
  image.dc.reset(CreateCompatibleDC(screen));
  image.bitmap.reset(CreateCompatibleBitmap(screen, size.cx, size.cy));
  if (!image.dc || !image.bitmap) ThrowLastError();
  image.selected = Selection(image.dc.get(), image.bitmap.get());
  return image;
}

void WinCanvas::EnsureBitmaps() {
  const RECT rc = PixelRect();
  const SIZE size{std::max<LONG>(rc.right - rc.left, 1), std::max<LONG>(rc.bottom - rc.top, 1)};
  if (work_.dc && size.cx == bitmap_size_.cx && size.cy == bitmap_size_.cy) return;

  const WindowDc screen(nullptr);
  if (!screen) ThrowLastError();
  // What a repeating pass has not drawn yet goes into the old image first,
  // which the new one starts from.
  if (repeating_) DrawRepeated();
  shown_ops_.clear();
  Image work = MakeImage(screen.get(), size);
  Image shown = MakeImage(screen.get(), size);

  // The new bitmaps start as the background, with what was there kept.
  const RECT all{0, 0, size.cx, size.cy};
  FillBackground(work.dc.get(), all);
  FillBackground(shown.dc.get(), all);
  if (work_.dc) {
    BitBlt(work.dc.get(), 0, 0, bitmap_size_.cx, bitmap_size_.cy, work_.dc.get(), 0, 0, SRCCOPY);
    BitBlt(shown.dc.get(), 0, 0, bitmap_size_.cx, bitmap_size_.cy, shown_.dc.get(), 0, 0, SRCCOPY);
  }
  font_selected_.reset();  // the font leaves the old work DC before it goes
  work_ = std::move(work);
  shown_ = std::move(shown);
  bitmap_size_ = size;
  if (font_) font_selected_ = Selection(work_.dc.get(), font_.get());
}

void WinCanvas::EnsureFont() {
  if (!font_dirty_ && font_) return;
  LOGFONTW lf{};
  lf.lfHeight = -static_cast<LONG>(std::lround(font_size_ * static_cast<float>(ScreenDpiY()) / kPointsPerInch));
  if (lf.lfHeight == 0) lf.lfHeight = -1;
  lf.lfWeight = bold_ ? FW_BOLD : FW_NORMAL;
  lf.lfUnderline = underline_ ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  const size_t n = std::min(face_.size(), static_cast<size_t>(LF_FACESIZE - 1));
  std::copy_n(face_.c_str(), n, lf.lfFaceName);
  UniqueFont font(CreateFontIndirectW(&lf));
  if (!font) ThrowLastError();
  if (repeating_) DrawRepeated();  // what it repeated, in the font it was drawn in
  font_selected_.reset();
  if (work_.dc) font_selected_ = Selection(work_.dc.get(), font.get());
  font_ = std::move(font);
  font_dirty_ = false;
  ++font_generation_;
  line_height_ = -1;
}

}  // namespace pelzorvick
