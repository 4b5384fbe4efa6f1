#include "component/win/ErrorInfo.h"
#include "component/win/TypeInfoCache.h"
#include "component/win/WideString.h"
#include "component/win/ZorvickObject.h"

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
float ToAutomation(float value) { return value; }
VARIANT_BOOL ToAutomation(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }
BSTR ToAutomation(const std::u16string& value) { return MakeBstr(value); }
float FromAutomation(float value) { return value; }
bool FromAutomation(VARIANT_BOOL value) { return value != VARIANT_FALSE; }
std::u16string FromAutomation(BSTR value) { return FromBstr(value); }

}  // namespace

template <class Out, class Getter>
HRESULT ZorvickObject::GetProperty(Out* out, Getter getter) {
  if (out == nullptr) return E_POINTER;
  *out = Out{};
  *out = ToAutomation((ctrl_.*getter)());
  return S_OK;
}

// Setters hold a reference while the change is announced: a sink that hears
// of it may release the control.
template <class In, class Setter>
HRESULT ZorvickObject::PutProperty(In value, Setter setter) {
  ComPtr<IUnknown> keep(Identity());
  (ctrl_.*setter)(FromAutomation(value));
  return S_OK;
}

HRESULT ZorvickObject::Execute(Guarded) {
  ComPtr<IUnknown> keep(Identity());
  ctrl_.Execute();
  return S_OK;
}

HRESULT ZorvickObject::get_FontSize(Guarded, float* value) { return GetProperty(value, &ZorvickCtrl::FontSize); }
HRESULT ZorvickObject::put_FontSize(Guarded, float value) { return PutProperty(value, &ZorvickCtrl::SetFontSize); }

HRESULT ZorvickObject::get_Command(Guarded, BSTR* value) { return GetProperty(value, &ZorvickCtrl::Command); }
HRESULT ZorvickObject::put_Command(Guarded, BSTR value) { return PutProperty(value, &ZorvickCtrl::SetCommand); }

HRESULT ZorvickObject::get_Control(Guarded, BSTR* value) { return GetProperty(value, &ZorvickCtrl::Control); }
HRESULT ZorvickObject::put_Control(Guarded, BSTR value) { return PutProperty(value, &ZorvickCtrl::SetControl); }

HRESULT ZorvickObject::get_Text(Guarded, BSTR* value) { return GetProperty(value, &ZorvickCtrl::Text); }
HRESULT ZorvickObject::put_Text(Guarded, BSTR value) { return PutProperty(value, &ZorvickCtrl::SetText); }

HRESULT ZorvickObject::get_BackColor(Guarded, BSTR* value) { return GetProperty(value, &ZorvickCtrl::BackColor); }
HRESULT ZorvickObject::put_BackColor(Guarded, BSTR value) { return PutProperty(value, &ZorvickCtrl::SetBackColor); }

HRESULT ZorvickObject::get_ForeColor(Guarded, BSTR* value) { return GetProperty(value, &ZorvickCtrl::ForeColor); }
HRESULT ZorvickObject::put_ForeColor(Guarded, BSTR value) { return PutProperty(value, &ZorvickCtrl::SetForeColor); }

HRESULT ZorvickObject::get_ImageURL(Guarded, BSTR* value) { return GetProperty(value, &ZorvickCtrl::ImageURL); }
HRESULT ZorvickObject::put_ImageURL(Guarded, BSTR value) { return PutProperty(value, &ZorvickCtrl::SetImageURL); }

HRESULT ZorvickObject::get_Command1(Guarded, BSTR* value) { return GetProperty(value, &ZorvickCtrl::Command1); }
HRESULT ZorvickObject::put_Command1(Guarded, BSTR value) { return PutProperty(value, &ZorvickCtrl::SetCommand1); }

HRESULT ZorvickObject::get_Command2(Guarded, BSTR* value) { return GetProperty(value, &ZorvickCtrl::Command2); }
HRESULT ZorvickObject::put_Command2(Guarded, BSTR value) { return PutProperty(value, &ZorvickCtrl::SetCommand2); }

HRESULT ZorvickObject::get_Command3(Guarded, BSTR* value) { return GetProperty(value, &ZorvickCtrl::Command3); }
HRESULT ZorvickObject::put_Command3(Guarded, BSTR value) { return PutProperty(value, &ZorvickCtrl::SetCommand3); }

HRESULT ZorvickObject::get_Command4(Guarded, BSTR* value) { return GetProperty(value, &ZorvickCtrl::Command4); }
HRESULT ZorvickObject::put_Command4(Guarded, BSTR value) { return PutProperty(value, &ZorvickCtrl::SetCommand4); }

HRESULT ZorvickObject::get_Command5(Guarded, BSTR* value) { return GetProperty(value, &ZorvickCtrl::Command5); }
HRESULT ZorvickObject::put_Command5(Guarded, BSTR value) { return PutProperty(value, &ZorvickCtrl::SetCommand5); }

HRESULT ZorvickObject::get_Command6(Guarded, BSTR* value) { return GetProperty(value, &ZorvickCtrl::Command6); }
HRESULT ZorvickObject::put_Command6(Guarded, BSTR value) { return PutProperty(value, &ZorvickCtrl::SetCommand6); }

HRESULT ZorvickObject::get_Command7(Guarded, BSTR* value) { return GetProperty(value, &ZorvickCtrl::Command7); }
HRESULT ZorvickObject::put_Command7(Guarded, BSTR value) { return PutProperty(value, &ZorvickCtrl::SetCommand7); }

HRESULT ZorvickObject::get_Command8(Guarded, BSTR* value) { return GetProperty(value, &ZorvickCtrl::Command8); }
HRESULT ZorvickObject::put_Command8(Guarded, BSTR value) { return PutProperty(value, &ZorvickCtrl::SetCommand8); }

HRESULT ZorvickObject::get_Command9(Guarded, BSTR* value) { return GetProperty(value, &ZorvickCtrl::Command9); }
HRESULT ZorvickObject::put_Command9(Guarded, BSTR value) { return PutProperty(value, &ZorvickCtrl::SetCommand9); }

HRESULT ZorvickObject::get_AutoSize(Guarded, VARIANT_BOOL* value) { return GetProperty(value, &ZorvickCtrl::AutoSize); }
HRESULT ZorvickObject::put_AutoSize(Guarded, VARIANT_BOOL value) { return PutProperty(value, &ZorvickCtrl::SetAutoSize); }

HRESULT ZorvickObject::get_Border(Guarded, VARIANT_BOOL* value) { return GetProperty(value, &ZorvickCtrl::Border); }
HRESULT ZorvickObject::put_Border(Guarded, VARIANT_BOOL value) { return PutProperty(value, &ZorvickCtrl::SetBorder); }

}  // namespace pelzorvick
