#pragma once
// The units of the Windows side in one place: HIMETRIC (the container's
// extents), twips (the control's coordinates), points (font sizes) and the
// screen's pixels.

#include <windows.h>

namespace pelzorvick {

inline constexpr int kHimetricPerInch = 2540;
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kPointsPerInch = 72;
// A screen at its normal size: what a screen that will not say is taken for.
inline constexpr int kStandardDpi = 96;

namespace units_detail {
inline int AskScreenDpi(int index) {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, index) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kStandardDpi;
}
}  // namespace units_detail

// The screen's pixels per inch across and down; kStandardDpi when the screen
// will not say. The system's DPI holds for a process's whole life (a change takes a
// new sign-in), and asking means a screen DC each time, which every unit
// conversion of a paint would pay: it is asked once.
inline int ScreenDpiX() {
  static const int dpi = units_detail::AskScreenDpi(LOGPIXELSX);
  return dpi;
}
inline int ScreenDpiY() {
  static const int dpi = units_detail::AskScreenDpi(LOGPIXELSY);
  return dpi;
}

// Pixels per inch across and down.
struct Resolution {
  int x = kStandardDpi;
  int y = kStandardDpi;
  bool operator==(const Resolution&) const = default;
};

inline Resolution ScreenResolution() { return Resolution{ScreenDpiX(), ScreenDpiY()}; }

// What a window is drawn at: a per-monitor aware container's window on a
// second monitor, or a window made by a thread that is not DPI-aware (96),
// disagree with the screen. GetDpiForWindow comes with Windows 10 1607 and
// is looked up once, since older systems and headers lack it; without it
// (or without a window) the screen's.
inline Resolution WindowResolution(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (window && get_dpi) {
    const int dpi = static_cast<int>(get_dpi(window));
    if (dpi > 0) return Resolution{dpi, dpi};
  }
  return ScreenResolution();
}

inline LONG HimetricToPixels(LONG himetric, int dpi) { return MulDiv(himetric, dpi, kHimetricPerInch); }
inline LONG PixelsToHimetric(LONG pixels, int dpi) { return MulDiv(pixels, kHimetricPerInch, dpi); }
inline float HimetricToTwips(float himetric) {
  return himetric * static_cast<float>(kTwipsPerInch) / static_cast<float>(kHimetricPerInch);
}

}  // namespace pelzorvick
