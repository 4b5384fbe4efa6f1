#pragma once
// Receives the control's changed-property notifications and prints the
// property's name ("notify: Text"), found in the control's type information
// by its dispatch identifier.

#include <windows.h>
#include <ocidl.h>

#include <map>
#include <string>

#include "component/com/ComObject.h"
#include "component/com/ComPtr.h"

namespace pelzorvick {

class PropertyNotifySink : public ComObject<PropertyNotifySink, Implements<IPropertyNotifySink>> {
 public:
  PropertyNotifySink(std::u16string prefix, IDispatch* control);

  // The name of a member of the control, or its dispatch identifier in hex.
  std::u16string NameOf(DISPID id);

  HRESULT OnChanged(Guarded, DISPID id);
  HRESULT OnRequestEdit(Guarded, DISPID id);

 private:
  std::u16string prefix_;
  ComPtr<ITypeInfo> type_info_;
  std::map<DISPID, std::u16string> names_;
};

}  // namespace pelzorvick
