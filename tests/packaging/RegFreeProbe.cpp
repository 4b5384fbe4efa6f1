// Creates the control the way a program that uses it does, and prints one
// "name=value" line per step for the packaging tests to judge: by CLSID, by
// both ProgIDs, a property set and read back through IDispatch, the user type
// and verbs, the property pages by CLSID, and in-place activation in a
// window through Wine's ATL host.
// Whether the class comes from the registry or from a manifest is the
// caller's choice; the probe only reports.

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

#include "PelZorvick_h.h"
#include "component/com/ComPtr.h"
#include "component/library/RegistryTable.h"

namespace {

using pelzorvick::ComPtr;

void Report(const char* name, HRESULT hr) { std::printf("%s=0x%08lX\n", name, static_cast<unsigned long>(hr)); }

void ReportText(const char* name, const wchar_t* text) {
  std::string narrow;
  for (const wchar_t* c = text; c && *c; ++c) narrow += *c < 0x80 ? char(*c) : '?';
  std::printf("%s=%s\n", name, narrow.c_str());
}

HRESULT CreateByProgId(const wchar_t* progid, const char* name) {
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(progid, &clsid);
  Report((std::string(name) + ".clsid").c_str(), hr);
  if (FAILED(hr)) return hr;
  std::printf("%s.same_class=%d\n", name, IsEqualCLSID(clsid, CLSID_ZorvickCtrl) ? 1 : 0);
  ComPtr<IUnknown> object;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object));
  Report((std::string(name) + ".create").c_str(), hr);
  return hr;
}

void Property(IDispatch* dispatch) {
  OLECHAR name[] = L"Text";
  LPOLESTR names[] = {name};
  DISPID id = 0;
  HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  Report("property.name", hr);
  if (FAILED(hr)) return;
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocString(L"Side by side");
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS put = {&value, &named, 1, 1};
  hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr);
  VariantClear(&value);
  Report("property.put", hr);
  DISPPARAMS none = {};
  VARIANT result;
  VariantInit(&result);
  hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
  Report("property.get", hr);
  if (SUCCEEDED(hr) && result.vt == VT_BSTR) ReportText("property.value", result.bstrVal);
  VariantClear(&result);
}

void OleFacts(IUnknown* object) {
  ComPtr<IOleObject> ole;
  if (FAILED(object->QueryInterface(IID_PPV_ARGS(&ole)))) return;
  LPOLESTR type = nullptr;
  HRESULT hr = ole->GetUserType(USERCLASSTYPE_FULL, &type);
  Report("user_type", hr);
  if (SUCCEEDED(hr)) ReportText("user_type.full", type);
  CoTaskMemFree(type);
  type = nullptr;
  hr = ole->GetUserType(USERCLASSTYPE_SHORT, &type);
  if (SUCCEEDED(hr)) ReportText("user_type.short", type);
  CoTaskMemFree(type);
  ComPtr<IEnumOLEVERB> verbs;
  hr = ole->EnumVerbs(&verbs);
  Report("verbs", hr);
  OLEVERB verb{};
  if (SUCCEEDED(hr) && verbs->Next(1, &verb, nullptr) == S_OK) {
    std::printf("verbs.first=%ld\n", verb.lVerb);
    CoTaskMemFree(verb.lpszVerbName);
  }
}

void Pages() {
  int n = 0;
  for (const auto& page : pelzorvick::kPageClasses) {
    CLSID clsid{};
    CLSIDFromString(page.clsid, &clsid);
    ComPtr<IPropertyPage> created;
    Report(("page" + std::to_string(++n) + ".create").c_str(),
           CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&created)));
  }
}

using AxWinInit = BOOL(WINAPI*)();
using AxCreateControlEx = HRESULT(WINAPI*)(LPCOLESTR, HWND, IStream*, IUnknown**, IUnknown**, REFIID, IUnknown*);

void Activate() {
  HMODULE atl = LoadLibraryW(L"atl.dll");
  auto init = atl ? reinterpret_cast<AxWinInit>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit"))) : nullptr;
  auto create = atl ? reinterpret_cast<AxCreateControlEx>(
      reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxCreateControlEx"))) : nullptr;
  if (!init || !create || !init()) {
    Report("activate.host", E_NOTIMPL);
    return;
  }
  HWND frame = CreateWindowExW(0, L"AtlAxWin", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  {
    ComPtr<IUnknown> container;
    ComPtr<IUnknown> control;
    HRESULT hr = create(L"PelZorvick.ZorvickCtrl", frame, nullptr, &container, &control, IID_NULL,
                        nullptr);
    Report("activate", hr);
    if (control) {
      ComPtr<IOleWindow> window;
      HWND hwnd = nullptr;
      if (SUCCEEDED(control.As(&window))) window->GetWindow(&hwnd);
      std::printf("activate.window=%d\n", hwnd && IsWindow(hwnd) && IsChild(frame, hwnd) ? 1 : 0);
    }
  }
  DestroyWindow(frame);
}

}  // namespace

int main() {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  HRESULT hr = S_OK;
  {
    ComPtr<IDispatch> dispatch;
    hr = CoCreateInstance(CLSID_ZorvickCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dispatch));
    Report("clsid.create", hr);
    if (dispatch) {
      Property(dispatch.Get());
      OleFacts(dispatch.Get());
    }
  }
  CreateByProgId(L"PelZorvick.ZorvickCtrl", "progid");
  CreateByProgId(L"PelZorvick.ZorvickCtrl.1", "progid1");
  Pages();
  if (SUCCEEDED(hr)) Activate();
  CoUninitialize();
  std::printf("done=1\n");
  return 0;
}
