#include "component/library/Registration.h"

#include <oleauto.h>

#include <string>

#include "PelZorvick_h.h"
#include "component/Module.h"
#include "component/library/RegistryEntries.h"

// Exported by oleaut32 and in mingw's import library, but not declared in its
// headers.
extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* lib, OLECHAR* path, OLECHAR* help_dir);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID libid, WORD major, WORD minor,
                                        LCID lcid, SYSKIND syskind);
}

namespace pelzorvick {
namespace {

constexpr WORD kLibMajor = 1;
constexpr WORD kLibMinor = 0;
constexpr LCID kLibLcid = 0x0409;
constexpr SYSKIND kSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;

class Key {
 public:
  Key() = default;
  ~Key() { Close(); }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY* Out() { return &key_; }
  HKEY Get() const { return key_; }
  void Close() {
    if (key_ != nullptr) RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  HKEY key_ = nullptr;
};

HKEY Hive(RegistrationScope scope) {
  return scope == RegistrationScope::kMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// The classes root of the scope; writing through HKEY_CLASSES_ROOT would put
// new keys below whichever half already holds the parent.
constexpr wchar_t kClasses[] = L"Software\\Classes";

HRESULT FromWin32(LSTATUS status) {
  return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
}

HRESULT WriteValues(RegistrationScope scope, const std::wstring& module_path) {
  Key root;
  HRESULT hr = FromWin32(RegCreateKeyExW(Hive(scope), kClasses, 0, nullptr, 0,
                                         KEY_CREATE_SUB_KEY, nullptr, root.Out(), nullptr));
  if (FAILED(hr)) return hr;
  for (const RegistryValue& value : ClassRegistryValues(module_path)) {
    Key key;
    hr = FromWin32(RegCreateKeyExW(root.Get(), value.key.c_str(), 0, nullptr, 0,
                                   KEY_SET_VALUE, nullptr, key.Out(), nullptr));
    if (FAILED(hr)) return hr;
    const DWORD bytes = static_cast<DWORD>((value.data.size() + 1) * sizeof(wchar_t));
    hr = FromWin32(RegSetValueExW(key.Get(), value.name.empty() ? nullptr : value.name.c_str(),
                                  0, REG_SZ, reinterpret_cast<const BYTE*>(value.data.c_str()),
                                  bytes));
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

// Removes `name` below `parent` if it is empty: registering may have been
// the one to create it.
void DeleteIfEmpty(HKEY parent, const wchar_t* name) {
  Key key;
  if (RegOpenKeyExW(parent, name, 0, KEY_READ, key.Out()) != ERROR_SUCCESS) return;
  DWORD subkeys = 0;
  DWORD values = 0;
  if (RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                       nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
      subkeys == 0 && values == 0) {
    RegDeleteKeyW(parent, name);
  }
}

HRESULT DeleteKeys(RegistrationScope scope) {
  Key root;
  LSTATUS status = RegOpenKeyExW(Hive(scope), kClasses, 0, KEY_READ | KEY_WRITE | DELETE,
                                 root.Out());
  if (status == ERROR_FILE_NOT_FOUND) return S_OK;
  if (status != ERROR_SUCCESS) return FromWin32(status);
  HRESULT result = S_OK;
  for (const std::wstring& name : ClassRegistryKeys()) {
    status = RegDeleteTreeW(root.Get(), name.c_str());
    if (status == ERROR_SUCCESS) status = RegDeleteKeyW(root.Get(), name.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && SUCCEEDED(result)) {
      result = FromWin32(status);
    }
  }
  DeleteIfEmpty(root.Get(), L"CLSID");
  root.Close();
  Key software;
  if (RegOpenKeyExW(Hive(scope), L"Software", 0, KEY_READ | DELETE, software.Out()) ==
      ERROR_SUCCESS) {
    DeleteIfEmpty(software.Get(), L"Classes");
  }
  return result;
}

HRESULT RegisterTypeLibrary(RegistrationScope scope, std::wstring module_path) {
  ITypeLib* lib = nullptr;
  HRESULT hr = LoadTypeLibEx(module_path.c_str(), REGKIND_NONE, &lib);
  if (FAILED(hr)) return hr;
  hr = scope == RegistrationScope::kMachine
           ? RegisterTypeLib(lib, module_path.data(), nullptr)
           : RegisterTypeLibForUser(lib, module_path.data(), nullptr);
  lib->Release();
  return hr;
}

HRESULT UnregisterTypeLibrary(RegistrationScope scope) {
  // Nothing registered is what we want; UnRegisterTypeLib's answer for that
  // differs between systems, so ask first.
  BSTR registered = nullptr;
  if (FAILED(QueryPathOfRegTypeLib(LIBID_PelZorvick, kLibMajor, kLibMinor, kLibLcid, &registered))) {
    return S_OK;
  }
  SysFreeString(registered);
  return scope == RegistrationScope::kMachine
             ? UnRegisterTypeLib(LIBID_PelZorvick, kLibMajor, kLibMinor, kLibLcid, kSysKind)
             : UnRegisterTypeLibForUser(LIBID_PelZorvick, kLibMajor, kLibMinor, kLibLcid,
                                        kSysKind);
}

}  // namespace

HRESULT RegisterServer(RegistrationScope scope) {
  const std::wstring path = Module::Path();
  if (path.empty()) return E_UNEXPECTED;
  HRESULT hr = WriteValues(scope, path);
  if (SUCCEEDED(hr)) hr = RegisterTypeLibrary(scope, path);
  if (FAILED(hr)) UnregisterServer(scope);
  return hr;
}

HRESULT UnregisterServer(RegistrationScope scope) {
  const HRESULT library = UnregisterTypeLibrary(scope);
  const HRESULT keys = DeleteKeys(scope);
  return FAILED(library) ? library : keys;
}

}  // namespace pelzorvick
