#pragma once
// A 32-bit top-down DIB section to draw into, filled with one colour and read
// back pixel by pixel.

#include <windows.h>

#include "tests/support/NonCopyable.h"

namespace pelzorvick::test {

class MemoryCanvas : NonCopyable {
 public:
  MemoryCanvas(int w, int h, COLORREF fill = RGB(0, 0, 0));
  ~MemoryCanvas();
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
  // Pixels of the rectangle that differ from `c`.
  int CountOtherThan(COLORREF c, const RECT& area) const;

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

}  // namespace pelzorvick::test
