#pragma once
// The units of the Windows side in one place: HIMETRIC (the container's
// extents), twips (the control's coordinates) and the screen's pixels.

#include <windows.h>

namespace pelzorvick {

inline constexpr int kHimetricPerInch = 2540;
inline constexpr int kTwipsPerInch = 1440;

// The screen's pixels per inch along LOGPIXELSX or LOGPIXELSY; 96 when the
// screen will not say.
inline int ScreenLogPixels(int index) {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, index) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

inline LONG HimetricToPixels(LONG himetric, int dpi) { return MulDiv(himetric, dpi, kHimetricPerInch); }
inline LONG PixelsToHimetric(LONG pixels, int dpi) { return MulDiv(pixels, kHimetricPerInch, dpi); }
inline float HimetricToTwips(float himetric) {
  return himetric * static_cast<float>(kTwipsPerInch) / static_cast<float>(kHimetricPerInch);
}

}  // namespace pelzorvick
