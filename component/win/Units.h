#pragma once
// The units of the Windows side in one place: HIMETRIC (the container's
// extents), twips (the control's coordinates) and the screen's pixels.

#include <windows.h>

namespace pelzorvick {

inline constexpr int kHimetricPerInch = 2540;
inline constexpr int kTwipsPerInch = 1440;

// The screen's pixels per inch along LOGPIXELSX or LOGPIXELSY; 96 when the
// screen will not say. The system's DPI holds for a process's whole life (a
// change takes a new sign-in), and asking means a screen DC each time, which
// every unit conversion of a paint would pay: it is asked once.
inline int ScreenLogPixels(int index) {
  const auto ask = [](int which) {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, which) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
  };
  static const int x = ask(LOGPIXELSX);
  static const int y = ask(LOGPIXELSY);
  return index == LOGPIXELSY ? y : x;
}

inline LONG HimetricToPixels(LONG himetric, int dpi) { return MulDiv(himetric, dpi, kHimetricPerInch); }
inline LONG PixelsToHimetric(LONG pixels, int dpi) { return MulDiv(pixels, kHimetricPerInch, dpi); }
inline float HimetricToTwips(float himetric) {
  return himetric * static_cast<float>(kTwipsPerInch) / static_cast<float>(kHimetricPerInch);
}

}  // namespace pelzorvick
