#include "control/ZorvickCtrl.h"

#include <cmath>

#include "control/ModeText.h"

namespace pelzorvick {

ZorvickCtrl::ZorvickCtrl(ContainerServices& container, Canvas& canvas, Platform& platform,
                         FileSystem& file_system, policy::LaunchPolicy& launch_policy)
    : container_(container),
      canvas_(canvas),
      platform_(platform),
      file_system_(file_system),
      launch_policy_(launch_policy) {}

const Property* ZorvickCtrl::FindProperty(int32_t dispid) {
  for (const Property& p : kProperties) {
    if (p.dispid == dispid) return &p;
  }
  return nullptr;
}

const Property* ZorvickCtrl::FindProperty(std::u16string_view name) {
  for (const Property& p : kProperties) {
    if (p.name == name) return &p;
  }
  return nullptr;
}

void ZorvickCtrl::StoreSingle(const Property& p, float value) {
  // A size of nothing (or no number) would print nothing: the default stands in.
  FieldOf<float>(p) = (value == 0 || std::isnan(value)) ? p.default_value : value;
  container_.PropertyChanged(p.dispid);
}

void ZorvickCtrl::StoreString(const Property& p, std::u16string_view value) {
  FieldOf<std::u16string>(p).assign(value);
  container_.PropertyChanged(p.dispid);
}

void ZorvickCtrl::StoreBool(const Property& p, bool value) {
  FieldOf<bool>(p) = value;
  container_.PropertyChanged(p.dispid);
}

float ZorvickCtrl::FontSize() const { return m_FontSize; }
void ZorvickCtrl::SetFontSize(float New_FontSize) {
  StoreSingle(RowOf(&ZorvickCtrl::m_FontSize), New_FontSize);
}

#define PZ_STRING_PROPERTY(Name)                                      \
  std::u16string ZorvickCtrl::Name() const { return m_##Name; }       \
  void ZorvickCtrl::Set##Name(std::u16string_view New_##Name) {       \
    StoreString(RowOf(&ZorvickCtrl::m_##Name), New_##Name);           \
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
  StoreBool(RowOf(&ZorvickCtrl::m_AutoSize), New_AutoSize);
}

bool ZorvickCtrl::Border() const { return m_Border; }
void ZorvickCtrl::SetBorder(bool New_Border) { StoreBool(RowOf(&ZorvickCtrl::m_Border), New_Border); }

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
