#include "host/HostPropertyBag.h"

#include <oleauto.h>

#include <cmath>

#include "text/StringUtil.h"

namespace pelzorvick {

namespace {

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

std::u16string U(const wchar_t* s) {
  return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : std::u16string();
}

// Numbers and truth values under a string key are read as their text form,
// the same text the file shows.
HRESULT ValueAsString(const FileValue& value, VARIANT* out) {
  std::u16string text = value.text;
  if (value.kind == FileValue::Kind::kBoolean) text = value.boolean ? u"True" : u"False";
  V_VT(out) = VT_BSTR;
  V_BSTR(out) = SysAllocStringLen(W(text), static_cast<UINT>(text.size()));
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
      *out = FileValue::String(std::u16string(
          reinterpret_cast<const char16_t*>(V_BSTR(v)), SysStringLen(V_BSTR(v))));
      return S_OK;
    case VT_BOOL:
      *out = FileValue::Boolean(V_BOOL(v) != VARIANT_FALSE);
      return S_OK;
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4:
    case VT_INT: case VT_UINT: case VT_I8: case VT_UI8: {
      VARIANT wide;
      VariantInit(&wide);
      if (FAILED(VariantChangeTypeEx(&wide, const_cast<VARIANT*>(v), LOCALE_INVARIANT, 0, VT_R8))) {
        return E_INVALIDARG;
      }
      const double d = V_R8(&wide);
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
    const std::u16string key = Key(reinterpret_cast<LPCOLESTR>(name.c_str()));
    if (read_.count(key) && !written_.count(key)) section_.Remove(name);
  }
}

std::u16string HostPropertyBag::Key(LPCOLESTR name) {
  std::u16string key = U(name);
  for (char16_t& c : key) c = AsciiLower(c);
  return key;
}

STDMETHODIMP HostPropertyBag::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IPropertyBag) {
    *ppv = static_cast<IPropertyBag*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) HostPropertyBag::AddRef() { return InterlockedIncrement(&refs_); }
STDMETHODIMP_(ULONG) HostPropertyBag::Release() {
  const LONG n = InterlockedDecrement(&refs_);
  if (n == 0) delete this;
  return n;
}

STDMETHODIMP HostPropertyBag::Read(LPCOLESTR name, VARIANT* var, IErrorLog*) {
  if (!name || !var) return E_POINTER;
  read_.insert(Key(name));
  const FileEntry* entry = section_.Find(U(name));
  if (!entry) return E_INVALIDARG;  // absent: the caller takes its default

  const VARTYPE wanted = V_VT(var);
  VARIANT value;
  HRESULT hr = (wanted == VT_BSTR) ? (VariantInit(&value), ValueAsString(entry->value, &value))
                                   : ValueToVariant(entry->value, &value);
  if (FAILED(hr)) return hr;
  if (wanted == VT_EMPTY || wanted == V_VT(&value)) {
    *var = value;  // ownership passes to the caller
    return S_OK;
  }
  VARIANT coerced;
  VariantInit(&coerced);
  hr = VariantChangeTypeEx(&coerced, &value, LOCALE_INVARIANT, 0, wanted);
  VariantClear(&value);
  if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
  *var = coerced;
  return S_OK;
}

STDMETHODIMP HostPropertyBag::Write(LPCOLESTR name, VARIANT* var) {
  if (!name || !var) return E_POINTER;
  FileValue value;
  if (FAILED(VariantToValue(*var, &value)) || !FormatValue(value)) {
    if (write_failure_.empty()) write_failure_ = U(name);
    return E_INVALIDARG;
  }
  written_.insert(Key(name));
  section_.Set(U(name), value);
  return S_OK;
}

}  // namespace pelzorvick
