#include "tests/component-object/OcxClient.h"

#include <memory>

#include "PelZorvick_h.h"
#include "tests/support/HostPath.h"

namespace pelzorvick::test {
namespace {

constexpr UINT kRunPosted = WM_APP + 17;

struct Counting {
  const wchar_t* name;
  int count;
};

BOOL CALLBACK CountChild(HWND hwnd, LPARAM data) {
  auto* c = reinterpret_cast<Counting*>(data);
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  if (lstrcmpiW(cls, c->name) == 0) ++c->count;
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

HRESULT OcxLibrary::CreateRaw(REFIID riid, void** out) {
  *out = nullptr;
  IClassFactory* factory = nullptr;
  HRESULT hr = get_class_object_(CLSID_ZorvickCtrl, IID_IClassFactory,
                                 reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(nullptr, riid, out);
  factory->Release();
  return hr;
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

ContainerWindow::ContainerWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"PelZorvickTestContainer";
  RegisterClassW(&wc);
  hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"container", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                          0, 0, 400, 300, nullptr, nullptr, wc.hInstance, nullptr);
  ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

ContainerWindow::~ContainerWindow() { Destroy(); }

void ContainerWindow::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

void ContainerWindow::Post(std::function<void()> f) {
  auto* task = new std::function<void()>(std::move(f));
  if (!PostMessageW(hwnd_, kRunPosted, 0, reinterpret_cast<LPARAM>(task))) delete task;
}

LRESULT CALLBACK ContainerWindow::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kRunPosted) {
    std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()>*>(lparam));
    (*task)();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
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

}  // namespace pelzorvick::test
