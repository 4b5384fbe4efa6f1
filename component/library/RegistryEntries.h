#pragma once
// What registering the control writes: the class's keys and values, relative
// to a classes root (the machine's or the user's), for a module path.

#include <windows.h>

#include <string>
#include <vector>

namespace pelzorvick {

struct RegistryValue {
  std::wstring key;   // below the classes root
  std::wstring name;  // empty: the key's default value
  std::wstring data;  // always a string value
};

inline constexpr wchar_t kProgId[] = L"PelZorvick.ZorvickCtrl.1";
inline constexpr wchar_t kVersionIndependentProgId[] = L"PelZorvick.ZorvickCtrl";

// "{XXXXXXXX-...}", as the registry spells GUIDs.
std::wstring GuidText(REFGUID guid);

// Every value to write, in an order where each key comes before its subkeys.
std::vector<RegistryValue> ClassRegistryValues(const std::wstring& module_path);

// The keys that registering creates and unregistering removes whole.
std::vector<std::wstring> ClassRegistryKeys();

}  // namespace pelzorvick
