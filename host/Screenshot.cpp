#include "host/Screenshot.h"

#include <cstdio>
#include <vector>

#include "host/PngEncoder.h"

namespace pelzorvick {

namespace {

struct Copy {
  HWND top;
  HDC target;
};

// Children are copied over the parent, parents before children, so that
// the result is right whether or not the parent's DC shows its children.
void CopyWindow(HWND hwnd, const Copy& copy) {
  RECT rc{};
  GetClientRect(hwnd, &rc);
  POINT origin{0, 0};
  MapWindowPoints(hwnd, copy.top, &origin, 1);
  HDC dc = GetDC(hwnd);
  if (dc) {
    BitBlt(copy.target, origin.x, origin.y, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(hwnd, dc);
  }
}

BOOL CALLBACK CopyChild(HWND hwnd, LPARAM param) {
  if (IsWindowVisible(hwnd)) CopyWindow(hwnd, *reinterpret_cast<const Copy*>(param));
  return TRUE;
}

// A top-down 32-bit DIB section selected into a memory DC, read out as RGB.
class Dib {
 public:
  Dib(int w, int h) : w_(w), h_(h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    bitmap_ = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
    dc_ = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (bitmap_ && dc_) old_ = SelectObject(dc_, bitmap_);
  }
  ~Dib() {
    if (old_) SelectObject(dc_, old_);
    if (dc_) DeleteDC(dc_);
    if (bitmap_) DeleteObject(bitmap_);
  }
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;
  HDC dc() const { return old_ ? dc_ : nullptr; }
  void Read(Pixels* out) const {
    GdiFlush();
    out->width = w_;
    out->height = h_;
    out->rgb.resize(static_cast<size_t>(w_) * h_ * 3);
    const auto* src = static_cast<const uint8_t*>(bits_);
    for (size_t i = 0; i < static_cast<size_t>(w_) * h_; ++i) {
      out->rgb[i * 3 + 0] = src[i * 4 + 2];
      out->rgb[i * 3 + 1] = src[i * 4 + 1];
      out->rgb[i * 3 + 2] = src[i * 4 + 0];
    }
  }

 private:
  int w_, h_;
  void* bits_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

}  // namespace

bool CaptureClient(HWND hwnd, Pixels* out) {
  RECT rc{};
  if (!GetClientRect(hwnd, &rc) || rc.right <= 0 || rc.bottom <= 0) return false;
  const Dib dib(rc.right, rc.bottom);
  if (!dib.dc()) return false;
  Copy copy{hwnd, dib.dc()};
  CopyWindow(hwnd, copy);
  // EnumChildWindows visits parents before their children.
  EnumChildWindows(hwnd, CopyChild, reinterpret_cast<LPARAM>(&copy));
  dib.Read(out);
  return true;
}

bool RenderForm(HWND form, int form_dpi, int dpi, const std::vector<PlacedView>& views, Pixels* out,
                HRESULT* failed) {
  RECT rc{};
  if (!GetClientRect(form, &rc) || rc.right <= 0 || rc.bottom <= 0) return false;
  const auto scale = [&](LONG v) { return MulDiv(v, dpi, form_dpi); };
  const Dib dib(scale(rc.right), scale(rc.bottom));
  if (!dib.dc()) return false;
  const RECT all{0, 0, scale(rc.right), scale(rc.bottom)};
  FillRect(dib.dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  *failed = S_OK;
  for (const PlacedView& placed : views) {
    const RECTL bounds{scale(placed.rect.left), scale(placed.rect.top), scale(placed.rect.right),
                       scale(placed.rect.bottom)};
    const HRESULT hr = placed.view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dib.dc(),
                                         &bounds, nullptr, nullptr, 0);
    if (FAILED(hr) && SUCCEEDED(*failed)) *failed = hr;
  }
  dib.Read(out);
  return true;
}

bool SavePng(const Pixels& pixels, const std::wstring& path, std::u16string* error) {
  const std::string png = EncodePng(static_cast<uint32_t>(pixels.width),
                                    static_cast<uint32_t>(pixels.height), pixels.rgb);
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) {
    *error = u"cannot write " + std::u16string(reinterpret_cast<const char16_t*>(path.c_str()));
    return false;
  }
  const bool ok = fwrite(png.data(), 1, png.size(), f) == png.size();
  if (fclose(f) != 0 || !ok) {
    *error = u"cannot write " + std::u16string(reinterpret_cast<const char16_t*>(path.c_str()));
    return false;
  }
  return true;
}

}  // namespace pelzorvick
