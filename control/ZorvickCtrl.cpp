#include "control/ZorvickCtrl.h"

#include <cmath>

#include "control/ModeText.h"

namespace pelzorvick {

ZorvickCtrl::ZorvickCtrl(ContainerServices& container, Canvas& canvas, Platform& platform,
                         FileSystem& file_system)
    : container_(container), canvas_(canvas), platform_(platform), file_system_(file_system) {}

void ZorvickCtrl::Notify(std::u16string_view name) { container_.PropertyChanged(name); }

float ZorvickCtrl::FontSize() const { return m_FontSize; }
void ZorvickCtrl::SetFontSize(float New_FontSize) {
  // A size of nothing (or no number) would print nothing; 9 is the default.
  m_FontSize = (New_FontSize == 0 || std::isnan(New_FontSize)) ? 9.0f : New_FontSize;
  Notify(u"FontSize");
}

#define PZ_STRING_PROPERTY(Name)                                     \
  std::u16string ZorvickCtrl::Name() const { return m_##Name; }      \
  void ZorvickCtrl::Set##Name(std::u16string_view New_##Name) {      \
    m_##Name.assign(New_##Name);                                     \
    Notify(u"" #Name);                                              \
  }

PZ_STRING_PROPERTY(Command)
PZ_STRING_PROPERTY(Control)
PZ_STRING_PROPERTY(Text)
PZ_STRING_PROPERTY(BackColor)
PZ_STRING_PROPERTY(ForeColor)
PZ_STRING_PROPERTY(ImageURL)
PZ_STRING_PROPERTY(Command1)
PZ_STRING_PROPERTY(Command2)
PZ_STRING_PROPERTY(Command3)
PZ_STRING_PROPERTY(Command4)
PZ_STRING_PROPERTY(Command5)
PZ_STRING_PROPERTY(Command6)
PZ_STRING_PROPERTY(Command7)
PZ_STRING_PROPERTY(Command8)
PZ_STRING_PROPERTY(Command9)

#undef PZ_STRING_PROPERTY

bool ZorvickCtrl::AutoSize() const { return m_AutoSize; }
void ZorvickCtrl::SetAutoSize(bool New_AutoSize) {
  m_AutoSize = New_AutoSize;
  Notify(u"AutoSize");
}

bool ZorvickCtrl::Border() const { return m_Border; }
void ZorvickCtrl::SetBorder(bool New_Border) {
  m_Border = New_Border;
  Notify(u"Border");
}

bool ZorvickCtrl::IsPictureMode() const {
  const std::u16string control = Control();
  return mode::Is(control, mode::kImage) || mode::Is(control, mode::kIcon) ||
         mode::Is(control, mode::kSmallIcon);
}

bool ZorvickCtrl::ShowsBorder() const {
  const std::u16string control = Control();
  if (mode::Is(control, mode::kText)) return false;
  if (mode::Is(control, mode::kButton)) return true;
  return Border();
}

bool ZorvickCtrl::IsButtonMode() const { return mode::Is(Control(), mode::kButton); }

}  // namespace pelzorvick
