#include "control/ZorvickCtrl.h"

namespace pelzorvick {

namespace {
constexpr int kOpaque = 1;
}  // namespace

void ZorvickCtrl::InitProperties() {
  // Directly: a new control has nothing the container should save yet.
  for (const Property& p : kProperties) {
    switch (p.type()) {
      case PropertyType::kSingle: FieldOf<float>(p) = p.default_value; break;
      case PropertyType::kString: FieldOf<std::u16string>(p).clear(); break;
      case PropertyType::kBool: FieldOf<bool>(p) = p.default_value != 0; break;
    }
  }
}

void ZorvickCtrl::ReadProperty(PropertyBag& bag, const Property& p) {
  switch (p.type()) {
    case PropertyType::kSingle: StoreSingle(p, bag.ReadSingle(p.name, p.default_value)); break;
    case PropertyType::kString: StoreString(p, bag.ReadString(p.name, u"")); break;
    case PropertyType::kBool: StoreBool(p, bag.ReadBool(p.name, p.default_value != 0)); break;
  }
}

void ZorvickCtrl::WriteProperty(PropertyBag& bag, const Property& p) const {
  switch (p.type()) {
    case PropertyType::kSingle:
      bag.WriteSingle(p.name, FieldOf<float>(p), p.default_value);
      break;
    case PropertyType::kString: bag.WriteString(p.name, FieldOf<std::u16string>(p), u""); break;
    case PropertyType::kBool:
      bag.WriteBool(p.name, FieldOf<bool>(p), p.default_value != 0);
      break;
  }
}

void ZorvickCtrl::ReadProperties(PropertyBag& bag) {
  container_.SetAutoRedraw(false);
  container_.SetBackStyle(kOpaque);

  // Each value is stored and announced at once, so a type error halfway
  // leaves the earlier ones read.
  for (const Property* p : kReadOrder) ReadProperty(bag, *p);

  // Pictures are fetched only for a running form, once per load.
  if (container_.UserMode() && IsPictureMode()) AcquirePicture();
}

void ZorvickCtrl::WriteProperties(PropertyBag& bag) const {
  for (const Property* p : kWriteOrder) WriteProperty(bag, *p);
}

}  // namespace pelzorvick
