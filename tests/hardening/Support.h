#pragma once
// What the hardening tests share beyond the component tests' fakes: paths
// from the build, variants, a DIB to draw into, waiting for a file.

#include <windows.h>
#include <ole2.h>

#include <string>

namespace pelzorvick::test {

// A host path given by the build, as Wine sees it (through Z:).
std::wstring FromHostPath(const char* host);

// The marker program (see Marker.cpp).
std::wstring MarkerPath();

VARIANT BstrVariant(const wchar_t* text);

// The property's value as text or number through IDispatch, by name.
std::wstring GetText(IDispatch* object, const wchar_t* name);
HRESULT PutText(IDispatch* object, const wchar_t* name, const std::wstring& text);

// Waits up to `ms` for the file to appear.
bool WaitForFile(const std::wstring& path, DWORD ms);

// A 32-bit top-down DIB section, filled with one colour.
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
