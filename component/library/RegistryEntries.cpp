#include "component/library/RegistryEntries.h"

#include <objbase.h>

#include "PelZorvick_h.h"

namespace pelzorvick {
namespace {

ClassIdentity Identity() { return {GuidText(CLSID_ZorvickCtrl), GuidText(LIBID_PelZorvick)}; }

}  // namespace

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  const int n = StringFromGUID2(guid, text, 40);
  return n > 0 ? std::wstring(text, n - 1) : std::wstring();
}

std::vector<RegistryValue> ClassRegistryValues(const std::wstring& module_path) {
  return ClassRegistryValues(Identity(), module_path);
}

std::vector<std::wstring> ClassRegistryKeys() { return ClassRegistryKeys(Identity()); }

}  // namespace pelzorvick
