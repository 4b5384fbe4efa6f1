#include "component/library/RegistryTable.h"

#include <iterator>

#include "policy/AuditEvents.h"

namespace pelzorvick {

std::vector<RegistryValue> ClassRegistryValues(const ClassIdentity& ids,
                                               const std::wstring& module_path) {
  const std::wstring cls = L"CLSID\\" + ids.clsid;
  const std::wstring progid = kProgId;
  const std::wstring vi_progid = kVersionIndependentProgId;
  std::vector<RegistryValue> values = {
      {cls, L"", kClassTitle},
      {cls + L"\\InprocServer32", L"", module_path},
      {cls + L"\\InprocServer32", L"ThreadingModel", kThreadingModel},
      {cls + L"\\ProgID", L"", progid},
      {cls + L"\\VersionIndependentProgID", L"", vi_progid},
      {cls + L"\\Control", L"", L""},
      {cls + L"\\ToolboxBitmap32", L"", module_path + L", " + std::to_wstring(kToolboxBitmapId)},
      {cls + L"\\MiscStatus", L"", L"0"},
      {cls + L"\\MiscStatus\\1", L"", std::to_wstring(kClassMiscStatus)},
      {cls + L"\\TypeLib", L"", ids.libid},
      {cls + L"\\Version", L"", kTypeLibVersion},
      // "name,menu flags,verb attributes", the form OleRegEnumVerbs reads.
      {cls + L"\\Verb\\" + std::to_wstring(kPropertiesVerb), L"",
       std::wstring(kPropertiesVerbName) + L",0," + std::to_wstring(kPropertiesVerbAttributes)},
      {progid, L"", kClassTitle},
      {progid + L"\\CLSID", L"", ids.clsid},
      {vi_progid, L"", kClassTitle},
      {vi_progid + L"\\CLSID", L"", ids.clsid},
      {vi_progid + L"\\CurVer", L"", progid},
  };
  for (const PageClass& page : kPageClasses) {
    const std::wstring key = std::wstring(L"CLSID\\") + page.clsid;
    values.push_back({key, L"", page.title});
    values.push_back({key + L"\\InprocServer32", L"", module_path});
    values.push_back({key + L"\\InprocServer32", L"ThreadingModel", kThreadingModel});
  }
  return values;
}

std::vector<std::wstring> ClassRegistryKeys(const ClassIdentity& ids) {
  std::vector<std::wstring> keys = {L"CLSID\\" + ids.clsid, kProgId, kVersionIndependentProgId};
  for (const PageClass& page : kPageClasses) keys.push_back(std::wstring(L"CLSID\\") + page.clsid);
  return keys;
}

std::wstring EventSourceName() {
  return std::wstring(std::begin(policy::kEventSource), std::end(policy::kEventSource) - 1);
}

std::vector<RegistryValue> EventSourceValues(const std::wstring& module_path) {
  const std::wstring key = std::wstring(kEventLogKey) + L"\\" + EventSourceName();
  return {{key, kEventMessageFile, module_path}};
}

}  // namespace pelzorvick
