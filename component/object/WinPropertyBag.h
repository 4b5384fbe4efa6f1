#pragma once
// The core's PropertyBag over a container's IPropertyBag.

#include <windows.h>
#include <ocidl.h>
#include <oaidl.h>

#include "component/seams/PropertyBag.h"
#include "component/com/ComPtr.h"

namespace pelzorvick {

class WinPropertyBag : public PropertyBag {
 public:
  // Holds a reference to both for its lifetime; the error log may be null.
  explicit WinPropertyBag(IPropertyBag* bag, IErrorLog* error_log = nullptr);
  WinPropertyBag(const WinPropertyBag&) = delete;
  WinPropertyBag& operator=(const WinPropertyBag&) = delete;

  // The value is asked for in the bag's own type and converted with the
  // user's locale. E_INVALIDARG (the key is not in the bag) and an empty
  // value give the default; any other failed read throws ComError with the
  // bag's code. A value that does not convert throws the type mismatch; a
  // number or boolean read as a string gives its text ("12.5", "True").
  std::u16string ReadString(std::u16string_view key, std::u16string_view def) override;
  float ReadSingle(std::u16string_view key, int16_t def) override;
  bool ReadBool(std::u16string_view key, bool def) override;

  // Always written (as VT_BSTR, VT_R4, VT_BOOL), defaults included. A failed
  // write throws ComError with the bag's code.
  void WriteString(std::u16string_view key, std::u16string_view value, std::u16string_view def) override;
  void WriteSingle(std::u16string_view key, float value, int16_t def) override;
  void WriteBool(std::u16string_view key, bool value, bool def) override;

 private:
  // True with the value converted to `type` in `out`; false when absent.
  bool Read(std::u16string_view key, VARTYPE type, VARIANT& out);
  void Write(std::u16string_view key, VARIANT& value);

  ComPtr<IPropertyBag> bag_;
  ComPtr<IErrorLog> error_log_;
};

}  // namespace pelzorvick
