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

void ZorvickCtrl::Store(const Property& p, float& field, float value) {
  // A size of nothing (or no number) would print nothing: the default stands in.
  field = (value == 0 || std::isnan(value)) ? p.default_value : value;
  container_.PropertyChanged(p.dispid);
}

void ZorvickCtrl::Store(const Property& p, std::u16string& field, std::u16string_view value) {
  field.assign(value);
  container_.PropertyChanged(p.dispid);
}

void ZorvickCtrl::Store(const Property& p, bool& field, bool value) {
  field = value;
  container_.PropertyChanged(p.dispid);
}

// The named accessors, each bound to its row while compiling.
#define PZ_PROPERTY(Type, Name)                                                  \
  Type ZorvickCtrl::Name() const { return m_##Name; }                            \
  void ZorvickCtrl::Set##Name(Property::ArgumentOf<Type> New_##Name) {         \
    Set<RowNamed(u## #Name)>(New_##Name);                                        \
  }

PZ_PROPERTY(float, FontSize)
PZ_PROPERTY(std::u16string, Command)
PZ_PROPERTY(std::u16string, Control)
PZ_PROPERTY(std::u16string, Text)
PZ_PROPERTY(std::u16string, BackColor)
PZ_PROPERTY(std::u16string, ForeColor)
PZ_PROPERTY(std::u16string, ImageURL)
PZ_PROPERTY(std::u16string, Command1)
PZ_PROPERTY(std::u16string, Command2)
PZ_PROPERTY(std::u16string, Command3)
PZ_PROPERTY(std::u16string, Command4)
PZ_PROPERTY(std::u16string, Command5)
PZ_PROPERTY(std::u16string, Command6)
PZ_PROPERTY(std::u16string, Command7)
PZ_PROPERTY(std::u16string, Command8)
PZ_PROPERTY(std::u16string, Command9)
PZ_PROPERTY(bool, AutoSize)
PZ_PROPERTY(bool, Border)

#undef PZ_PROPERTY

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
