#pragma once
// The reference for a paint: a child window that draws a button's face (fill,
// the four lines of a 3-D frame, a bold caption centred) with GDI calls made
// directly on its own DC, the least those pixels can cost. Its font, brush and
// pens are made at its first paint and kept.

#include <windows.h>

#include <string>

namespace pelzorvick::test {

class DirectPaint {
 public:
  DirectPaint(HWND parent, SIZE size, std::wstring caption);
  ~DirectPaint();
  DirectPaint(const DirectPaint&) = delete;
  DirectPaint& operator=(const DirectPaint&) = delete;

  // The window has never painted: this paint makes what it draws with.
  void FirstPaint();
  void Paint();
  // The face sunken, then raised again, drawn at once as the mouse asks.
  void PressAndRelease();
  // The same, as a control gets it: a press and a release sent to the
  // window, which takes the mouse and draws on each.
  void PressAndReleaseByMessages();
  // The face drawn once onto the window's DC, or into a buffer kept from
  // call to call (as one per thread would be) and copied onto it.
  void DrawOnce();
  void DrawOnceThroughBuffer();

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void Draw(HDC dc, bool pressed);

  HWND hwnd_ = nullptr;
  SIZE size_;
  std::wstring caption_;
  HFONT font_ = nullptr;
  HBRUSH brush_ = nullptr;
  HPEN light_ = nullptr, dark_ = nullptr;
  HDC buffer_ = nullptr;
  HBITMAP buffer_bitmap_ = nullptr;
  HGDIOBJ buffer_original_ = nullptr;
};

}  // namespace pelzorvick::test
