#include "component/com/ErrorInfo.h"
#include "component/com/TypeInfoCache.h"
#include "component/com/WideString.h"
#include "component/object/ZorvickObject.h"

// The dual interface and IDispatch driven by the embedded type library.

namespace pelzorvick {

HRESULT ZorvickObject::GetTypeInfoCount(Guarded, UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT ZorvickObject::GetTypeInfo(Guarded, UINT index, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  return TypeInfoCache::Get(IID__ZorvickCtrl, info);
}

HRESULT ZorvickObject::GetIDsOfNames(Guarded, REFIID riid, LPOLESTR* names, UINT count, LCID,
                                     DISPID* ids) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  ComPtr<ITypeInfo> info;
  const HRESULT hr = TypeInfoCache::Get(IID__ZorvickCtrl, info.GetAddressOf());
  if (FAILED(hr)) return hr;
  return info->GetIDsOfNames(names, count, ids);
}

HRESULT ZorvickObject::Invoke(Guarded, DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT* arg_error) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  // A property put may come as DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF.
  if (flags & DISPATCH_PROPERTYPUTREF) flags = (flags & ~DISPATCH_PROPERTYPUTREF) | DISPATCH_PROPERTYPUT;
  ComPtr<IUnknown> keep(Identity());
  ComPtr<ITypeInfo> info;
  const HRESULT hr = TypeInfoCache::Get(IID__ZorvickCtrl, info.GetAddressOf());
  if (FAILED(hr)) return hr;
  return info->Invoke(static_cast<_ZorvickCtrl*>(this), id, flags, params, result, exception,
                      arg_error);
}

namespace {

// Between the core's types and the automation types of the interface.
template <class Automation>
struct CoreTypeOf;
template <>
struct CoreTypeOf<float> {
  using type = float;
};
template <>
struct CoreTypeOf<BSTR> {
  using type = std::u16string;
};
template <>
struct CoreTypeOf<VARIANT_BOOL> {
  using type = bool;
};

float ToAutomation(float value) { return value; }
VARIANT_BOOL ToAutomation(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }
BSTR ToAutomation(const std::u16string& value) { return MakeBstr(value); }
float FromAutomation(float value) { return value; }
bool FromAutomation(VARIANT_BOOL value) { return value != VARIANT_FALSE; }
std::u16string FromAutomation(BSTR value) { return FromBstr(value); }

// The table's row of an accessor's property; the type library tests keep the
// two alike, so a miss is a fault of ours.
const Property& RowNamed(std::u16string_view name) {
  const Property* row = ZorvickCtrl::FindProperty(name);
  if (row == nullptr) throw ComError(E_UNEXPECTED, u"No such property");
  return *row;
}

}  // namespace

template <class Out>
HRESULT ZorvickObject::Get(std::u16string_view name, Out* out) {
  if (out == nullptr) return E_POINTER;
  *out = Out{};
  *out = ToAutomation(ctrl_.ValueOf<typename CoreTypeOf<Out>::type>(RowNamed(name)));
  return S_OK;
}

// Setters hold a reference while the change is announced: a sink that hears
// of it may release the control.
template <class In>
HRESULT ZorvickObject::Put(std::u16string_view name, In value) {
  ComPtr<IUnknown> keep(Identity());
  const Property& row = RowNamed(name);
  RequestEdit(row);
  ctrl_.Set(row, FromAutomation(value));
  return S_OK;
}

HRESULT ZorvickObject::GetProperty(Guarded, std::u16string_view name, float* value) {
  return Get(name, value);
}
HRESULT ZorvickObject::GetProperty(Guarded, std::u16string_view name, BSTR* value) {
  return Get(name, value);
}
HRESULT ZorvickObject::GetProperty(Guarded, std::u16string_view name, VARIANT_BOOL* value) {
  return Get(name, value);
}
HRESULT ZorvickObject::PutProperty(Guarded, std::u16string_view name, float value) {
  return Put(name, value);
}
HRESULT ZorvickObject::PutProperty(Guarded, std::u16string_view name, BSTR value) {
  return Put(name, value);
}
HRESULT ZorvickObject::PutProperty(Guarded, std::u16string_view name, VARIANT_BOOL value) {
  return Put(name, value);
}

HRESULT ZorvickObject::Execute(Guarded) {
  ComPtr<IUnknown> keep(Identity());
  ctrl_.Execute();
  return S_OK;
}

}  // namespace pelzorvick
