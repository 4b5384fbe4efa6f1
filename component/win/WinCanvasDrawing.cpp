// Drawing on the surface: the work and shown images, the font, lines,
// pictures and text.

#include "component/win/WinCanvas.h"

#include <olectl.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "common/ComError.h"
#include "component/win/OlePicture.h"

namespace pelzorvick {
namespace {

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

}  // namespace

void WinCanvas::FillBackground(HDC dc, const RECT& rect) const {
  const UniqueBrush brush(CreateSolidBrush(ToColorRef(back_color_)));
  if (brush) FillRect(dc, &rect, brush.get());
}

void WinCanvas::Cls() {
  HDC dc = Surface();
  const UniqueBrush brush(CreateSolidBrush(ToColorRef(back_color_)));
  if (!brush) ThrowLastError();
  const RECT all{0, 0, bitmap_size_.cx, bitmap_size_.cy};
  FillRect(dc, &all, brush.get());
  current_x_ = 0;
  current_y_ = 0;
}

void WinCanvas::Line(float x1, float y1, float x2, float y2, int32_t color) {
  const int px1 = ToPixelsX(x1), py1 = ToPixelsY(y1);
  const int px2 = ToPixelsX(x2), py2 = ToPixelsY(y2);
  HDC dc = Surface();
  const COLORREF rgb = ToColorRef(color);
  const UniquePen pen(CreatePen(PS_SOLID, 1, rgb));
  if (!pen) ThrowLastError();
  {
    const Selection selected(dc, pen.get());
    MoveToEx(dc, px1, py1, nullptr);
    LineTo(dc, px2, py2);
  }
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

void WinCanvas::DrawFocusRect(float x1, float y1, float x2, float y2) {
  const RECT rect{ToPixelsX(x1), ToPixelsY(y1), ToPixelsX(x2) + 1, ToPixelsY(y2) + 1};
  HDC dc = Surface();
  // The system draws it by inverting, with the text colours of the DC.
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));
  ::DrawFocusRect(dc, &rect);
}

float WinCanvas::TextWidth(std::u16string_view text) {
  return static_cast<float>(MeasureText(text).cx) * TwipsPerPixelX();
}

float WinCanvas::TextHeight(std::u16string_view text) {
  return static_cast<float>(MeasureText(text).cy) * TwipsPerPixelY();
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
  font_dirty_ = true;  // the font goes into the new DC
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
  UniqueFont font(CreateFontIndirectW(&lf));
  if (!font) ThrowLastError();
  font_selected_.reset();
  if (work_.dc) font_selected_ = Selection(work_.dc.get(), font.get());
  font_ = std::move(font);
  font_dirty_ = false;
}

}  // namespace pelzorvick
