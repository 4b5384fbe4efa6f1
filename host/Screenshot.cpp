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

}  // namespace

bool CaptureClient(HWND hwnd, Pixels* out) {
  RECT rc{};
  if (!GetClientRect(hwnd, &rc) || rc.right <= 0 || rc.bottom <= 0) return false;
  const int w = rc.right, h = rc.bottom;

  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC mem = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  if (!bmp || !mem) {
    if (bmp) DeleteObject(bmp);
    if (mem) DeleteDC(mem);
    return false;
  }
  HGDIOBJ old = SelectObject(mem, bmp);
  Copy copy{hwnd, mem};
  CopyWindow(hwnd, copy);
  // EnumChildWindows visits parents before their children.
  EnumChildWindows(hwnd, CopyChild, reinterpret_cast<LPARAM>(&copy));
  GdiFlush();

  out->width = w;
  out->height = h;
  out->rgb.resize(static_cast<size_t>(w) * h * 3);
  const auto* src = static_cast<const uint8_t*>(bits);
  for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
    out->rgb[i * 3 + 0] = src[i * 4 + 2];
    out->rgb[i * 3 + 1] = src[i * 4 + 1];
    out->rgb[i * 3 + 2] = src[i * 4 + 0];
  }
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(bmp);
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
