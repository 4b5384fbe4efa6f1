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

HRESULT ZorvickObject::Execute(Guarded) {
  ComPtr<IUnknown> keep(Identity());
  ctrl_.Execute();
  return S_OK;
}

}  // namespace pelzorvick
