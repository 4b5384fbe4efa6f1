#pragma once
// IPropertyBag over one section of the property file.
//
// Reading hands out a string as VT_BSTR, True/False as VT_BOOL and a number
// as VT_I4 when it is an integer that fits 32 bits, VT_R8 otherwise; a caller
// that asks for a type gets the value coerced (invariant locale) or
// DISP_E_TYPEMISMATCH. Saving updates the keys the control writes in place,
// drops keys it read but no longer writes (it left out a default), and keeps
// every key it never asked about unchanged.

#include <windows.h>
#include <ocidl.h>

#include <set>
#include <string>

#include "component/com/ComObject.h"
#include "host/PropertyFile.h"

namespace pelzorvick {

class HostPropertyBag : public ComObject<HostPropertyBag, Implements<IPropertyBag>> {
 public:
  explicit HostPropertyBag(PropertySection& section);

  // Bracket one IPersistPropertyBag::Save.
  void BeginSave();
  void EndSave();
  // The first write that could not be stored, if any ("" when none).
  const std::u16string& WriteFailure() const { return write_failure_; }

  HRESULT Read(Guarded, LPCOLESTR name, VARIANT* var, IErrorLog* log);
  HRESULT Write(Guarded, LPCOLESTR name, VARIANT* var);

 private:
  static std::u16string Key(LPCOLESTR name);

  PropertySection& section_;
  std::set<std::u16string> read_;     // lower-cased names the control asked for
  std::set<std::u16string> written_;  // lower-cased names of the current save
  std::u16string write_failure_;
};

// The stored value as a VARIANT of its natural type.
HRESULT ValueToVariant(const FileValue& value, VARIANT* out);
// A VARIANT as a stored value; E_INVALIDARG for types a file cannot hold.
HRESULT VariantToValue(const VARIANT& var, FileValue* out);

}  // namespace pelzorvick
