// A registration that fails halfway takes back what it wrote, and only
// that: an earlier registration that worked is there as before. The failure
// is made by the registry itself: below a volatile key no lasting key can
// be created.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "PelZorvick_h.h"
#include "tests/component-object/OcxClient.h"
#include "tests/support/Rows.h"

namespace pelzorvick::test {
namespace {

using Tree = std::map<std::wstring, std::wstring>;  // "key|value" -> data

void ReadTree(HKEY root, const std::wstring& path, Tree& out) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  out[path + L"|<key>"] = L"";
  wchar_t name[256];
  BYTE data[2048];
  for (DWORD i = 0;; ++i) {
    DWORD name_size = 256, data_size = sizeof data, type = 0;
    if (RegEnumValueW(key, i, name, &name_size, nullptr, &type, data, &data_size) != ERROR_SUCCESS) {
      break;
    }
    std::wstring text(reinterpret_cast<wchar_t*>(data), data_size / 2);
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    out[path + L"|" + name] = text;
  }
  for (DWORD i = 0;; ++i) {
    DWORD name_size = 256;
    if (RegEnumKeyExW(key, i, name, &name_size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      break;
    }
    ReadTree(root, path + L"\\" + name, out);
  }
  RegCloseKey(key);
}

std::wstring Guid(REFGUID guid) {
  wchar_t text[40];
  StringFromGUID2(guid, text, 40);
  return text;
}

Tree Snapshot(HKEY hive) {
  Tree tree;
  const std::wstring classes = L"Software\\Classes\\";
  ReadTree(hive, classes + L"CLSID\\" + Guid(CLSID_ZorvickCtrl), tree);
  ReadTree(hive, classes + L"PelZorvick.ZorvickCtrl", tree);
  ReadTree(hive, classes + L"PelZorvick.ZorvickCtrl.1", tree);
  ReadTree(HKEY_LOCAL_MACHINE, classes + L"TypeLib\\" + Guid(LIBID_PelZorvick), tree);
  return tree;
}

void SetDefault(HKEY hive, const std::wstring& path, const wchar_t* text) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(hive, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                           nullptr, &key, nullptr));
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

struct Scope {
  const char* name;
  HKEY hive;
  bool per_user;
};

class FailedRegistration : public ::testing::TestWithParam<Scope> {};

TEST_P(FailedRegistration, LeavesTheEarlierOneAsItWas) {
  const Scope& scope = GetParam();
  OcxLibrary ocx;
  ASSERT_TRUE(ocx.Loaded());
  const auto reg = [&] { return scope.per_user ? ocx.Install(TRUE, L"user") : ocx.Call("DllRegisterServer"); };
  const auto unreg = [&] { return scope.per_user ? ocx.Install(FALSE, L"user") : ocx.Call("DllUnregisterServer"); };
  ASSERT_EQ(S_OK, reg());

  // The earlier registration, a little different from what the next one
  // writes: an older title and path, a key it lacks, and MiscStatus made
  // volatile without its subkey, where the next one will fail.
  const std::wstring cls = L"Software\\Classes\\CLSID\\" + Guid(CLSID_ZorvickCtrl);
  SetDefault(scope.hive, cls, L"An older title");
  SetDefault(scope.hive, cls + L"\\InprocServer32", L"C:\\older\\PelZorvick.ocx");
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeW(scope.hive, (cls + L"\\Control").c_str()));
  RegDeleteKeyW(scope.hive, (cls + L"\\Control").c_str());
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeW(scope.hive, (cls + L"\\MiscStatus").c_str()));
  RegDeleteKeyW(scope.hive, (cls + L"\\MiscStatus").c_str());
  HKEY volatile_key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(scope.hive, (cls + L"\\MiscStatus").c_str(), 0, nullptr,
                                           REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                           &volatile_key, nullptr));
  HKEY probe = nullptr;
  const LSTATUS refused = RegCreateKeyExW(volatile_key, L"probe", 0, nullptr, 0, KEY_ALL_ACCESS,
                                          nullptr, &probe, nullptr);
  if (probe) RegCloseKey(probe);
  RegCloseKey(volatile_key);
  ASSERT_NE(ERROR_SUCCESS, refused) << "this registry lets lasting keys below volatile ones";
  const Tree before = Snapshot(scope.hive);
  ASSERT_EQ(1u, before.count(cls + L"\\ProgID|"));

  EXPECT_TRUE(FAILED(reg()));
  const Tree after = Snapshot(scope.hive);
  EXPECT_EQ(before, after);
  EXPECT_EQ(0u, after.count(cls + L"\\Control|<key>")) << "a key the failed call made stays";
  EXPECT_EQ(L"C:\\older\\PelZorvick.ocx", after.at(cls + L"\\InprocServer32|"));

  // Removed, a registration can be made anew.
  RegDeleteTreeW(scope.hive, (cls + L"\\MiscStatus").c_str());
  RegDeleteKeyW(scope.hive, (cls + L"\\MiscStatus").c_str());
  EXPECT_EQ(S_OK, reg());
  EXPECT_EQ(S_OK, unreg());
}

INSTANTIATE_TEST_SUITE_P(Scopes, FailedRegistration,
                         ::testing::Values(Scope{"Machine", HKEY_LOCAL_MACHINE, false},
                                           Scope{"User", HKEY_CURRENT_USER, true}),
                         RowName());

}  // namespace
}  // namespace pelzorvick::test
