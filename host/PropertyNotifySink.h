#pragma once
// Receives the control's changed-property notifications and prints the
// property's name ("notify: Text"), found in the control's type information
// by its dispatch identifier.

#include <windows.h>
#include <ocidl.h>

#include <map>
#include <string>

namespace pelzorvick {

class PropertyNotifySink : public IPropertyNotifySink {
 public:
  PropertyNotifySink(std::u16string prefix, IDispatch* control);
  virtual ~PropertyNotifySink();

  // The name of a member of the control, or its dispatch identifier in hex.
  std::u16string NameOf(DISPID id);

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP OnChanged(DISPID id) override;
  STDMETHODIMP OnRequestEdit(DISPID id) override;

 private:
  LONG refs_ = 1;
  std::u16string prefix_;
  ITypeInfo* type_info_ = nullptr;
  std::map<DISPID, std::u16string> names_;
};

}  // namespace pelzorvick
