#include "control/ZorvickCtrl.h"

#include <algorithm>
#include <cmath>

#include "common/ComError.h"
#include "text/ColorUtil.h"

namespace pelzorvick {

namespace {
constexpr int32_t kWhite = 0xFFFFFF;
constexpr int32_t kBlue = 0xFF0000;
constexpr int32_t kButtonFace = static_cast<int32_t>(0x8000000F);
constexpr int32_t kButtonText = static_cast<int32_t>(0x80000012);
constexpr int32_t kHighlight = static_cast<int32_t>(0x80000014);
constexpr int32_t kDarkShadow = static_cast<int32_t>(0x80000015);
constexpr int32_t kWindow = static_cast<int32_t>(0x80000005);
constexpr int32_t kWindowText = static_cast<int32_t>(0x80000008);
constexpr int32_t kHotLight = static_cast<int32_t>(0x8000001A);

constexpr float kPictureFramePixels = 3;  // frame line and pressed shift
constexpr float kButtonMarginPixels = 12;
constexpr float kFocusInsetPixels = 3;  // clear of the frame and the pressed shift

constexpr std::u16string_view kToolTipNotSet = u"Exec command not set";
constexpr std::u16string_view kToolTipNotFound = u"Exec command not found";

// Margin and centring arithmetic fails loudly instead of placing things at
// infinity.
float Checked(float value) {
  if (!std::isfinite(value)) ThrowOverflow();
  return value;
}
}  // namespace

void ZorvickCtrl::Paint() {
  if (Control().empty()) return;
  if (IsPictureMode() && !m_Picture) return;
  ApplyAutoSize();
  // High contrast switched while no message said so: this paint follows it.
  if (look_ != Look::kNone && platform_.HighContrast() != high_contrast_) ApplyColors();
  DrawContent();
}

void ZorvickCtrl::SystemColorsChanged() { ApplyColors(); }

// In high contrast a button (and a picture's frame) takes the button
// colours, the text look the window's, its caption the hot-light colour of
// links, or the window's text where a click would run nothing.
void ZorvickCtrl::ApplyColors() {
  if (look_ == Look::kNone) return;
  high_contrast_ = platform_.HighContrast();
  int32_t fore = 0, back = 0;
  if (high_contrast_) {
    if (look_ == Look::kText) {
      fore = FindAvailableCommand().empty() ? kWindowText : kHotLight;
      back = kWindow;
    } else {
      fore = kButtonText;
      back = kButtonFace;
    }
  } else {
    const char16_t separator = platform_.DecimalSeparator();
    switch (look_) {
      case Look::kPicture:
        fore = ParseColor(ForeColor(), kWhite, separator);
        back = ParseColor(BackColor(), kButtonFace, separator);
        break;
      case Look::kButton:
        fore = ParseColor(ForeColor(), kButtonText, separator);
        back = ParseColor(BackColor(), kButtonFace, separator);
        break;
      default:
        fore = ParseColor(ForeColor(), kBlue, separator);
        back = ParseColor(BackColor(), kWhite, separator);
        break;
    }
  }
  canvas_.SetForeColor(fore);
  canvas_.SetBackColor(back);
}

void ZorvickCtrl::LayOutAgain() {
  m_LaidOut = false;
  m_Sized = false;
}

void ZorvickCtrl::ApplyAutoSize() {
  if (!m_LaidOut) m_LaidOut = UpdateLayout();
  const bool auto_size = AutoSize();
  const bool user_mode = container_.UserMode();
  if (!(user_mode && auto_size && m_LaidOut)) return;
  if (!m_Sized) {
    container_.SetWidth(canvas_.Width());
    container_.SetHeight(canvas_.Height());
    m_Sized = true;
  } else {
    // The container may have resized the control: stretch the surface over it.
    container_.SetScaleWidth(canvas_.Width());
    container_.SetScaleHeight(canvas_.Height());
  }
}

bool ZorvickCtrl::UpdateLayout() {
  const bool user_mode = container_.UserMode();
  if (m_LaidOut || !user_mode) return true;
  if (IsPictureMode() && !m_Picture) return false;

  canvas_.SetLeft(0);
  canvas_.SetTop(0);
  const float px = canvas_.TwipsPerPixelX();
  const float py = canvas_.TwipsPerPixelY();
  look_ = IsPictureMode() ? Look::kPicture : IsButtonMode() ? Look::kButton : Look::kText;
  ApplyColors();

  if (IsPictureMode()) {
    if (AutoSize()) {
      const float width = canvas_.HimetricToTwipsX(static_cast<float>(m_Picture->Width()));
      canvas_.SetWidth(Border() ? Checked(kPictureFramePixels * px + width) : width);
      const float height = canvas_.HimetricToTwipsY(static_cast<float>(m_Picture->Height()));
      canvas_.SetHeight(Border() ? Checked(kPictureFramePixels * py + height) : height);
    } else {
      canvas_.SetWidth(container_.Width());
      canvas_.SetHeight(container_.Height());
    }
  } else if (IsButtonMode()) {
    canvas_.SetFontSize(FontSize());
    canvas_.SetFontBold(true);
    if (AutoSize()) {
      canvas_.SetWidth(Checked(kButtonMarginPixels * px + canvas_.TextWidth(Text())));
      canvas_.SetHeight(Checked(kButtonMarginPixels * py + canvas_.TextHeight(Text())));
    } else {
      canvas_.SetWidth(container_.Width());
      canvas_.SetHeight(container_.Height());
    }
  } else {
    canvas_.SetFontSize(FontSize());
    canvas_.SetFontUnderline(true);
    if (AutoSize()) {
      canvas_.SetWidth(canvas_.TextWidth(Text()));
      canvas_.SetHeight(canvas_.TextHeight(Text()));
    } else {
      canvas_.SetWidth(container_.Width());
      canvas_.SetHeight(container_.Height());
    }
  }

  canvas_.SetToolTipText(ToolTipText());
  return true;
}

std::u16string ZorvickCtrl::ToolTipText() const {
  std::u16string command = FindAvailableCommand();
  if (!command.empty()) return command;
  return std::u16string(Command().empty() ? kToolTipNotSet : kToolTipNotFound);
}

void ZorvickCtrl::DrawContent() {
  DrawFace();
  if (focused_ && focus_cue_) DrawFocus();
}

// Inside the frame when there is one, else around the caption (the whole
// surface for a picture or an empty caption); never larger than the surface.
void ZorvickCtrl::DrawFocus() {
  const float px = canvas_.TwipsPerPixelX();
  const float py = canvas_.TwipsPerPixelY();
  const float W = canvas_.Width();
  const float H = canvas_.Height();
  float x1 = 0, y1 = 0, x2 = Checked(W - px), y2 = Checked(H - py);
  if (ShowsBorder()) {
    x1 = Checked(kFocusInsetPixels * px);
    y1 = Checked(kFocusInsetPixels * py);
    x2 = Checked(W - (kFocusInsetPixels + 1) * px);
    y2 = Checked(H - (kFocusInsetPixels + 1) * py);
  } else if (!IsPictureMode() || !m_Picture) {
    const float tw = canvas_.TextWidth(Text());
    const float th = canvas_.TextHeight(Text());
    if (tw > 0) {
      x2 = std::min(x2, Checked(tw - px));
      y2 = std::min(y2, Checked(th - py));
    }
  }
  if (x2 < x1 || y2 < y1) return;
  canvas_.DrawFocusRect(x1, y1, x2, y2);
}

void ZorvickCtrl::DrawFace() {
  canvas_.Cls();
  if (ShowsBorder()) {
    const float px = canvas_.TwipsPerPixelX();
    const float py = canvas_.TwipsPerPixelY();
    const float W = canvas_.Width();
    const float H = canvas_.Height();
    const float w = Checked(W - px);  // the last pixel column
    const float h = Checked(H - py);  // the last pixel row
    const float bottom = Checked(py + h);
    if (!m_Pressed) {
      canvas_.Line(0, 0, w, 0, kHighlight);
      canvas_.Line(0, 0, 0, h, kHighlight);
      canvas_.Line(0, h, w, h, kDarkShadow);
      canvas_.Line(w, 0, w, bottom, kDarkShadow);
    } else {
      canvas_.Line(0, 0, w, 0, kDarkShadow);
      canvas_.Line(0, 0, 0, h, kDarkShadow);
      canvas_.Line(px, h, w, h, kHighlight);
      canvas_.Line(w, py, w, bottom, kHighlight);
    }
    if (IsPictureMode() && m_Picture) {
      if (!m_Pressed) {
        canvas_.PaintPicture(*m_Picture, px, py);
      } else {
        canvas_.PaintPicture(*m_Picture, Checked(2 * px), Checked(2 * py));
      }
      return;
    }
    const float x = Checked((W - canvas_.TextWidth(Text())) / 2);
    canvas_.SetCurrentX(m_Pressed ? Checked(x + px) : x);
    const float y = Checked((H - canvas_.TextHeight(Text())) / 2);
    canvas_.SetCurrentY(m_Pressed ? Checked(y + py) : y);
  } else {
    if (IsPictureMode() && m_Picture) {
      canvas_.PaintPicture(*m_Picture, 0, 0);
      return;
    }
    canvas_.SetCurrentX(0);
    canvas_.SetCurrentY(0);
  }
  canvas_.Print(Text());
}

void ZorvickCtrl::CanvasMouseDown(int16_t button, int16_t /*shift*/, float /*x*/, float /*y*/) {
  if ((button & 1) == 0 || m_Pressed) return;
  m_Pressed = true;
  DrawContent();
}

void ZorvickCtrl::CanvasMouseUp(int16_t button, int16_t /*shift*/, float /*x*/, float /*y*/) {
  if ((button & 1) == 0 || !m_Pressed || key_pressed_) return;
  m_Pressed = false;
  DrawContent();
}

}  // namespace pelzorvick
