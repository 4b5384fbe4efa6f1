#pragma once
// The control's registration data and the registry values it becomes, in
// portable C++: the library writes them when it registers itself, and a
// build tool turns the same table into installer rows and a side-by-side
// manifest, so that the three cannot drift apart.

#include <string>
#include <vector>

namespace pelzorvick {

struct RegistryValue {
  std::wstring key;   // below the classes root (the event source's: HKEY_LOCAL_MACHINE)
  std::wstring name;  // empty: the key's default value
  std::wstring data;  // always a string value
};

inline constexpr wchar_t kProgId[] = L"PelZorvick.ZorvickCtrl.1";
inline constexpr wchar_t kVersionIndependentProgId[] = L"PelZorvick.ZorvickCtrl";
// The class's user type name, also the control's answer to GetUserType.
inline constexpr wchar_t kClassTitle[] = L"ZorvickCtrl Control";
inline constexpr wchar_t kThreadingModel[] = L"Apartment";
// Set client site first, activate when visible, inside-out, can't link
// inside, recompose on resize.
inline constexpr unsigned long kClassMiscStatus = 0x00020191;
inline constexpr int kToolboxBitmapId = 30000;
inline constexpr wchar_t kTypeLibVersion[] = L"1.0";

// The control's property pages, each a class of this library of its own.
struct PageClass {
  const wchar_t* clsid;
  const wchar_t* title;  // the class's registry name
};
inline constexpr PageClass kPageClasses[] = {
    {L"{EB6C13E7-55A4-49DF-B43D-874CC8739BD7}", L"PelZorvick General Property Page"},
    {L"{B92BCD82-4094-48F5-A4D0-A64AF72B9958}", L"PelZorvick Commands Property Page"},
};

// The one verb the control lists, OLEIVERB_PROPERTIES: its number, its menu
// text and its attributes (shown on the container's menu).
inline constexpr long kPropertiesVerb = -7;
inline constexpr wchar_t kPropertiesVerbName[] = L"&Properties...";
inline constexpr unsigned long kPropertiesVerbAttributes = 2;

// The identifiers the table refers to, spelt "{XXXXXXXX-...}".
struct ClassIdentity {
  std::wstring clsid;
  std::wstring libid;
};

// Every value to write, in an order where each key comes before its subkeys.
std::vector<RegistryValue> ClassRegistryValues(const ClassIdentity& ids,
                                               const std::wstring& module_path);

// The keys that registering creates and unregistering removes whole.
std::vector<std::wstring> ClassRegistryKeys(const ClassIdentity& ids);

// The event log's source of the audit trail (policy::kEventSource), below
// HKEY_LOCAL_MACHINE: only
// a machine-wide registration writes it. Both bitnesses write the one key
// (the system hive has one view); each removes it only while it names its
// own module, so removing one leaves the other's.
inline constexpr wchar_t kEventLogKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application";
inline constexpr wchar_t kEventMessageFile[] = L"EventMessageFile";
std::wstring EventSourceName();
std::vector<RegistryValue> EventSourceValues(const std::wstring& module_path);

}  // namespace pelzorvick
