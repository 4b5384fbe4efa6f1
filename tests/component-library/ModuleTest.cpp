// The .ocx as a module: its exports and imports, the class object's answers,
// and its resources.

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PelZorvick_h.h"
#include "policy/AuditEvents.h"
#include "tests/component-library/OcxModule.h"

namespace pelzorvick::test {
namespace {

const IMAGE_NT_HEADERS* Headers(HMODULE module) {
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
}

template <class T>
const T* Directory(HMODULE module, int entry) {
  const IMAGE_DATA_DIRECTORY& dir = Headers(module)->OptionalHeader.DataDirectory[entry];
  if (dir.VirtualAddress == 0) return nullptr;
  return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module) + dir.VirtualAddress);
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

TEST(Module, ExportsExactlyTheFiveEntryPointsUndecorated) {
  const HMODULE ocx = Ocx();
  ASSERT_NE(ocx, nullptr);
  const auto* exports = Directory<IMAGE_EXPORT_DIRECTORY>(ocx, IMAGE_DIRECTORY_ENTRY_EXPORT);
  ASSERT_NE(exports, nullptr);
  const auto* base = reinterpret_cast<const BYTE*>(ocx);
  const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  std::set<std::string> found;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    found.insert(reinterpret_cast<const char*>(base + names[i]));
  }
  EXPECT_EQ(exports->NumberOfFunctions, 5u);
  EXPECT_EQ(found, (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllInstall",
                                          "DllRegisterServer", "DllUnregisterServer"}));
  for (const std::string& name : found) EXPECT_NE(GetProcAddress(ocx, name.c_str()), nullptr);
}

TEST(Module, ImportsOnlySystemLibraries) {
  const HMODULE ocx = Ocx();
  ASSERT_NE(ocx, nullptr);
  const std::set<std::string> system = {
      "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll",   "kernel32.dll",
      "msvcrt.dll",   "ole32.dll",    "oleaut32.dll", "shell32.dll", "urlmon.dll",
      "user32.dll",   "wininet.dll",  "shlwapi.dll",  "version.dll", "ws2_32.dll"};
  const auto* import = Directory<IMAGE_IMPORT_DESCRIPTOR>(ocx, IMAGE_DIRECTORY_ENTRY_IMPORT);
  ASSERT_NE(import, nullptr);
  int count = 0;
  for (; import->Name != 0; ++import, ++count) {
    const std::string name = reinterpret_cast<const char*>(ocx) + import->Name;
    EXPECT_TRUE(system.count(Lower(name))) << name;
  }
  EXPECT_GT(count, 0);
}

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();
using InstallFn = HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR);

// Through void(*)(), the type GCC accepts as "any function".
template <class F>
F Export(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(Ocx(), name)));
}

class ClassObject : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Ocx(), nullptr);
    get_ = Export<GetClassObjectFn>("DllGetClassObject");
    can_unload_ = Export<CanUnloadFn>("DllCanUnloadNow");
    ASSERT_NE(get_, nullptr);
    ASSERT_NE(can_unload_, nullptr);
    ASSERT_EQ(can_unload_(), S_OK) << "an earlier test left an object or a lock";
  }
  void TearDown() override { EXPECT_EQ(can_unload_(), S_OK); }

  GetClassObjectFn get_ = nullptr;
  CanUnloadFn can_unload_ = nullptr;
};

TEST_F(ClassObject, StandardResultsForOtherRequests) {
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(get_(IID__ZorvickCtrl, IID_IClassFactory, &p), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(get_(CLSID_NULL, IID_IClassFactory, &p), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(get_(CLSID_ZorvickCtrl, IID_IClassFactory, nullptr), E_POINTER);
  p = reinterpret_cast<void*>(1);
  EXPECT_EQ(get_(CLSID_ZorvickCtrl, IID_IDispatch, &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
}

TEST_F(ClassObject, FactoryRefusesAggregationAndCreatesInstances) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(get_(CLSID_ZorvickCtrl, IID_IClassFactory, reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf())), S_OK);
  ComPtr<IUnknown> unknown;
  ASSERT_EQ(factory->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown.ReleaseAndGetAddressOf())), S_OK);
  unknown.Reset();

  IUnknown* outer = factory.Get();
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &p), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);

  ComPtr<_ZorvickCtrl> control;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID__ZorvickCtrl, reinterpret_cast<void**>(control.ReleaseAndGetAddressOf())), S_OK);
  ASSERT_TRUE(control);
  factory.Reset();
  EXPECT_EQ(can_unload_(), S_FALSE) << "a live instance keeps the library loaded";
  control.Reset();
}

TEST_F(ClassObject, ServerLocksKeepTheLibraryLoaded) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(get_(CLSID_ZorvickCtrl, IID_IClassFactory, reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf())), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  factory.Reset();
  EXPECT_EQ(can_unload_(), S_FALSE);
  ASSERT_EQ(get_(CLSID_ZorvickCtrl, IID_IClassFactory, reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf())), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  factory.Reset();
}

TEST(Module, InstallRefusesAnUnknownCommandLine) {
  ASSERT_NE(Ocx(), nullptr);
  auto install = Export<InstallFn>("DllInstall");
  ASSERT_NE(install, nullptr);
  EXPECT_EQ(install(TRUE, L"everyone"), E_INVALIDARG);
  EXPECT_EQ(install(FALSE, L"machine"), E_INVALIDARG);
}

TEST(Resources, ToolboxBitmapIs16By15With24Bits) {
  ASSERT_NE(Ocx(), nullptr);
  HRSRC res = FindResourceW(Ocx(), MAKEINTRESOURCEW(30000), MAKEINTRESOURCEW(2) /* RT_BITMAP */);
  ASSERT_NE(res, nullptr);
  ASSERT_GE(SizeofResource(Ocx(), res), sizeof(BITMAPINFOHEADER));
  const auto* info = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(Ocx(), res)));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->biWidth, 16);
  EXPECT_EQ(info->biHeight, 15);
  EXPECT_EQ(info->biBitCount, 24);
  EXPECT_EQ(info->biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(SizeofResource(Ocx(), res), sizeof(BITMAPINFOHEADER) + 16 * 3 * 15);

  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageW(Ocx(), MAKEINTRESOURCEW(30000), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(bitmap, nullptr);
  BITMAP bm{};
  ASSERT_NE(GetObjectW(bitmap, sizeof bm, &bm), 0);
  EXPECT_EQ(bm.bmWidth, 16);
  EXPECT_EQ(bm.bmHeight, 15);
  DeleteObject(bitmap);
}

// The event log formats each audit record from the library's own table, its
// five strings filled in.
TEST(Resources, MessageTableHoldsEveryAuditEvent) {
  ASSERT_NE(Ocx(), nullptr);
  const wchar_t* fields[] = {L"<line>", L"<target>", L"<detail>", L"<container>", L"<user>"};
  DWORD_PTR inserts[std::size(fields)];
  for (std::size_t i = 0; i < std::size(fields); ++i) inserts[i] = reinterpret_cast<DWORD_PTR>(fields[i]);
  for (const policy::AuditEventDefinition& event : policy::kAuditEvents) {
    wchar_t text[1024] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, Ocx(),
                                        static_cast<DWORD>(event.id), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                        text, 1024, reinterpret_cast<va_list*>(inserts));
    ASSERT_GT(length, 0u) << static_cast<int>(event.id);
    const std::wstring message(text, length);
    EXPECT_EQ(message.rfind(std::wstring(event.message, event.message + strlen(event.message)), 0), 0u);
    for (const wchar_t* field : fields) EXPECT_NE(message.find(field), std::wstring::npos) << static_cast<int>(event.id);
  }
}

TEST(Resources, TypeLibraryIsResourceOne) {
  ASSERT_NE(Ocx(), nullptr);
  EXPECT_NE(FindResourceW(Ocx(), MAKEINTRESOURCEW(1), L"TYPELIB"), nullptr);
}

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
  void* value = nullptr;
  UINT size = 0;
  const std::wstring path = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
  if (!VerQueryValueW(block.data(), path.c_str(), &value, &size) || size == 0) return {};
  return static_cast<const wchar_t*>(value);
}

TEST(Resources, VersionIs2_2_0_1InJapanese) {
  ASSERT_NE(Ocx(), nullptr);
  EXPECT_NE(FindResourceExW(Ocx(), MAKEINTRESOURCEW(16) /* RT_VERSION */, MAKEINTRESOURCEW(1),
                            MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)),
            nullptr);
  const DWORD size = GetFileVersionInfoSizeW(OcxPath().c_str(), nullptr);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(OcxPath().c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00020002u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00020002u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);

  DWORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &len));
  ASSERT_EQ(len, 4u);
  EXPECT_EQ(LOWORD(*translation), 0x0411);
  EXPECT_EQ(HIWORD(*translation), 1200);

  EXPECT_EQ(VersionString(block, L"FileVersion"), L"2.02.0001");
  EXPECT_EQ(VersionString(block, L"ProductVersion"), L"2.02.0001");
  EXPECT_EQ(VersionString(block, L"ProductName"), L"PelZorvick");
  EXPECT_FALSE(VersionString(block, L"FileDescription").empty());
  const std::wstring comments = VersionString(block, L"Comments");
  EXPECT_NE(comments.find(L"ActiveX control"), std::wstring::npos);
  EXPECT_NE(comments.find(L"command"), std::wstring::npos);
  EXPECT_EQ(comments.find_first_of(L"\r\n"), std::wstring::npos);
}

}  // namespace
}  // namespace pelzorvick::test
