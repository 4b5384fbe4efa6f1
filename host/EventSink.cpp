#include "host/EventSink.h"

#include "host/Output.h"

namespace pelzorvick {

const IID DIID_ZorvickCtrlEvents = {
    0x974AB5E5, 0xC54A, 0x4BA8, {0x85, 0x61, 0x37, 0xEF, 0xD6, 0x5D, 0x2D, 0xE6}};

EventSink::EventSink(std::u16string prefix, std::function<void(const std::u16string&)> on_event)
    : prefix_(std::move(prefix)), on_event_(std::move(on_event)) {}

STDMETHODIMP EventSink::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_ZorvickCtrlEvents) {
    *ppv = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) EventSink::AddRef() { return InterlockedIncrement(&refs_); }
STDMETHODIMP_(ULONG) EventSink::Release() {
  const LONG n = InterlockedDecrement(&refs_);
  if (n == 0) delete this;
  return n;
}

STDMETHODIMP EventSink::GetTypeInfoCount(UINT* n) {
  if (!n) return E_POINTER;
  *n = 0;
  return S_OK;
}
STDMETHODIMP EventSink::GetTypeInfo(UINT, LCID, ITypeInfo** ti) {
  if (ti) *ti = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP EventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                               EXCEPINFO*, UINT*) {
  if (result) VariantInit(result);
  std::u16string name;
  if (id == kDispidClick) {
    ++clicks_;
    name = u"Click";
  } else {
    name = u"dispid " + ToU16(std::to_string(id));
  }
  Output::Log(u"event: " + prefix_ + name);
  if (on_event_) on_event_(name);
  return S_OK;
}

}  // namespace pelzorvick
