#include "host/EventSink.h"

#include "component/object/DispatchIds.h"
#include "host/Output.h"

namespace pelzorvick {

EventSink::EventSink(std::u16string prefix, std::function<void(const std::u16string&)> on_event)
    : prefix_(std::move(prefix)), on_event_(std::move(on_event)) {}

HRESULT EventSink::Invoke(Guarded, DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
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
