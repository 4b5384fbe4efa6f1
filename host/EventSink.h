#pragma once
// Receives the control's events (__ZorvickCtrl, through IDispatch) and
// prints each one: "event: Click", prefixed by the control's name on a form
// of several.

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <string>

namespace pelzorvick {

// {974AB5E5-C54A-4BA8-8561-37EFD65D2DE6}
extern const IID DIID_ZorvickCtrlEvents;
inline constexpr DISPID kDispidClick = 1;

class EventSink : public IDispatch {
 public:
  // `on_event` is called with the event's name after it was printed.
  EventSink(std::u16string prefix, std::function<void(const std::u16string&)> on_event = {});
  virtual ~EventSink() = default;

  int Clicks() const { return clicks_; }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetTypeInfoCount(UINT*) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override;

 private:
  LONG refs_ = 1;
  std::u16string prefix_;
  std::function<void(const std::u16string&)> on_event_;
  int clicks_ = 0;
};

}  // namespace pelzorvick
