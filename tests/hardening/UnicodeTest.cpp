// A program, a document and an icon under a path with Japanese and accented
// characters: started, opened and shown as under a plain path.

#include <gtest/gtest.h>

#include <string>

#include "tests/component-object/Fakes.h"
#include "tests/hardening/Support.h"

namespace pelzorvick::test {
namespace {

const wchar_t kFolder[] = L"C:\\\u30c6\u30b9\u30c8\\Caf\u00e9";  // C:\テスト\Café
const wchar_t kPlainFolder[] = L"C:\\pz-plain";
const wchar_t kDocumentClass[] = L"PelZorvick.HardeningDocument";

// Each test its own copy: a program an earlier test started may still be
// running, and its file cannot be overwritten until it ends.
std::wstring ProgramIn(const std::wstring& folder, const wchar_t* name) {
  CreateDirectoryW(folder.substr(0, folder.rfind(L'\\')).c_str(), nullptr);
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring program = folder + L"\\" + name;
  EXPECT_TRUE(CopyFileW(MarkerPath().c_str(), program.c_str(), FALSE)) << GetLastError();
  return program;
}

ComPtr<IDispatch> WithCommand(const std::wstring& command) {
  ComPtr<IDispatch> control = NewInitialisedControl<IDispatch>();
  EXPECT_EQ(S_OK, PutText(control.Get(), L"Command", command));
  return control;
}

TEST(Unicode, ExecuteStartsAProgramUnderTheWidePath) {
  const std::wstring program = ProgramIn(kFolder, L"prog.exe");
  const std::wstring marker = program + L".ran";
  DeleteFileW(marker.c_str());
  ComPtr<IDispatch> control = WithCommand(program);
  EXPECT_EQ(program, GetText(control.Get(), L"Command"));
  ComPtr<_ZorvickCtrl> dual;
  control.As(&dual);
  ASSERT_EQ(S_OK, dual->Execute());
  EXPECT_TRUE(WaitForFile(marker, 15000)) << "the program ran from its own path";
  DeleteFileW(marker.c_str());
}

// A file type of our own whose opening runs the marker program on
// "<document>.opened"; removed again afterwards.
class DocumentType {
 public:
  explicit DocumentType(const std::wstring& program) {
    Set(L".pzhdoc", L"", kDocumentClass);
    Set(std::wstring(kDocumentClass) + L"\\shell\\open\\command", L"",
        L"\"" + program + L"\" \"%1.opened\"");
  }
  ~DocumentType() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".pzhdoc");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kDocumentClass);
  }

 private:
  static void Set(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY k = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &k, nullptr));
    RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
  }
};

TEST(Unicode, ADocumentUnderTheWidePathOpensThroughStart) {
  const std::wstring program = ProgramIn(kFolder, L"opener.exe");
  DocumentType type(program);
  const std::wstring document = std::wstring(kFolder) + L"\\notiz.pzhdoc";
  HANDLE file = CreateFileW(document.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  CloseHandle(file);
  const std::wstring opened = document + L".opened";
  DeleteFileW(opened.c_str());

  ComPtr<IDispatch> control = WithCommand(document);
  ComPtr<_ZorvickCtrl> dual;
  control.As(&dual);
  ASSERT_EQ(S_OK, dual->Execute());
  EXPECT_TRUE(WaitForFile(opened, 20000)) << "the document's program got the document's path";
  DeleteFileW(opened.c_str());
  DeleteFileW(document.c_str());
}

// The look of an "Icon" control for the program, drawn into a memory DC.
std::vector<COLORREF> IconLook(const std::wstring& command, const wchar_t* mode) {
  ComPtr<IViewObject2> view = NewControl<IViewObject2>();
  ComPtr<IPersistPropertyBag> persist;
  view.As(&persist);
  ComPtr<FakeBag> bag(new FakeBag);
  bag->calls.Expect({"Read"});
  bag->PutText(L"Control", mode);
  bag->PutText(L"Command", command);
  EXPECT_EQ(S_OK, persist->Load(bag.Get(), nullptr));
  // The first draw lays out around the icon; the second shows it 1:1.
  MemoryCanvas scratch(8, 8);
  RECTL small{0, 0, 8, 8};
  view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, scratch.dc(), &small, nullptr, nullptr, 0);
  SIZEL extent{};
  view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent);
  const int w = MulDiv(extent.cx, 96, 2540), h = MulDiv(extent.cy, 96, 2540);
  EXPECT_GT(w, 0);
  EXPECT_GT(h, 0);
  MemoryCanvas canvas(w, h);
  RECTL bounds{0, 0, w, h};
  EXPECT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc(), &bounds,
                             nullptr, nullptr, 0));
  std::vector<COLORREF> pixels;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) pixels.push_back(canvas.At(x, y));
  return pixels;
}

class UnicodeIcon : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(UnicodeIcon, ShowsAsUnderAPlainPath) {
  const std::wstring wide = ProgramIn(kFolder, L"shown.exe");
  const std::wstring plain = ProgramIn(kPlainFolder, L"shown.exe");
  const std::vector<COLORREF> shown = IconLook(wide, GetParam());
  EXPECT_EQ(IconLook(plain, GetParam()), shown);
  // Not just the frame and the background: the icon's own pixels.
  const COLORREF face = GetSysColor(COLOR_BTNFACE), hl = GetSysColor(COLOR_BTNHIGHLIGHT),
                 dk = GetSysColor(COLOR_3DDKSHADOW);
  int ink = 0;
  for (COLORREF c : shown) ink += c != face && c != hl && c != dk;
  EXPECT_GT(ink, 20);
}

INSTANTIATE_TEST_SUITE_P(Modes, UnicodeIcon, ::testing::Values(L"Icon", L"SmallIcon"),
                         [](const auto& info) {
                           return std::string(info.param, info.param + wcslen(info.param));
                         });

}  // namespace
}  // namespace pelzorvick::test
