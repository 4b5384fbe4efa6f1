#pragma once
// Automation from a client's side: variants of text, properties by name
// through IDispatch, and the error info a failed call left.

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "component/com/ComPtr.h"

namespace pelzorvick::test {

inline VARIANT BstrVariant(const wchar_t* text) {
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(text);
  return v;
}

// A variant as text (VARIANT_ALPHABOOL: truth values as "True"/"False"),
// "<not text>" when it has none.
inline std::wstring VariantText(const VARIANT& value, USHORT flags = 0) {
  VARIANT text;
  VariantInit(&text);
  if (FAILED(VariantChangeType(&text, const_cast<VARIANT*>(&value), flags, VT_BSTR))) {
    return L"<not text>";
  }
  std::wstring s(V_BSTR(&text) ? V_BSTR(&text) : L"", SysStringLen(V_BSTR(&text)));
  VariantClear(&text);
  return s;
}

inline DISPID IdOfName(IDispatch* object, const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return DISPID_UNKNOWN;
  return id;
}

// The property by name, and its setting.
inline HRESULT PutByName(IDispatch* object, const wchar_t* name, VARIANT value) {
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &put, 1, 1};
  return object->Invoke(IdOfName(object, name), IID_NULL, LOCALE_USER_DEFAULT,
                        DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}
inline HRESULT GetByName(IDispatch* object, const wchar_t* name, VARIANT* value) {
  DISPPARAMS none{};
  VariantInit(value);
  return object->Invoke(IdOfName(object, name), IID_NULL, LOCALE_USER_DEFAULT,
                        DISPATCH_PROPERTYGET, &none, value, nullptr, nullptr);
}

// The property's value as text, "<failed>" when the get fails.
inline std::wstring GetText(IDispatch* object, const wchar_t* name, USHORT flags = 0) {
  VARIANT v;
  if (FAILED(GetByName(object, name, &v))) return L"<failed>";
  std::wstring s = VariantText(v, flags);
  VariantClear(&v);
  return s;
}
inline HRESULT PutText(IDispatch* object, const wchar_t* name, const std::wstring& text) {
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  const HRESULT hr = PutByName(object, name, v);
  VariantClear(&v);
  return hr;
}

// The description of the thread's error info, empty without one.
inline std::wstring ErrorDescription() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) != S_OK || !info) return L"";
  BSTR text = nullptr;
  info->GetDescription(&text);
  std::wstring out = text ? text : L"";
  SysFreeString(text);
  return out;
}

}  // namespace pelzorvick::test
