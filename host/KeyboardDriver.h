#pragma once
// The keyboard of --focus, --tab and --key. Each key is posted to the window
// that has the focus, as the keyboard queues it, and reaches the control
// only through the form's message loop: the UI-active control's
// TranslateAccelerator, then the form's dialog navigation. With the log on
// it prints each key and, when the focus has moved, where it went
// ("key: space-down", "focus: Button"), and the focus, state and name
// changes a screen reader hears from a surface ("winevent: state Button").

#include <windows.h>

#include <cstddef>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/CommandLine.h"

namespace pelzorvick {

class ControlHost;
class HostFrame;

class KeyboardDriver {
 public:
  // The focus starts on the form itself, so the first Tab reaches the first
  // control.
  KeyboardDriver(HostFrame& frame, const std::vector<std::unique_ptr<ControlHost>>& controls);
  ~KeyboardDriver();
  KeyboardDriver(const KeyboardDriver&) = delete;
  KeyboardDriver& operator=(const KeyboardDriver&) = delete;

  // Tab until control `index` has the focus; false (with an error printed)
  // when a round of the form never reaches it.
  bool FocusControl(std::size_t index);
  void Press(const KeyStep& step);

 private:
  void Stroke(UINT vk, bool down);
  std::u16string FocusOwner() const;
  static void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child,
                                  DWORD, DWORD);

  HostFrame& frame_;
  const std::vector<std::unique_ptr<ControlHost>>& controls_;
  std::set<UINT> down_;
  std::u16string reported_;
  HWINEVENTHOOK hook_ = nullptr;
};

}  // namespace pelzorvick
