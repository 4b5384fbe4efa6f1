// The launch policy's Windows side: the policy keys read through the 64-bit
// view whatever the build, every value as stored; full and long names and
// the search for a bare name; the shell's "open".

#include <gtest/gtest.h>

#include "common/ComError.h"
#include "component/com/Handles.h"
#include "component/platform/WinPathNames.h"
#include "component/platform/WinPlatform.h"
#include "component/platform/WinPolicySource.h"
#include "tests/component-platform/TestSupport.h"
#include "tests/support/HostPath.h"

namespace pelzorvick {
namespace {

using test::U16;

constexpr wchar_t kPolicy[] = L"Software\\Policies\\PelZorvick";

void SetRaw(REGSAM view, const std::wstring& key, const wchar_t* name, DWORD type, const void* data,
            DWORD size) {
  UniqueKey k;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                                           KEY_SET_VALUE | view, nullptr, k.put(), nullptr));
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(k.get(), name, 0, type, static_cast<const BYTE*>(data), size));
}

class PolicyKeys : public ::testing::Test {
 protected:
  void TearDown() override {
    UniqueKey policies;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Policies", 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                      policies.put()) == ERROR_SUCCESS) {
      RegDeleteTreeW(policies.get(), L"PelZorvick");
      RegDeleteKeyExW(policies.get(), L"PelZorvick", KEY_WOW64_64KEY, 0);
    }
  }
};

// Written as a 64-bit Group Policy client writes it: a 32-bit build reads
// the same values.
TEST_F(PolicyKeys, EveryValueAsStoredThroughThe64BitView) {
  const DWORD one = 1;
  const wchar_t text[] = L"1";
  const wchar_t unterminated[] = {L'C', L':', L'\\', L'x'};
  const wchar_t embedded[] = L"C:\\a\0C:\\b";
  const std::wstring allowed = std::wstring(kPolicy) + L"\\AllowedPrograms";
  SetRaw(KEY_WOW64_64KEY, kPolicy, L"DisableLaunch", REG_DWORD, &one, sizeof one);
  SetRaw(KEY_WOW64_64KEY, kPolicy, L"AuditLaunches", REG_SZ, text, sizeof text);
  SetRaw(KEY_WOW64_64KEY, allowed, L"1", REG_SZ, unterminated, sizeof unterminated);
  SetRaw(KEY_WOW64_64KEY, allowed, L"2", REG_SZ, embedded, sizeof embedded);
  SetRaw(KEY_WOW64_64KEY, allowed, L"3", REG_BINARY, "ab", 2);

  WinPolicySource source;
  const StoredKey key = source.Read(PolicyHive::kMachine, u"");
  ASSERT_EQ(key.state, StoredKey::State::kRead);
  std::vector<std::string> got;
  for (const StoredValue& v : key.values) {
    got.push_back(std::string(v.name.begin(), v.name.end()) + "=" + std::to_string(static_cast<int>(v.type)) +
                  "/" + std::to_string(v.number) + "/" + std::string(v.text.begin(), v.text.end()));
  }
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, (std::vector<std::string>{"AuditLaunches=1/0/1", "DisableLaunch=0/1/"}));

  const StoredKey list = source.Read(PolicyHive::kMachine, u"AllowedPrograms");
  ASSERT_EQ(list.values.size(), 3u);
  std::vector<std::u16string> texts;
  for (const StoredValue& v : list.values) {
    std::u16string text = v.text;
    if (v.type != StoredValue::Type::kString) text = U16(L"<" + std::to_wstring(v.raw_type) + L">");
    texts.push_back(text);
  }
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(texts, (std::vector<std::u16string>{u"<3>", u"C:\\a", u"C:\\x"}));

  EXPECT_EQ(source.Read(PolicyHive::kUser, u"").state, StoredKey::State::kAbsent);
  EXPECT_EQ(source.Read(PolicyHive::kMachine, u"DeniedPrograms").state, StoredKey::State::kAbsent);
}

TEST(PathNamesTest, FullLongNamesAndTheSearch) {
  test::ScratchFolder folder{L"names"};
  const std::wstring deep = folder.File(L"A long folder name");
  ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
  const std::wstring program = deep + L"\\pzfound.exe";
  ASSERT_TRUE(test::WriteFileBytes(program, "MZ"));
  wchar_t short_name[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(program.c_str(), short_name, MAX_PATH), 0u);
  ASSERT_NE(std::wstring(short_name), program) << "no short name to expand";

  WinPathNames names;
  wchar_t long_form[MAX_PATH] = {};
  ASSERT_GT(GetLongPathNameW(program.c_str(), long_form, MAX_PATH), 0u);
  EXPECT_EQ(names.FullName(U16(short_name)), U16(long_form));
  // A file yet to exist below a short folder name: the folder expanded.
  const std::wstring short_folder(short_name, std::wstring(short_name).rfind(L'\\'));
  EXPECT_EQ(names.FullName(U16(short_folder + L"\\later.exe")), U16(std::wstring(long_form).substr(
                                                                      0, std::wstring(long_form).rfind(L'\\')) +
                                                                  L"\\later.exe"));

  wchar_t before[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(SetCurrentDirectoryW(deep.c_str()));
  EXPECT_EQ(names.FullName(u"sub\\..\\pzfound.exe"), U16(long_form));
  SetCurrentDirectoryW(before);

  wchar_t path[32768] = {};
  GetEnvironmentVariableW(L"PATH", path, 32768);
  SetEnvironmentVariableW(L"PATH", (deep + L";" + path).c_str());
  EXPECT_EQ(names.Search(u"pzfound"), U16(long_form));
  EXPECT_EQ(names.Search(u"pz-nothing-of-that-name"), std::nullopt);
  SetEnvironmentVariableW(L"PATH", path);
}

TEST(OpenWithShellTest, ADocumentOpensThroughItsAssociation) {
  test::ScratchFolder folder{L"shell"};
  const std::wstring document = folder.File(L"note.pzshell");
  ASSERT_TRUE(test::WriteFileBytes(document, "a note"));
  const std::wstring command =
      L"\"" + test::FromHostPath(PZ_STARTUP_REPORT_PATH) + L"\" \"%1\"";
  // Wine's classes root does not merge the user's classes in.
  UniqueKey k;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, L".pzshell", 0, nullptr, 0,
                                           KEY_SET_VALUE, nullptr, k.put(), nullptr));
  RegSetValueExW(k.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"PelZorvick.ShellTest"),
                 sizeof L"PelZorvick.ShellTest");
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, L"PelZorvick.ShellTest\\shell\\open\\command", 0,
                                           nullptr, 0, KEY_SET_VALUE, nullptr, k.put(), nullptr));
  RegSetValueExW(k.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                 static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  k.reset();

  const std::wstring report = folder.File(L"opened.txt");
  SetEnvironmentVariableW(L"PZ_PLATFORM_CHILD_REPORT", report.c_str());
  WinPlatform platform;
  platform.OpenWithShell(U16(document), u"", kShowNormal);
  EXPECT_TRUE(test::WaitForFile(report));
  EXPECT_NE(test::ReadFileBytes(report).find("note.pzshell"), std::string::npos);
  EXPECT_THROW(platform.OpenWithShell(U16(folder.File(L"missing.pzshell")), u"", kShowNormal), ComError);
  SetEnvironmentVariableW(L"PZ_PLATFORM_CHILD_REPORT", nullptr);
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L".pzshell");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"PelZorvick.ShellTest");
}

}  // namespace
}  // namespace pelzorvick
