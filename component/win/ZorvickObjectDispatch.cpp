#include "component/win/ErrorInfo.h"
#include "component/win/TypeInfoCache.h"
#include "component/win/WideString.h"
#include "component/win/ZorvickObjectImpl.h"

// The dual interface and IDispatch driven by the embedded type library.

namespace pelzorvick {

HRESULT ZorvickObject::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT ZorvickObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  return GuardedCall(IID_IDispatch, [&] { return TypeInfoCache::Get(IID__ZorvickCtrl, info); });
}

HRESULT ZorvickObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                     DISPID* ids) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  return GuardedCall(IID_IDispatch, [&] {
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    const HRESULT hr = TypeInfoCache::Get(IID__ZorvickCtrl, info.GetAddressOf());
    if (FAILED(hr)) return hr;
    return info->GetIDsOfNames(names, count, ids);
  });
}

HRESULT ZorvickObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT* arg_error) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  // A property put may come as DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF.
  if (flags & DISPATCH_PROPERTYPUTREF) flags = (flags & ~DISPATCH_PROPERTYPUTREF) | DISPATCH_PROPERTYPUT;
  Microsoft::WRL::ComPtr<IUnknown> keep(Identity());
  return GuardedCall(IID_IDispatch, [&] {
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    const HRESULT hr = TypeInfoCache::Get(IID__ZorvickCtrl, info.GetAddressOf());
    if (FAILED(hr)) return hr;
    return info->Invoke(static_cast<_ZorvickCtrl*>(this), id, flags, params, result, exception,
                        arg_error);
  });
}

template <class T>
HRESULT ZorvickObject::GetString(BSTR* out, T getter) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return GuardedCall(IID__ZorvickCtrl, [&] {
    *out = MakeBstr((ctrl_.*getter)());
    return S_OK;
  });
}

// Setters hold a reference while the change is announced: a sink that hears
// of it may release the control.
template <class T>
HRESULT ZorvickObject::PutString(BSTR value, T setter) {
  Microsoft::WRL::ComPtr<IUnknown> keep(Identity());
  return GuardedCall(IID__ZorvickCtrl, [&] {
    (ctrl_.*setter)(FromBstr(value));
    return S_OK;
  });
}

HRESULT ZorvickObject::Execute() {
  Microsoft::WRL::ComPtr<IUnknown> keep(Identity());
  return GuardedCall(IID__ZorvickCtrl, [&] {
    ctrl_.Execute();
    return S_OK;
  });
}

HRESULT ZorvickObject::get_FontSize(float* value) {
  if (value == nullptr) return E_POINTER;
  return GuardedCall(IID__ZorvickCtrl, [&] {
    *value = ctrl_.FontSize();
    return S_OK;
  });
}

HRESULT ZorvickObject::put_FontSize(float value) {
  Microsoft::WRL::ComPtr<IUnknown> keep(Identity());
  return GuardedCall(IID__ZorvickCtrl, [&] {
    ctrl_.SetFontSize(value);
    return S_OK;
  });
}

HRESULT ZorvickObject::get_Command(BSTR* value) { return GetString(value, &ZorvickCtrl::Command); }
HRESULT ZorvickObject::put_Command(BSTR value) { return PutString(value, &ZorvickCtrl::SetCommand); }

HRESULT ZorvickObject::get_Control(BSTR* value) { return GetString(value, &ZorvickCtrl::Control); }
HRESULT ZorvickObject::put_Control(BSTR value) { return PutString(value, &ZorvickCtrl::SetControl); }

HRESULT ZorvickObject::get_Text(BSTR* value) { return GetString(value, &ZorvickCtrl::Text); }
HRESULT ZorvickObject::put_Text(BSTR value) { return PutString(value, &ZorvickCtrl::SetText); }

HRESULT ZorvickObject::get_BackColor(BSTR* value) { return GetString(value, &ZorvickCtrl::BackColor); }
HRESULT ZorvickObject::put_BackColor(BSTR value) { return PutString(value, &ZorvickCtrl::SetBackColor); }

HRESULT ZorvickObject::get_ForeColor(BSTR* value) { return GetString(value, &ZorvickCtrl::ForeColor); }
HRESULT ZorvickObject::put_ForeColor(BSTR value) { return PutString(value, &ZorvickCtrl::SetForeColor); }

HRESULT ZorvickObject::get_ImageURL(BSTR* value) { return GetString(value, &ZorvickCtrl::ImageURL); }
HRESULT ZorvickObject::put_ImageURL(BSTR value) { return PutString(value, &ZorvickCtrl::SetImageURL); }

HRESULT ZorvickObject::get_Command1(BSTR* value) { return GetString(value, &ZorvickCtrl::Command1); }
HRESULT ZorvickObject::put_Command1(BSTR value) { return PutString(value, &ZorvickCtrl::SetCommand1); }

HRESULT ZorvickObject::get_Command2(BSTR* value) { return GetString(value, &ZorvickCtrl::Command2); }
HRESULT ZorvickObject::put_Command2(BSTR value) { return PutString(value, &ZorvickCtrl::SetCommand2); }

HRESULT ZorvickObject::get_Command3(BSTR* value) { return GetString(value, &ZorvickCtrl::Command3); }
HRESULT ZorvickObject::put_Command3(BSTR value) { return PutString(value, &ZorvickCtrl::SetCommand3); }

HRESULT ZorvickObject::get_Command4(BSTR* value) { return GetString(value, &ZorvickCtrl::Command4); }
HRESULT ZorvickObject::put_Command4(BSTR value) { return PutString(value, &ZorvickCtrl::SetCommand4); }

HRESULT ZorvickObject::get_Command5(BSTR* value) { return GetString(value, &ZorvickCtrl::Command5); }
HRESULT ZorvickObject::put_Command5(BSTR value) { return PutString(value, &ZorvickCtrl::SetCommand5); }

HRESULT ZorvickObject::get_Command6(BSTR* value) { return GetString(value, &ZorvickCtrl::Command6); }
HRESULT ZorvickObject::put_Command6(BSTR value) { return PutString(value, &ZorvickCtrl::SetCommand6); }

HRESULT ZorvickObject::get_Command7(BSTR* value) { return GetString(value, &ZorvickCtrl::Command7); }
HRESULT ZorvickObject::put_Command7(BSTR value) { return PutString(value, &ZorvickCtrl::SetCommand7); }

HRESULT ZorvickObject::get_Command8(BSTR* value) { return GetString(value, &ZorvickCtrl::Command8); }
HRESULT ZorvickObject::put_Command8(BSTR value) { return PutString(value, &ZorvickCtrl::SetCommand8); }

HRESULT ZorvickObject::get_Command9(BSTR* value) { return GetString(value, &ZorvickCtrl::Command9); }
HRESULT ZorvickObject::put_Command9(BSTR value) { return PutString(value, &ZorvickCtrl::SetCommand9); }

HRESULT ZorvickObject::get_AutoSize(VARIANT_BOOL* value) {
  if (value == nullptr) return E_POINTER;
  return GuardedCall(IID__ZorvickCtrl, [&] {
    *value = ctrl_.AutoSize() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

HRESULT ZorvickObject::put_AutoSize(VARIANT_BOOL value) {
  Microsoft::WRL::ComPtr<IUnknown> keep(Identity());
  return GuardedCall(IID__ZorvickCtrl, [&] {
    ctrl_.SetAutoSize(value != VARIANT_FALSE);
    return S_OK;
  });
}

HRESULT ZorvickObject::get_Border(VARIANT_BOOL* value) {
  if (value == nullptr) return E_POINTER;
  return GuardedCall(IID__ZorvickCtrl, [&] {
    *value = ctrl_.Border() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

HRESULT ZorvickObject::put_Border(VARIANT_BOOL value) {
  Microsoft::WRL::ComPtr<IUnknown> keep(Identity());
  return GuardedCall(IID__ZorvickCtrl, [&] {
    ctrl_.SetBorder(value != VARIANT_FALSE);
    return S_OK;
  });
}

}  // namespace pelzorvick
