#include "component/library/Registration.h"

#include <oleauto.h>

#include <string>
#include <vector>

#include "PelZorvick_h.h"
#include "component/com/Module.h"
#include "component/library/RegistryEntries.h"
#include "component/com/ComPtr.h"
#include "component/com/Handles.h"

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

using Key = UniqueKey;

HKEY Hive(RegistrationScope scope) {
  return scope == RegistrationScope::kMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// The classes root of the scope; writing through HKEY_CLASSES_ROOT would put
// new keys below whichever half already holds the parent.
constexpr wchar_t kClasses[] = L"Software\\Classes";

HRESULT FromWin32(LSTATUS status) {
  return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
}

// What one registration changed below the classes root, so that a failure
// takes back exactly that and leaves an earlier registration as it was.
class Journal {
 public:
  explicit Journal(HKEY root) : root_(root) {}

  // Creates `path` one key at a time, noting each key that did not exist.
  HRESULT CreateKey(const std::wstring& path, REGSAM access, Key& out) {
    size_t end = 0;
    for (;;) {
      end = path.find(L'\\', end + 1);
      const std::wstring prefix = path.substr(0, end);
      Key key;
      DWORD disposition = 0;
      const HRESULT hr = FromWin32(RegCreateKeyExW(root_, prefix.c_str(), 0, nullptr, 0,
                                                   end == std::wstring::npos ? access : KEY_READ,
                                                   nullptr, key.put(), &disposition));
      if (FAILED(hr)) return hr;
      if (disposition == REG_CREATED_NEW_KEY) created_.push_back(prefix);
      if (end == std::wstring::npos) {
        out.reset(key.release());
        return S_OK;
      }
    }
  }

  // Notes the value's state before it is overwritten.
  void Remember(HKEY key, const std::wstring& path, const std::wstring& name) {
    Previous previous{path, name, false, REG_NONE, {}};
    DWORD type = 0;
    DWORD bytes = 0;
    const wchar_t* value_name = name.empty() ? nullptr : name.c_str();
    if (RegQueryValueExW(key, value_name, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS) {
      previous.data.resize(bytes);
      if (RegQueryValueExW(key, value_name, nullptr, &type, previous.data.data(), &bytes) ==
          ERROR_SUCCESS) {
        previous.existed = true;
        previous.type = type;
        previous.data.resize(bytes);
      }
    }
    values_.push_back(std::move(previous));
  }

  // Puts every noted value back, then removes the keys this registration
  // created, newest first.
  void RollBack() {
    for (auto it = values_.rbegin(); it != values_.rend(); ++it) {
      Key key;
      if (RegOpenKeyExW(root_, it->key.c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) {
        continue;
      }
      const wchar_t* value_name = it->name.empty() ? nullptr : it->name.c_str();
      if (it->existed) {
        RegSetValueExW(key.get(), value_name, 0, it->type, it->data.data(),
                       static_cast<DWORD>(it->data.size()));
      } else {
        RegDeleteValueW(key.get(), value_name);
      }
    }
    for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
      RegDeleteKeyW(root_, it->c_str());
    }
  }

 private:
  struct Previous {
    std::wstring key;
    std::wstring name;
    bool existed;
    DWORD type;
    std::vector<BYTE> data;
  };

  HKEY root_;
  std::vector<std::wstring> created_;
  std::vector<Previous> values_;
};

HRESULT WriteValues(Journal& journal, const std::vector<RegistryValue>& values) {
  for (const RegistryValue& value : values) {
    Key key;
    HRESULT hr = journal.CreateKey(value.key, KEY_QUERY_VALUE | KEY_SET_VALUE, key);
    if (FAILED(hr)) return hr;
    journal.Remember(key.get(), value.key, value.name);
    const DWORD bytes = static_cast<DWORD>((value.data.size() + 1) * sizeof(wchar_t));
    hr = FromWin32(RegSetValueExW(key.get(), value.name.empty() ? nullptr : value.name.c_str(),
                                  0, REG_SZ, reinterpret_cast<const BYTE*>(value.data.c_str()),
                                  bytes));
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

bool TypeLibraryRegistered() {
  BSTR registered = nullptr;
  if (FAILED(QueryPathOfRegTypeLib(LIBID_PelZorvick, kLibMajor, kLibMinor, kLibLcid, &registered))) {
    return false;
  }
  SysFreeString(registered);
  return true;
}

// Removes `name` below `parent` if it is empty: registering may have been
// the one to create it.
void DeleteIfEmpty(HKEY parent, const wchar_t* name) {
  Key key;
  if (RegOpenKeyExW(parent, name, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
  DWORD subkeys = 0;
  DWORD values = 0;
  if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                       nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
      subkeys == 0 && values == 0) {
    RegDeleteKeyW(parent, name);
  }
}

HRESULT DeleteKeys(RegistrationScope scope) {
  Key root;
  LSTATUS status = RegOpenKeyExW(Hive(scope), kClasses, 0, KEY_READ | KEY_WRITE | DELETE,
                                 root.put());
  if (status == ERROR_FILE_NOT_FOUND) return S_OK;
  if (status != ERROR_SUCCESS) return FromWin32(status);
  HRESULT result = S_OK;
  for (const std::wstring& name : ClassRegistryKeys()) {
    status = RegDeleteTreeW(root.get(), name.c_str());
    if (status == ERROR_SUCCESS) status = RegDeleteKeyW(root.get(), name.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && SUCCEEDED(result)) {
      result = FromWin32(status);
    }
  }
  DeleteIfEmpty(root.get(), L"CLSID");
  root.reset();
  Key software;
  if (RegOpenKeyExW(Hive(scope), L"Software", 0, KEY_READ | DELETE, software.put()) ==
      ERROR_SUCCESS) {
    DeleteIfEmpty(software.get(), L"Classes");
  }
  return result;
}

// The event source names the module whose message table it uses; a source
// that names another module (the other bitness's) is left alone.
HRESULT DeleteEventSource(const std::wstring& module_path) {
  Key sources;
  LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEventLogKey, 0, KEY_READ | DELETE, sources.put());
  if (status == ERROR_FILE_NOT_FOUND) return S_OK;
  if (status != ERROR_SUCCESS) return FromWin32(status);
  wchar_t named[MAX_PATH * 4] = {};
  DWORD size = sizeof named - sizeof(wchar_t);
  const std::wstring source = EventSourceName();
  status = RegGetValueW(sources.get(), source.c_str(), kEventMessageFile, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ |
                        RRF_NOEXPAND, nullptr, named, &size);
  if (status == ERROR_FILE_NOT_FOUND) return S_OK;
  if (status == ERROR_SUCCESS &&
      CompareStringOrdinal(named, -1, module_path.c_str(), -1, TRUE) != CSTR_EQUAL) {
    return S_OK;
  }
  status = RegDeleteTreeW(sources.get(), source.c_str());
  if (status == ERROR_SUCCESS) status = RegDeleteKeyW(sources.get(), source.c_str());
  return status == ERROR_FILE_NOT_FOUND ? S_OK : FromWin32(status);
}

HRESULT RegisterTypeLibrary(RegistrationScope scope, std::wstring module_path) {
  ComPtr<ITypeLib> lib;
  const HRESULT hr = LoadTypeLibEx(module_path.c_str(), REGKIND_NONE, &lib);
  if (FAILED(hr)) return hr;
  return scope == RegistrationScope::kMachine
             ? RegisterTypeLib(lib.Get(), module_path.data(), nullptr)
             : RegisterTypeLibForUser(lib.Get(), module_path.data(), nullptr);
}

HRESULT UnregisterTypeLibrary(RegistrationScope scope) {
  // Nothing registered is what we want; UnRegisterTypeLib's answer for that
  // differs between systems, so ask first.
  if (!TypeLibraryRegistered()) return S_OK;
  return scope == RegistrationScope::kMachine
             ? UnRegisterTypeLib(LIBID_PelZorvick, kLibMajor, kLibMinor, kLibLcid, kSysKind)
             : UnRegisterTypeLibForUser(LIBID_PelZorvick, kLibMajor, kLibMinor, kLibLcid,
                                        kSysKind);
}

}  // namespace

HRESULT RegisterServer(RegistrationScope scope) {
  const std::wstring path = Module::Path();
  if (path.empty()) return E_UNEXPECTED;
  Key software;
  HRESULT hr = FromWin32(RegOpenKeyExW(Hive(scope), L"Software", 0, KEY_READ | KEY_CREATE_SUB_KEY,
                                       software.put()));
  if (FAILED(hr)) return hr;
  Journal software_journal(software.get());
  Key root;
  hr = software_journal.CreateKey(L"Classes", KEY_READ | KEY_WRITE, root);
  if (FAILED(hr)) return hr;
  Journal journal(root.get());
  Journal machine_journal(HKEY_LOCAL_MACHINE);
  const bool library_was_registered = TypeLibraryRegistered();
  hr = WriteValues(journal, ClassRegistryValues(path));
  // A user's registration needs no administrator: it leaves the machine's
  // event log alone, and records go out under an unregistered source.
  if (SUCCEEDED(hr) && scope == RegistrationScope::kMachine) {
    hr = WriteValues(machine_journal, EventSourceValues(path));
  }
  if (SUCCEEDED(hr)) {
    hr = RegisterTypeLibrary(scope, path);
    // A library registered before may have been half rewritten; it stays, as
    // unregistering it would take away a registration that worked.
    if (FAILED(hr) && !library_was_registered) UnregisterTypeLibrary(scope);
  }
  if (FAILED(hr)) {
    machine_journal.RollBack();
    journal.RollBack();
    root.reset();
    software_journal.RollBack();
  }
  return hr;
}

HRESULT UnregisterServer(RegistrationScope scope) {
  const HRESULT library = UnregisterTypeLibrary(scope);
  const HRESULT keys = DeleteKeys(scope);
  const HRESULT source = scope == RegistrationScope::kMachine ? DeleteEventSource(Module::Path()) : S_OK;
  return FAILED(library) ? library : FAILED(keys) ? keys : source;
}

}  // namespace pelzorvick
