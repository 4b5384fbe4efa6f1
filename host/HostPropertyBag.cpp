#include "host/HostPropertyBag.h"

#include <oleauto.h>

#include <cmath>

#include "component/com/Handles.h"
#include "component/com/WideString.h"
#include "text/StringUtil.h"

namespace pelzorvick {

namespace {

// Numbers and truth values under a string key are read as their text form,
// the same text the file shows.
HRESULT ValueAsString(const FileValue& value, VARIANT* out) {
  std::u16string text = value.text;
  if (value.kind == FileValue::Kind::kBoolean) text = value.boolean ? u"True" : u"False";
  V_VT(out) = VT_BSTR;
  V_BSTR(out) = SysAllocStringLen(AsWide(text.data()), static_cast<UINT>(text.size()));
  return V_BSTR(out) ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

HRESULT ValueToVariant(const FileValue& value, VARIANT* out) {
  VariantInit(out);
  switch (value.kind) {
    case FileValue::Kind::kString:
      return ValueAsString(value, out);
    case FileValue::Kind::kBoolean:
      V_VT(out) = VT_BOOL;
      V_BOOL(out) = value.boolean ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    case FileValue::Kind::kNumber:
      if (value.IsInteger()) {
        V_VT(out) = VT_I4;
        V_I4(out) = value.AsInteger();
      } else {
        V_VT(out) = VT_R8;
        V_R8(out) = value.AsDouble();
      }
      return S_OK;
  }
  return E_UNEXPECTED;
}

HRESULT VariantToValue(const VARIANT& var, FileValue* out) {
  const VARIANT* v = &var;
  if (V_VT(v) == (VT_VARIANT | VT_BYREF)) v = V_VARIANTREF(v);
  switch (V_VT(v)) {
    case VT_BSTR:
      *out = FileValue::String(FromBstr(V_BSTR(v)));
      return S_OK;
    case VT_BOOL:
      *out = FileValue::Boolean(V_BOOL(v) != VARIANT_FALSE);
      return S_OK;
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4:
    case VT_INT: case VT_UINT: case VT_I8: case VT_UI8: {
      UniqueVariant wide;
      if (FAILED(VariantChangeTypeEx(wide.get(), const_cast<VARIANT*>(v), LOCALE_INVARIANT, 0, VT_R8))) {
        return E_INVALIDARG;
      }
      const double d = V_R8(wide.get());
      *out = FileValue::Number(FormatDouble(d));
      return S_OK;
    }
    case VT_R4:
      if (!std::isfinite(V_R4(v))) return E_INVALIDARG;
      *out = FileValue::Number(FormatSingle(V_R4(v)));
      return S_OK;
    case VT_R8:
      if (!std::isfinite(V_R8(v))) return E_INVALIDARG;
      *out = FileValue::Number(FormatDouble(V_R8(v)));
      return S_OK;
    default:
      return E_INVALIDARG;  // objects, dates, arrays: nothing a line of text holds
  }
}

HostPropertyBag::HostPropertyBag(PropertySection& section) : section_(section) {}

void HostPropertyBag::BeginSave() {
  written_.clear();
  write_failure_.clear();
}

void HostPropertyBag::EndSave() {
  for (const std::u16string& name : section_.Names()) {
    const std::u16string key = Key(AsWide(name.c_str()));
    if (read_.count(key) && !written_.count(key)) section_.Remove(name);
  }
}

std::u16string HostPropertyBag::Key(LPCOLESTR name) {
  std::u16string key = FromWide(name);
  for (char16_t& c : key) c = AsciiLower(c);
  return key;
}

HRESULT HostPropertyBag::Read(Guarded, LPCOLESTR name, VARIANT* var, IErrorLog*) {
  if (!name || !var) return E_POINTER;
  read_.insert(Key(name));
  const FileEntry* entry = section_.Find(FromWide(name));
  if (!entry) return E_INVALIDARG;  // absent: the caller takes its default

  const VARTYPE wanted = V_VT(var);
  UniqueVariant value;
  HRESULT hr = (wanted == VT_BSTR) ? ValueAsString(entry->value, value.get())
                                   : ValueToVariant(entry->value, value.get());
  if (FAILED(hr)) return hr;
  if (wanted == VT_EMPTY || wanted == V_VT(value.get())) {
    *var = value.release();  // ownership passes to the caller
    return S_OK;
  }
  UniqueVariant coerced;
  hr = VariantChangeTypeEx(coerced.get(), value.get(), LOCALE_INVARIANT, 0, wanted);
  if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
  *var = coerced.release();
  return S_OK;
}

HRESULT HostPropertyBag::Write(Guarded, LPCOLESTR name, VARIANT* var) {
  if (!name || !var) return E_POINTER;
  FileValue value;
  if (FAILED(VariantToValue(*var, &value)) || !FormatValue(value)) {
    if (write_failure_.empty()) write_failure_ = FromWide(name);
    return E_INVALIDARG;
  }
  written_.insert(Key(name));
  section_.Set(FromWide(name), value);
  return S_OK;
}

}  // namespace pelzorvick
