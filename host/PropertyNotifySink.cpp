#include "host/PropertyNotifySink.h"

#include "host/Output.h"

namespace pelzorvick {

PropertyNotifySink::PropertyNotifySink(std::u16string prefix, IDispatch* control)
    : prefix_(std::move(prefix)) {
  // Asked once: the sink must not call back into the control while it is in
  // the middle of changing a property.
  if (control && FAILED(control->GetTypeInfo(0, LOCALE_USER_DEFAULT, &type_info_))) {
    type_info_ = nullptr;
  }
}

PropertyNotifySink::~PropertyNotifySink() {
  if (type_info_) type_info_->Release();
}

std::u16string PropertyNotifySink::NameOf(DISPID id) {
  if (const auto it = names_.find(id); it != names_.end()) return it->second;
  std::u16string name;
  BSTR bstr = nullptr;
  UINT count = 0;
  if (type_info_ && SUCCEEDED(type_info_->GetNames(id, &bstr, 1, &count)) && count == 1) {
    name.assign(reinterpret_cast<const char16_t*>(bstr), SysStringLen(bstr));
  }
  SysFreeString(bstr);
  if (name.empty()) name = u"dispid " + HexCode(id);
  names_[id] = name;
  return name;
}

STDMETHODIMP PropertyNotifySink::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IPropertyNotifySink) {
    *ppv = static_cast<IPropertyNotifySink*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) PropertyNotifySink::AddRef() { return InterlockedIncrement(&refs_); }
STDMETHODIMP_(ULONG) PropertyNotifySink::Release() {
  const LONG n = InterlockedDecrement(&refs_);
  if (n == 0) delete this;
  return n;
}

STDMETHODIMP PropertyNotifySink::OnChanged(DISPID id) {
  Output::Log(u"notify: " + prefix_ + NameOf(id));
  return S_OK;
}

STDMETHODIMP PropertyNotifySink::OnRequestEdit(DISPID) { return S_OK; }

}  // namespace pelzorvick
