#pragma once
// The pixels of a window's client area, child windows included, as PNG.
// Read back from the window's device context, which under a headless Wine
// driver keeps what was drawn. Or the form as its controls draw themselves
// into a bitmap of another resolution, as a printer would get it.

#include <windows.h>
#include <oleidl.h>

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

// A control where the form holds it, in the form's pixels.
struct PlacedView {
  RECT rect;
  IViewObject* view;
};
// The form's client area at `dpi` (the form's own is `form_dpi`), white, with
// each control drawn through IViewObject::Draw at its place scaled; the
// first failure's HRESULT in `failed`, the others still drawn.
bool RenderForm(HWND form, int form_dpi, int dpi, const std::vector<PlacedView>& views, Pixels* out,
                HRESULT* failed);
// Writes the file; on failure returns false with a reason in `error`.
bool SavePng(const Pixels& pixels, const std::wstring& path, std::u16string* error);

}  // namespace pelzorvick
