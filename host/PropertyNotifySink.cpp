#include "host/PropertyNotifySink.h"

#include "component/com/Handles.h"
#include "component/com/WideString.h"
#include "host/Output.h"

namespace pelzorvick {

PropertyNotifySink::PropertyNotifySink(std::u16string prefix, IDispatch* control)
    : prefix_(std::move(prefix)) {
  // Asked once: the sink must not call back into the control while it is in
  // the middle of changing a property.
  if (control && FAILED(control->GetTypeInfo(0, LOCALE_USER_DEFAULT, &type_info_))) {
    type_info_.Reset();
  }
}

std::u16string PropertyNotifySink::NameOf(DISPID id) {
  if (const auto it = names_.find(id); it != names_.end()) return it->second;
  std::u16string name;
  UniqueBstr bstr;
  UINT count = 0;
  if (type_info_ && SUCCEEDED(type_info_->GetNames(id, bstr.put(), 1, &count)) && count == 1) {
    name = FromBstr(bstr.get());
  }
  if (name.empty()) name = u"dispid " + HexCode(id);
  names_[id] = name;
  return name;
}

HRESULT PropertyNotifySink::OnChanged(Guarded, DISPID id) {
  Output::Log(u"notify: " + prefix_ + NameOf(id));
  return S_OK;
}

HRESULT PropertyNotifySink::OnRequestEdit(Guarded, DISPID) { return S_OK; }

}  // namespace pelzorvick
