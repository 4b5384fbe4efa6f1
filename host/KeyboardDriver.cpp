#include "host/KeyboardDriver.h"

#include "host/ControlHost.h"
#include "host/HostFrame.h"
#include "host/Output.h"

namespace pelzorvick {

namespace {

struct KeyInfo {
  UINT vk;
  const char16_t* name;
};

KeyInfo Info(KeyStep::Key key) {
  switch (key) {
    case KeyStep::Key::kTab: return {VK_TAB, u"tab"};
    case KeyStep::Key::kSpace: return {VK_SPACE, u"space"};
    case KeyStep::Key::kEnter: return {VK_RETURN, u"enter"};
    case KeyStep::Key::kEscape: return {VK_ESCAPE, u"escape"};
  }
  return {0, u""};
}

// The one driver whose form the event hook reports on.
KeyboardDriver* g_driver = nullptr;

}  // namespace

KeyboardDriver::KeyboardDriver(HostFrame& frame,
                               const std::vector<std::unique_ptr<ControlHost>>& controls)
    : frame_(frame), controls_(controls) {
  SetFocus(frame_.Window());
  PumpMessages(50);
  reported_ = FocusOwner();
  g_driver = this;
  if (Output::Logging()) {
    hook_ = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_NAMECHANGE, nullptr, OnWinEvent,
                            GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  }
}

KeyboardDriver::~KeyboardDriver() {
  if (hook_) UnhookWinEvent(hook_);
  g_driver = nullptr;
}

void CALLBACK KeyboardDriver::OnWinEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object,
                                         LONG child, DWORD, DWORD) {
  if (!g_driver || object != OBJID_CLIENT || child != CHILDID_SELF) return;
  const char16_t* what = event == EVENT_OBJECT_FOCUS         ? u"focus"
                         : event == EVENT_OBJECT_STATECHANGE ? u"state"
                         : event == EVENT_OBJECT_NAMECHANGE  ? u"name"
                                                             : nullptr;
  if (!what) return;
  for (const auto& c : g_driver->controls_) {
    if (c->Surface() == hwnd) {
      Output::Log(u"winevent: " + std::u16string(what) + u" " + c->DisplayName());
    }
  }
}

std::u16string KeyboardDriver::FocusOwner() const {
  HWND focus = GetFocus();
  if (!focus) return u"(none)";
  for (const auto& c : controls_) {
    HWND window = c->ControlWindow();
    if (window && (focus == window || IsChild(window, focus))) return c->DisplayName();
  }
  return focus == frame_.Window() ? u"(form)" : u"(elsewhere)";
}

void KeyboardDriver::Stroke(UINT vk, bool down) {
  // As the keyboard fills in lParam: one stroke, the scan code, bit 30 the
  // key's previous state (set on an auto-repeat), bit 31 set on release.
  const bool was_down = down_.count(vk) != 0;
  LPARAM lparam = 1 | (static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16);
  if (was_down || !down) lparam |= LPARAM{1} << 30;
  if (!down) lparam |= LPARAM{1} << 31;
  if (down) {
    down_.insert(vk);
  } else {
    down_.erase(vk);
  }
  HWND target = GetFocus();
  PostMessageW(target ? target : frame_.Window(), down ? WM_KEYDOWN : WM_KEYUP, vk, lparam);
  PumpMessages(100);
}

void KeyboardDriver::Press(const KeyStep& step) {
  const KeyInfo key = Info(step.key);
  std::u16string what = key.name;
  if (step.stroke == KeyStep::Stroke::kDown) what += u"-down";
  if (step.stroke == KeyStep::Stroke::kUp) what += u"-up";
  Output::Log(u"key: " + what);
  if (step.stroke != KeyStep::Stroke::kUp) Stroke(key.vk, true);
  if (step.stroke != KeyStep::Stroke::kDown) Stroke(key.vk, false);
  const std::u16string owner = FocusOwner();
  if (owner != reported_) Output::Log(u"focus: " + owner);
  reported_ = owner;
}

bool KeyboardDriver::FocusControl(std::size_t index) {
  HWND surface = controls_[index]->Surface();
  for (std::size_t i = 0; i <= controls_.size() && surface; ++i) {
    if (GetFocus() == surface) return true;
    Press(KeyStep{KeyStep::Key::kTab, KeyStep::Stroke::kPress});
  }
  if (surface && GetFocus() == surface) return true;
  Output::Error(u"--focus: Tab never reaches " + controls_[index]->DisplayName());
  return false;
}

}  // namespace pelzorvick
