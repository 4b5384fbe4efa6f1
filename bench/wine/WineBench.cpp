// Under Wine: one life of the control beside the floor of any in-process
// object with a child window, and the time a click spends in the control
// beside starting the same program alone. Medians, in microseconds.

#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "PelZorvick_h.h"
#include "component/ComBase.h"
#include "tests/component-object/Fakes.h"
#include "tests/hardening/ControlLife.h"
#include "tests/hardening/Support.h"

namespace pelzorvick::test {
namespace {

double Now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1e6 / frequency;
}

struct Row {
  std::string name;
  int runs;
  double median, low, high;
};

Row Measure(const std::string& name, int runs, const std::function<double()>& one) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) times.push_back(one());
  std::sort(times.begin(), times.end());
  return {name, runs, times[times.size() / 2], times.front(), times.back()};
}

double Timed(const std::function<void()>& f) {
  const double start = Now();
  f();
  return Now() - start;
}

// The least an in-process object can be.
class Trivial : public ComBase<Implements<IPersist>> {
 public:
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override {
    *id = CLSID_NULL;
    return S_OK;
  }
};

class TrivialFactory : public ComBase<Implements<IClassFactory>> {
 public:
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    ComPtr<Trivial> object(new Trivial);
    return object->QueryInterface(riid, ppv);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

constexpr CLSID kTrivialClass = {0x5B0E2D8A, 0x61C3, 0x4F27, {0x9A, 0x1E, 0x3C, 0x70, 0x44, 0x12, 0xD5, 0x08}};

void WaitForChildren(std::vector<HANDLE>& processes) {
  for (HANDLE p : processes) {
    WaitForSingleObject(p, 10000);
    CloseHandle(p);
  }
  processes.clear();
}

int Run() {
  if (FAILED(OleInitialize(nullptr))) return 1;
  HMODULE ocx = LoadLibraryW(FromHostPath(PZ_OCX_PATH).c_str());
  auto get_class_object = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
      reinterpret_cast<void*>(GetProcAddress(ocx, "DllGetClassObject")));
  if (!get_class_object) {
    std::printf("cannot load the .ocx\n");
    return 0;
  }
  IClassFactory* factory = nullptr;
  get_class_object(CLSID_ZorvickCtrl, IID_IClassFactory, reinterpret_cast<void**>(&factory));

  ComPtr<TrivialFactory> trivial(new TrivialFactory);
  DWORD cookie = 0;
  const HRESULT registered = CoRegisterClassObject(kTrivialClass, trivial.Get(), CLSCTX_INPROC_SERVER,
                                                   REGCLS_MULTIPLEUSE, &cookie);

  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::vector<Row> rows;
  {
    ParentWindow parent;
    LifeSetup setup;
    setup.parent = parent.hwnd();
    setup.image = std::wstring(temp) + L"pz-bench.bmp";
    WriteBitmapFile(setup.image);
    setup.command = MarkerPath() + L" -";

    for (int i = 0; i < 10; ++i) LiveOnce(factory, setup, kDisplayModes[i % 5], false);  // warm-up
    constexpr int kLives = 40;
    std::vector<std::vector<double>> step_times(LifeSteps::kCount);
    for (const wchar_t* mode : kDisplayModes) {
      char name[64];
      std::snprintf(name, sizeof name, "control life, %ls", mode);
      rows.push_back(Measure(name, kLives, [&] {
        LifeSteps steps;
        const double t = Timed([&] { LiveOnce(factory, setup, mode, false, &steps); });
        for (int i = 0; i < LifeSteps::kCount; ++i) step_times[i].push_back(steps.us[i]);
        return t;
      }));
    }
    for (int i = 0; i < LifeSteps::kCount; ++i) {
      std::sort(step_times[i].begin(), step_times[i].end());
      const auto& t = step_times[i];
      rows.push_back({std::string("  of which: ") + LifeSteps::kNames[i], static_cast<int>(t.size()),
                      t[t.size() / 2], t.front(), t.back()});
    }
    rows.push_back(Measure("floor: CoCreateInstance + child window", 200, [&] {
      return Timed([&] {
        IUnknown* object = nullptr;
        if (SUCCEEDED(registered)) {
          CoCreateInstance(kTrivialClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                           reinterpret_cast<void**>(&object));
        }
        HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 160, 40,
                                     parent.hwnd(), nullptr, nullptr, nullptr);
        DestroyWindow(child);
        if (object) object->Release();
      });
    }));

    // A click: press, then the release that runs the command and raises Click.
    IOleObject* ole = nullptr;
    factory->CreateInstance(nullptr, IID_IOleObject, reinterpret_cast<void**>(&ole));
    ComPtr<IOleInPlaceObject> inplace;
    ole->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(inplace.GetAddressOf()));
    ComPtr<FakeSite> site(new FakeSite(parent.hwnd(), Ambient::kRunning));
    site->object = inplace.Get();
    ole->SetClientSite(site.Get());
    ComPtr<IPersistStreamInit> persist;
    ole->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(persist.GetAddressOf()));
    persist->InitNew();
    ComPtr<IDispatch> dispatch;
    ole->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.GetAddressOf()));
    PutText(dispatch.Get(), L"Control", L"Button");
    PutText(dispatch.Get(), L"Text", L"Run");
    PutText(dispatch.Get(), L"Command", setup.command);
    ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, parent.hwnd(), &site->rect);
    HWND window = nullptr;
    inplace->GetWindow(&window);
    UpdateWindow(window);
    PumpMessages();
    HWND surface = GetWindow(window, GW_CHILD);
    constexpr int kClicks = 30;
    rows.push_back(Measure("click in the control (starts the program)", kClicks, [&] {
      const double t = Timed([&] {
        SendMessageW(surface, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageW(surface, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
      });
      PumpMessages();
      Sleep(30);  // the started program ends before the next click
      return t;
    }));
    inplace->InPlaceDeactivate();
    ole->Close(OLECLOSE_NOSAVE);
    ole->SetClientSite(nullptr);
    site->object = nullptr;
    inplace.Reset();
    persist.Reset();
    dispatch.Reset();
    ole->Release();

    std::vector<HANDLE> children;
    rows.push_back(Measure("CreateProcessW of the program alone", kClicks, [&] {
      std::wstring line = setup.command;
      STARTUPINFOW si{};
      si.cb = sizeof si;
      si.dwFlags = STARTF_USESHOWWINDOW;
      si.wShowWindow = SW_SHOWNORMAL;
      PROCESS_INFORMATION pi{};
      const double t = Timed([&] {
        if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
          CloseHandle(pi.hThread);
          children.push_back(pi.hProcess);
        }
      });
      WaitForChildren(children);
      Sleep(30);
      return t;
    }));
    DeleteFileW(setup.image.c_str());
  }
  if (SUCCEEDED(registered)) CoRevokeClassObject(cookie);
  factory->Release();

  std::printf("%-46s %6s %12s %12s %12s\n", "measurement (microseconds)", "runs", "median", "min", "max");
  for (const Row& r : rows) {
    std::printf("%-46s %6d %12.0f %12.0f %12.0f\n", r.name.c_str(), r.runs, r.median, r.low, r.high);
  }
  if (FAILED(registered)) std::printf("(the floor's object could not be registered: 0x%08lX)\n", registered);
  OleUninitialize();
  return 0;
}

}  // namespace
}  // namespace pelzorvick::test

int main() { return pelzorvick::test::Run(); }
