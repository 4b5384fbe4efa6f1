#include "tests/component-object/OcxClient.h"

#include <gtest/gtest.h>

#include "PelZorvick_h.h"
#include "tests/support/HostPath.h"

namespace pelzorvick::test {
namespace {

struct Counting {
  const wchar_t* name;
  int count;
};

BOOL CALLBACK CountChild(HWND hwnd, LPARAM data) {
  auto* c = reinterpret_cast<Counting*>(data);
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  if (!c->name || lstrcmpiW(cls, c->name) == 0) ++c->count;
  return TRUE;
}

BOOL CALLBACK CountTop(HWND hwnd, LPARAM data) {
  CountChild(hwnd, data);
  EnumChildWindows(hwnd, CountChild, data);
  return TRUE;
}

BOOL CALLBACK CloseBox(HWND hwnd, LPARAM data) {
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 16);
  if (lstrcmpW(cls, L"#32770") != 0) return TRUE;
  PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  *reinterpret_cast<bool*>(data) = true;
  return FALSE;
}

}  // namespace

OcxLibrary::OcxLibrary() {
  module_ = LoadLibraryW(FromHostPath(PZ_OCX_PATH).c_str());
  if (!module_) return;
  get_class_object_ = reinterpret_cast<GetClassObjectFn>(
      reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
  can_unload_ = reinterpret_cast<CanUnloadFn>(
      reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
}

OcxLibrary::~OcxLibrary() { Unload(); }

void OcxLibrary::Unload() {
  if (module_) FreeLibrary(module_);
  module_ = nullptr;
}

HRESULT OcxLibrary::ClassObject(REFCLSID clsid, IClassFactory** factory) const {
  return get_class_object_(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory));
}

HRESULT OcxLibrary::CreateRaw(REFCLSID clsid, REFIID riid, void** out) {
  *out = nullptr;
  ComPtr<IClassFactory> factory;
  const HRESULT hr = ClassObject(clsid, factory.GetAddressOf());
  return FAILED(hr) ? hr : factory->CreateInstance(nullptr, riid, out);
}

HRESULT OcxLibrary::Call(const char* export_name) const {
  using Fn = HRESULT(STDAPICALLTYPE*)();
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, export_name)));
  return fn ? fn() : E_NOTIMPL;
}

HRESULT OcxLibrary::Install(BOOL install, const wchar_t* command_line) const {
  using Fn = HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR);
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, "DllInstall")));
  return fn ? fn(install, command_line) : E_NOTIMPL;
}

SitedControl PlaceButton(OcxLibrary& ocx, const ParentWindow& window, const wchar_t* command) {
  ComPtr<FakeBag> bag(new FakeBag);
  bag->calls.Expect({"Read"});
  bag->PutText(L"Control", L"Button");
  bag->PutText(L"Text", L"Go");
  bag->PutText(L"Command", command);
  SitedControl placed(window.hwnd(), Ambient::kRunning, ocx.Create<IOleObject>(), bag.Get());
  if (placed.control) placed.Activate();
  return placed;
}

int CountThreadWindows(const wchar_t* name) {
  Counting c{name, 0};
  EnumThreadWindows(GetCurrentThreadId(), CountTop, reinterpret_cast<LPARAM>(&c));
  return c.count;
}

bool CloseMessageBox() {
  bool closed = false;
  EnumThreadWindows(GetCurrentThreadId(), CloseBox, reinterpret_cast<LPARAM>(&closed));
  return closed;
}

void ExpectNothingLeft(OcxLibrary& ocx) {
  PumpMessages();
  EXPECT_EQ(S_OK, ocx.CanUnloadNow());
  EXPECT_EQ(0, CountThreadWindows(kControlClass));
}

}  // namespace pelzorvick::test
