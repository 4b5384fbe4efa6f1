#pragma once
// One whole life of a control in a container, as a form gives it: created
// through the class object, sited in a real window, loaded from a bag,
// activated in place, painted and drawn, pressed and released, saved,
// deactivated, closed, unsited and released.

#include <windows.h>
#include <ole2.h>

#include <string>

namespace pelzorvick::test {

struct LifeSetup {
  HWND parent = nullptr;
  std::wstring command;  // what a click starts
  std::wstring image;    // the "Image" mode's picture file
};

struct LifeResult {
  std::string failure;          // empty when every step succeeded
  ULONG last_release = ~0u;     // the control's last Release
  ULONG site_release = ~0u;     // the site's, once the control let it go
  HWND window = nullptr;        // the in-place window it had
};

// Microseconds spent in each step, for the benchmark.
struct LifeSteps {
  static constexpr int kCount = 8;
  static const char* const kNames[kCount];
  double us[kCount] = {};
};

class FakeBag;

// What a life loads: the display mode, the command, a caption, the picture
// and a back colour.
void PutLifeProperties(FakeBag& bag, const LifeSetup& setup, const wchar_t* mode);

// The release happens outside the surface, so no click runs unless `click`.
LifeResult LiveOnce(IClassFactory* factory, const LifeSetup& setup, const wchar_t* mode, bool click,
                    LifeSteps* steps = nullptr);

extern const wchar_t* const kDisplayModes[5];

// The window of a control that takes its mouse: a child surface where the
// control has one, else its own window.
inline HWND MouseTarget(HWND control_window) {
  HWND child = GetWindow(control_window, GW_CHILD);
  return child ? child : control_window;
}

// A small 24-bit BMP file at `path`.
bool WriteBitmapFile(const std::wstring& path);

}  // namespace pelzorvick::test
