#pragma once
// What registering the control writes: the class's keys and values, relative
// to a classes root (the machine's or the user's), for a module path.

#include <windows.h>

#include <string>
#include <vector>

#include "component/library/RegistryTable.h"

namespace pelzorvick {

// "{XXXXXXXX-...}", as the registry spells GUIDs.
std::wstring GuidText(REFGUID guid);

// Every value to write, in an order where each key comes before its subkeys.
std::vector<RegistryValue> ClassRegistryValues(const std::wstring& module_path);

// The keys that registering creates and unregistering removes whole.
std::vector<std::wstring> ClassRegistryKeys();

}  // namespace pelzorvick
