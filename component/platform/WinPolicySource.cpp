#include "component/platform/WinPolicySource.h"

#include <windows.h>

#include <vector>

#include "component/com/Handles.h"
#include "component/com/WideString.h"
#include "policy/PolicyTable.h"

namespace pelzorvick {

namespace {

StoredKey Unreadable() { return {StoredKey::State::kUnreadable, {}}; }

StoredValue Judged(std::u16string name, DWORD type, const std::vector<BYTE>& data, DWORD size) {
  StoredValue value;
  value.name = std::move(name);
  value.raw_type = type;
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    value.type = StoredValue::Type::kDword;
    value.number = *reinterpret_cast<const DWORD*>(data.data());
  } else if (type == REG_SZ) {
    // Stored strings need not end in a NUL, nor stop at the first one.
    const auto* text = reinterpret_cast<const char16_t*>(data.data());
    std::u16string_view whole(text, size / sizeof(char16_t));
    value.type = StoredValue::Type::kString;
    value.text = std::u16string(whole.substr(0, whole.find(u'\0')));
  }
  return value;
}

}  // namespace

StoredKey WinPolicySource::Read(PolicyHive hive, std::u16string_view subkey) {
  std::wstring path(std::begin(policy::kPolicyKey), std::end(policy::kPolicyKey) - 1);
  if (!subkey.empty()) path += L'\\' + ToWide(subkey);
  UniqueKey key;
  const LSTATUS opened =
      RegOpenKeyExW(hive == PolicyHive::kMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                    path.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.put());
  if (opened == ERROR_FILE_NOT_FOUND) return {};
  if (opened != ERROR_SUCCESS) return Unreadable();

  DWORD count = 0, longest_name = 0, longest_data = 0;
  if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                       &longest_name, &longest_data, nullptr, nullptr) != ERROR_SUCCESS) {
    return Unreadable();
  }
  StoredKey out{StoredKey::State::kRead, {}};
  std::vector<wchar_t> name(longest_name + 1);
  std::vector<BYTE> data(longest_data + sizeof(wchar_t));
  for (DWORD i = 0; i < count; ++i) {
    DWORD name_length = static_cast<DWORD>(name.size());
    DWORD size = static_cast<DWORD>(data.size());
    DWORD type = REG_NONE;
    const LSTATUS status =
        RegEnumValueW(key.get(), i, name.data(), &name_length, nullptr, &type, data.data(), &size);
    // A value added since the count was taken waits for the next read; any
    // other failure leaves the key unknown, which must not lift anything.
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) return Unreadable();
    out.values.push_back(Judged(FromWide(name.data(), name_length), type, data, size));
  }
  return out;
}

}  // namespace pelzorvick
