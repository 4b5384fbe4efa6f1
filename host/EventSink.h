#pragma once
// Receives the control's events (__ZorvickCtrl, through IDispatch) and
// prints each one: "event: Click", prefixed by the control's name on a form
// of several.

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <string>

#include "PelZorvick_h.h"
#include "component/com/ComObject.h"

namespace pelzorvick {

// The events' dispinterface is IDispatch's methods alone: it answers as both.
class EventSink : public ComObject<EventSink, Implements<__ZorvickCtrl, IDispatch>>,
                  private NoTypeInfo {
 public:
  // `on_event` is called with the event's name after it was printed.
  EventSink(std::u16string prefix, std::function<void(const std::u16string&)> on_event = {});

  int Clicks() const { return clicks_; }

  using NoTypeInfo::GetTypeInfoCount;
  using NoTypeInfo::GetTypeInfo;
  using NoTypeInfo::GetIDsOfNames;
  HRESULT Invoke(Guarded, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*);

 private:
  std::u16string prefix_;
  std::function<void(const std::u16string&)> on_event_;
  int clicks_ = 0;
};

}  // namespace pelzorvick
