#include "component/object/WinPropertyBag.h"

#include <string>

#include "common/ComError.h"
#include "component/com/Handles.h"
#include "component/com/WideString.h"

namespace pelzorvick {

WinPropertyBag::WinPropertyBag(IPropertyBag* bag, IErrorLog* error_log) : bag_(bag), error_log_(error_log) {}

bool WinPropertyBag::Read(std::u16string_view key, VARTYPE type, VARIANT& out) {
  UniqueVariant stored;  // VT_EMPTY: the bag gives its own type
  const std::wstring name = ToWide(key);
  const HRESULT hr = bag_ ? bag_->Read(name.c_str(), stored.get(), error_log_.Get()) : E_POINTER;
  // Only "not in the bag" is absence; a bag that cannot answer must not
  // turn the stored launcher into defaults that a later save would keep.
  if (hr == E_INVALIDARG) return false;
  if (FAILED(hr)) {
    throw ComError(static_cast<int32_t>(hr), u"The property \"" + std::u16string(key) + u"\" cannot be read");
  }
  if (V_VT(stored.get()) == VT_EMPTY) return false;
  // Booleans turn into "True"/"False" rather than "-1"/"0".
  const USHORT flags = type == VT_BSTR ? VARIANT_ALPHABOOL : 0;
  if (FAILED(VariantChangeTypeEx(&out, stored.get(), LOCALE_USER_DEFAULT, flags, type)) || V_VT(&out) != type) {
    VariantClear(&out);
    ThrowTypeMismatch();
  }
  return true;
}

void WinPropertyBag::Write(std::u16string_view key, VARIANT& value) {
  const std::wstring name = ToWide(key);
  HRESULT hr = bag_ ? bag_->Write(name.c_str(), &value) : E_POINTER;
  if (FAILED(hr)) {
    throw ComError(static_cast<int32_t>(hr), u"The property \"" + std::u16string(key) + u"\" cannot be saved");
  }
}

std::u16string WinPropertyBag::ReadString(std::u16string_view key, std::u16string_view def) {
  UniqueVariant value;
  if (!Read(key, VT_BSTR, *value.get())) return std::u16string(def);
  return FromBstr(V_BSTR(value.get()));
}

float WinPropertyBag::ReadSingle(std::u16string_view key, int16_t def) {
  UniqueVariant value;
  if (!Read(key, VT_R4, *value.get())) return def;
  return V_R4(value.get());
}

bool WinPropertyBag::ReadBool(std::u16string_view key, bool def) {
  UniqueVariant value;
  if (!Read(key, VT_BOOL, *value.get())) return def;
  return V_BOOL(value.get()) != VARIANT_FALSE;
}

void WinPropertyBag::WriteString(std::u16string_view key, std::u16string_view value, std::u16string_view) {
  // Allocated first: a variant claiming a BSTR it does not hold would free
  // garbage on the way out.
  BSTR text = MakeBstr(value);
  UniqueVariant v;
  V_VT(v.get()) = VT_BSTR;
  V_BSTR(v.get()) = text;
  Write(key, *v.get());
}

void WinPropertyBag::WriteSingle(std::u16string_view key, float value, int16_t) {
  UniqueVariant v;
  V_VT(v.get()) = VT_R4;
  V_R4(v.get()) = value;
  Write(key, *v.get());
}

void WinPropertyBag::WriteBool(std::u16string_view key, bool value, bool) {
  UniqueVariant v;
  V_VT(v.get()) = VT_BOOL;
  V_BOOL(v.get()) = value ? VARIANT_TRUE : VARIANT_FALSE;
  Write(key, *v.get());
}

}  // namespace pelzorvick
