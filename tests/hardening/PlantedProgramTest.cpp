// A hostile folder: a cmd.exe and programs named like the commands' own lie
// in the current directory and beside the container's executable. Clicks on
// the built .ocx's controls run the real targets and none of the planted
// copies.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PelZorvick_h.h"
#include "tests/component-object/Fakes.h"
#include "tests/hardening/ControlLife.h"
#include "tests/hardening/Support.h"
#include "tests/support/FileBytes.h"

namespace pelzorvick::test {
namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

const wchar_t kRoot[] = L"C:\\pz-planted";
const wchar_t kDocumentClass[] = L"PelZorvick.PlantedDocument";
const wchar_t kScheme[] = L"pzplanted";

std::wstring Folder(const wchar_t* name) {
  CreateDirectoryW(kRoot, nullptr);
  const std::wstring folder = std::wstring(kRoot) + L"\\" + name;
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

std::wstring ExecutableFolder() {
  wchar_t self[MAX_PATH * 2] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
  std::wstring path(self);
  return path.substr(0, path.rfind(L'\\'));
}

void SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY k = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE,
                                           nullptr, &k, nullptr));
  RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
}

std::wstring Environment(const wchar_t* name) {
  wchar_t value[32768] = {};
  return GetEnvironmentVariableW(name, value, 32768) ? value : L"";
}

class PlantedPrograms : public ::testing::Test {
 protected:
  void SetUp() override {
    ocx_ = LoadLibraryW(FromHostPath(PZ_OCX_PATH).c_str());
    ASSERT_NE(nullptr, ocx_) << GetLastError();
    auto get_class_object = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(ocx_, "DllGetClassObject")));
    ASSERT_NE(nullptr, get_class_object);
    ASSERT_EQ(S_OK, get_class_object(CLSID_ZorvickCtrl, IID_IClassFactory,
                                     reinterpret_cast<void**>(factory_.ReleaseAndGetAddressOf())));

    // The planted copies, beside this executable and in the current folder.
    const std::wstring beside = ExecutableFolder();
    cwd_ = Folder(L"cwd");
    for (const std::wstring& folder : {beside, cwd_}) Plant(folder + L"\\cmd.exe");
    Plant(beside + L"\\pzbare.exe");
    Plant(beside + L"\\pzdirect.exe");

    // The real targets.
    real_ = Folder(L"real");
    Copy(real_ + L"\\opener.exe");
    Copy(real_ + L"\\pzbare.exe");
    Copy(cwd_ + L"\\pzdirect.exe");
    document_ = Folder(L"docs") + L"\\note.pzpdoc";
    ASSERT_TRUE(WriteFileBytes(document_, "a note"));
    SetValue(L".pzpdoc", L"", kDocumentClass);
    SetValue(std::wstring(kDocumentClass) + L"\\shell\\open\\command", L"",
             L"\"" + real_ + L"\\opener.exe\" \"%1\"");
    SetValue(kScheme, L"URL Protocol", L"");
    SetValue(std::wstring(kScheme) + L"\\shell\\open\\command", L"",
             L"\"" + real_ + L"\\opener.exe\" \"%1\"");

    GetCurrentDirectoryW(MAX_PATH, saved_cwd_);
    ASSERT_TRUE(SetCurrentDirectoryW(cwd_.c_str()));
    saved_path_ = Environment(L"PATH");
    saved_pathext_ = Environment(L"PATHEXT");
    SetEnvironmentVariableW(L"PATH", (real_ + L";" + saved_path_).c_str());
    SetEnvironmentVariableW(L"PATHEXT", L".COM;.EXE;.BAT;.CMD");
    SetEnvironmentVariableW(L"PZ_MARKER_OWN_PATH", L"1");
    parent_ = new ParentWindow;
  }

  void TearDown() override {
    delete parent_;
    SetEnvironmentVariableW(L"PZ_MARKER_OWN_PATH", nullptr);
    SetEnvironmentVariableW(L"PATH", saved_path_.c_str());
    SetEnvironmentVariableW(L"PATHEXT", saved_pathext_.empty() ? nullptr : saved_pathext_.c_str());
    SetCurrentDirectoryW(saved_cwd_);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".pzpdoc");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kDocumentClass);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kScheme);
    for (const std::wstring& file : planted_) {
      DeleteFileW(file.c_str());
      DeleteFileW((file + L".ran").c_str());
    }
    factory_.Reset();  // before its module goes
    if (ocx_) FreeLibrary(ocx_);
  }

  void Copy(const std::wstring& to) {
    ASSERT_TRUE(CopyFileW(MarkerPath().c_str(), to.c_str(), FALSE)) << GetLastError();
    DeleteFileW((to + L".ran").c_str());
  }
  void Plant(const std::wstring& to) {
    Copy(to);
    planted_.push_back(to);
  }

  // A click on a "Text" control with the command; then the real target's
  // trace is awaited and no planted copy may have left one.
  void ClickAndExpect(const std::wstring& command, const std::wstring& real_trace) {
    DeleteFileW(real_trace.c_str());
    LifeSetup setup;
    setup.parent = parent_->hwnd();
    setup.command = command;
    const LifeResult r = LiveOnce(factory_.Get(), setup, L"Text", true);
    EXPECT_EQ(r.failure, "");
    EXPECT_EQ(r.last_release, 0u);
    EXPECT_TRUE(WaitForFile(real_trace, 20000)) << "the real target of " << Narrow(command) << " ran";
    for (const std::wstring& file : planted_) {
      EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((file + L".ran").c_str()))
          << Narrow(file) << " ran for " << Narrow(command);
    }
    DeleteFileW(real_trace.c_str());
  }

  static std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out.push_back(c < 128 ? static_cast<char>(c) : '?');
    return out;
  }

  HMODULE ocx_ = nullptr;
  ComPtr<IClassFactory> factory_;
  ParentWindow* parent_ = nullptr;
  std::wstring cwd_, real_, document_, saved_path_, saved_pathext_;
  wchar_t saved_cwd_[MAX_PATH] = {};
  std::vector<std::wstring> planted_;
};

TEST_F(PlantedPrograms, ADocumentOpensThroughTheSystemsInterpreter) {
  ClickAndExpect(document_, real_ + L"\\opener.exe.ran");
}

TEST_F(PlantedPrograms, AnAddressOpensThroughTheSystemsInterpreter) {
  ClickAndExpect(std::wstring(kScheme) + L":hello", real_ + L"\\opener.exe.ran");
}

// Not in the current folder, so the start command finds it along PATH.
TEST_F(PlantedPrograms, ABareNameRunsWhatTheStartCommandFinds) {
  ClickAndExpect(L"pzbare", real_ + L"\\pzbare.exe.ran");
}

// Found by the lookup in the current folder: that file runs, not the one
// beside the executable, which a search by name would reach first.
TEST_F(PlantedPrograms, AProgramFoundInTheCurrentFolderRunsItself) {
  ClickAndExpect(L"pzdirect /x", cwd_ + L"\\pzdirect.exe.ran");
}

TEST_F(PlantedPrograms, ABatchFileFoundInTheCurrentFolderRunsByItsFullPath) {
  const std::wstring trace = cwd_ + L"\\batch.ran";
  ASSERT_TRUE(WriteFileBytes(cwd_ + L"\\pzbatch.bat", "@echo %1> \"%~dp0batch.ran\"\r\n"));
  ClickAndExpect(L"pzbatch \"a & b\"", trace);
  DeleteFileW((cwd_ + L"\\pzbatch.bat").c_str());
}

}  // namespace
}  // namespace pelzorvick::test
