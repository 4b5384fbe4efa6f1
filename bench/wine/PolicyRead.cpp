// What the administrator's policy costs a click: reading both hives'
// policy keys afresh, judging the values and naming the target, with no
// policy set and with pattern lists of twenty values each.

#include <string>

#include "bench/wine/BenchSupport.h"
#include "component/com/Handles.h"
#include "component/platform/SystemLaunchPolicy.h"

namespace pelzorvick::test {

namespace {

constexpr wchar_t kPolicyKey[] = L"Software\\Policies\\PelZorvick";

void WritePatterns(const wchar_t* list, const std::wstring& folder) {
  UniqueKey key;
  const std::wstring path = std::wstring(kPolicyKey) + L"\\" + list;
  RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
  for (int i = 0; i < 20; ++i) {
    const std::wstring name = std::to_wstring(i);
    const std::wstring pattern = folder + std::to_wstring(i) + L"\\*.exe";
    RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(pattern.c_str()),
                   static_cast<DWORD>((pattern.size() + 1) * sizeof(wchar_t)));
  }
}

double ReadOnce(const std::u16string& line, const std::u16string& program) {
  policy::LaunchPolicy& launch_policy = SystemLaunchPolicy();
  return MedianOf(200, [&] {
    return Timed([&] {
      // As a click does: the target is named only where a value may refuse it.
      const policy::PolicySettings settings = launch_policy.Read(line);
      if (settings.Restricts()) policy::LaunchPolicy::Refusal(settings, launch_policy.FileTarget(program));
    });
  });
}

}  // namespace

void MeasurePolicyRead(const std::wstring& program) {
  const std::u16string file(program.begin(), program.end());
  const std::u16string line = u"\"" + file + u"\" -";
  RegDeleteTreeW(HKEY_CURRENT_USER, kPolicyKey);
  // One round trip to the registry, which every read makes a few of.
  const double open = MedianOf(200, [&] {
    return Timed([&] {
      UniqueKey key;
      RegOpenKeyExW(HKEY_CURRENT_USER, kPolicyKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.put());
    });
  });
  const double none = ReadOnce(line, file);
  WritePatterns(L"AllowedPrograms", L"C:\\Allowed");
  WritePatterns(L"DeniedPrograms", L"C:\\Denied");
  const double lists = ReadOnce(line, file);
  RegDeleteTreeW(HKEY_CURRENT_USER, kPolicyKey);
  RegDeleteKeyW(HKEY_CURRENT_USER, kPolicyKey);
  Report("policy read at a click, nothing set", none, "opening an absent key", open);
  Report("policy read at a click, two lists of 20 patterns", lists, "opening an absent key", open);
}

}  // namespace pelzorvick::test
