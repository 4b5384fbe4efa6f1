#pragma once
// The pixels of a window's client area, child windows included, as PNG.
// Read back from the window's device context, which under a headless Wine
// driver keeps what was drawn.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pelzorvick {

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // rows top to bottom
};

bool CaptureClient(HWND hwnd, Pixels* out);
// Writes the file; on failure returns false with a reason in `error`.
bool SavePng(const Pixels& pixels, const std::wstring& path, std::u16string* error);

}  // namespace pelzorvick
