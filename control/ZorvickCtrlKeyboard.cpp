// The keyboard on the focused surface, and what a screen reader is told
// about it. A key press looks and acts as a left click does.

#include "control/ZorvickCtrl.h"

#include "control/ModeText.h"

namespace pelzorvick {

namespace {
constexpr std::u16string_view kPress = u"Press";
constexpr std::u16string_view kJump = u"Jump";
}  // namespace

bool ZorvickCtrl::Drawable() const {
  if (Control().empty()) return false;
  return !(IsPictureMode() && !m_Picture);
}

void ZorvickCtrl::Redraw() {
  if (Drawable()) DrawContent();
}

bool ZorvickCtrl::CanvasKeyDown(CanvasKey key, bool repeat) {
  // Using the keyboard reveals where the focus is.
  if (focused_ && !focus_cue_) {
    focus_cue_ = true;
    if (key != CanvasKey::kSpace || repeat || m_Pressed) Redraw();
  }
  switch (key) {
    case CanvasKey::kSpace:
      if (repeat || m_Pressed) return false;
      m_Pressed = true;
      key_pressed_ = true;
      Redraw();
      return false;
    case CanvasKey::kEnter:
      // Held down, Enter repeats; it runs once per press. While something is
      // pressed that press decides.
      return !repeat && !m_Pressed;
    case CanvasKey::kEscape:
      if (!key_pressed_) return false;
      m_Pressed = false;
      key_pressed_ = false;
      Redraw();
      return false;
  }
  return false;
}

bool ZorvickCtrl::CanvasKeyUp(CanvasKey key) {
  if (key != CanvasKey::kSpace || !key_pressed_) return false;
  m_Pressed = false;
  key_pressed_ = false;
  Redraw();
  return true;
}

void ZorvickCtrl::CanvasFocus(bool focused, bool cue) {
  cue = focused && cue;
  if (focused == focused_ && cue == focus_cue_) return;
  focused_ = focused;
  focus_cue_ = cue;
  if (!focused && key_pressed_) {
    m_Pressed = false;
    key_pressed_ = false;
  }
  Redraw();
}

std::u16string ZorvickCtrl::AccessibleName() const {
  if (!IsPictureMode()) return Text();
  return ToolTipText();  // the command a click would run, or why there is none
}

AccessibleRole ZorvickCtrl::Role() const {
  // Framed things look like buttons and are announced as such.
  return IsPictureMode() || ShowsBorder() ? AccessibleRole::kPushButton : AccessibleRole::kLink;
}

std::u16string ZorvickCtrl::AccessibleDescription() const { return ToolTipText(); }

std::u16string_view ZorvickCtrl::DefaultAction() const {
  return Role() == AccessibleRole::kPushButton ? kPress : kJump;
}

}  // namespace pelzorvick
