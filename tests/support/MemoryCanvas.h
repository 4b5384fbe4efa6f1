#pragma once
// A 32-bit top-down DIB section to draw into, filled with one colour and read
// back pixel by pixel.

#include <windows.h>

namespace pelzorvick::test {

class MemoryCanvas {
 public:
  MemoryCanvas(int w, int h, COLORREF fill = RGB(0, 0, 0));
  ~MemoryCanvas();
  MemoryCanvas(const MemoryCanvas&) = delete;
  MemoryCanvas& operator=(const MemoryCanvas&) = delete;
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
