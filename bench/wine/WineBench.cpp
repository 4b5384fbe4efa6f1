// Under Wine: the control's costs beside their floors, medians in
// microseconds. A life of each display mode against CoCreateInstance of a
// trivial object plus one child window; the first paint, a later paint and a
// press and release against the same GDI calls made directly on a window of
// the same size; what the parts of a paint cost on their own; GDI and USER
// handles over many lives and paints; a click beside starting the program;
// the policy's read at a click. Each side of a ratio is timed in turn with
// the other (Pairs).
//
// Rows with a reference print "ratio" and the goal; scripts/bench reads the
// lines that start with "row|".

#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "PelZorvick_h.h"
#include "bench/wine/BenchSupport.h"
#include "bench/wine/DirectPaint.h"
#include "host/FormTiming.h"
#include "tests/component-object/Fakes.h"
#include "tests/hardening/ControlLife.h"
#include "tests/hardening/Support.h"

namespace pelzorvick::test {
namespace {

void WaitForChildren(std::vector<HANDLE>& processes) {
  for (HANDLE p : processes) {
    WaitForSingleObject(p, 10000);
    CloseHandle(p);
  }
  processes.clear();
}

// Each life beside a floor measured just before it. The icon modes find
// their icon among the process's kept icons after the warm-up, so their lives
// hold no lookup of the shell's (priced alone among the parts).
void MeasureLives(IClassFactory* factory, const LifeSetup& setup,
                  const std::function<double()>& floor) {
  for (int i = 0; i < 10; ++i) LiveOnce(factory, setup, kDisplayModes[i % 5], false);  // warm-up
  constexpr int kLives = 40;
  std::vector<double> floors;
  for (const wchar_t* mode : kDisplayModes) {
    std::vector<std::vector<double>> steps(LifeSteps::kCount);
    Pairs lives;
    for (int i = 0; i < kLives; ++i) {
      const double f = floor();
      floors.push_back(f);
      LifeSteps s;
      lives.Add(f, Timed([&] { LiveOnce(factory, setup, mode, false, &s); }));
      for (int k = 0; k < LifeSteps::kCount; ++k) steps[k].push_back(s.us[k]);
    }
    char name[96];
    std::snprintf(name, sizeof name, "life, %ls", mode);
    Report(name, lives, "floor", 2);
    for (int k = 0; k < LifeSteps::kCount; ++k) {
      std::snprintf(name, sizeof name, "  %ls: %s", mode, LifeSteps::kNames[k]);
      Report(name, Median(steps[k]));
    }
  }
  Report("floor: CoCreateInstance + child window", Median(floors));
}

// A "Button" painted first, later, and pressed and released, each beside the
// same GDI calls made directly on a window of its size, in turn.
void MeasurePaints(IClassFactory* factory, HWND parent, const LifeSetup& setup) {
  constexpr int kRuns = 40;
  SIZE size{0, 0};
  {
    ActiveControl c(factory, parent, setup, L"Button");
    UpdateWindow(c.window());
    RECT rc{};
    GetClientRect(c.surface(), &rc);
    size = {rc.right, rc.bottom};
  }
  PumpMessages();
  Pairs first, fixed, later, press, messages;
  std::vector<double> down, up;
  for (int i = 0; i < kRuns; ++i) {
    DirectPaint d(parent, size, L"A life");
    const double reference = Timed([&] { d.FirstPaint(); });
    {
      ActiveControl c(factory, parent, setup, L"Button");
      first.Add(reference, Timed([&] { UpdateWindow(c.window()); }));
      for (int k = 0; k < 10; ++k) {
        const double r = Timed([&] { d.Paint(); });
        later.Add(r, Timed([&] { c.Paint(); }));
      }
      for (int k = 0; k < 10; ++k) {
        double r = Timed([&] { d.PressAndRelease(); });
        const double s = Timed([&] { c.PressAndRelease(); });
        press.Add(r, s);
        r = Timed([&] { d.PressAndReleaseByMessages(); });
        messages.Add(r, Timed([&] {
          down.push_back(Timed([&] { c.Press(); }));
          up.push_back(Timed([&] { c.Release(); }));
        }));
      }
    }
    PumpMessages();
    // Without AutoSize: no resize of the container's place first.
    DirectPaint again(parent, size, L"A life");
    const double r = Timed([&] { again.FirstPaint(); });
    ActiveControl c(factory, parent, setup, L"Button", false);
    fixed.Add(r, Timed([&] { UpdateWindow(c.window()); }));
    PumpMessages();
  }
  Report("first paint, Button", first, "direct GDI", 3);
  Report("  first paint, Button, without AutoSize", fixed, "direct GDI");
  Report("later paint, Button", later, "direct GDI", 1.5);
  Report("press and release, Button, by the message route", messages,
         "messages, capture, direct GDI", 1.5);
  Report("  press alone", Median(down));
  Report("  release alone", Median(up));
  Report("  press and release, Button, against drawing alone", press, "direct GDI");
}

// GDI and USER handles before and after many lives and many paints; a flat
// count differs by nothing.
void MeasureHandles(IClassFactory* factory, HWND parent, const LifeSetup& setup) {
  {
    for (int i = 0; i < 20; ++i) LiveOnce(factory, setup, kDisplayModes[i % 5], false);
    const Handles before = Handles::Now();
    for (int i = 0; i < 1000; ++i) LiveOnce(factory, setup, kDisplayModes[i % 5], false);
    PumpMessages();
    const Handles after = Handles::Now();
    Report("handles: GDI objects gained over 1,000 lives", after.gdi - double(before.gdi), "flat",
           before.gdi, -1);
    Report("handles: USER objects gained over 1,000 lives", after.user - double(before.user), "flat",
           before.user, -1);
  }
  const Handles alone = Handles::Now();
  ActiveControl c(factory, parent, setup, L"Button");
  Report("handles: USER windows of one active control", Handles::Now().user - double(alone.user));
  c.Paint();
  c.PressAndRelease();
  const Handles before = Handles::Now();
  for (int i = 0; i < 5000; ++i) {
    c.Paint();
    c.PressAndRelease();
  }
  const Handles after = Handles::Now();
  Report("handles: GDI objects gained over 10,000 paints", after.gdi - double(before.gdi), "flat",
         before.gdi, -1);
  Report("handles: USER objects gained over 10,000 paints", after.user - double(before.user), "flat",
         before.user, -1);
}

// A click beside starting its program directly, in turn.
void MeasureClick(IClassFactory* factory, HWND parent, const LifeSetup& setup) {
  constexpr int kClicks = 30;
  std::vector<HANDLE> children;
  const auto start_alone = [&] {
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
  };
  ActiveControl c(factory, parent, setup, L"Button");
  UpdateWindow(c.window());
  PumpMessages();
  const Pairs clicks = Interleaved(kClicks, start_alone, [&] {
    const double t = Timed([&] {
      SendMessageW(c.surface(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
      SendMessageW(c.surface(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    });
    PumpMessages();
    Sleep(30);  // the started program ends before the next click
    return t;
  });
  Report("click (starts the program)", clicks, "CreateProcessW alone");
}

int Run(bool quick) {
  if (FAILED(OleInitialize(nullptr))) return 1;
  // PZ_BENCH_OCX: another build of the control, measured by the same bench.
  wchar_t other[MAX_PATH] = {};
  const bool given = GetEnvironmentVariableW(L"PZ_BENCH_OCX", other, MAX_PATH) > 0;
  HMODULE ocx = LoadLibraryW(given ? other : FromHostPath(PZ_OCX_PATH).c_str());
  auto get_class_object = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
      reinterpret_cast<void*>(GetProcAddress(ocx, "DllGetClassObject")));
  if (!get_class_object) {
    std::printf("cannot load the .ocx\n");
    return 0;
  }
  ComPtr<IClassFactory> factory;
  get_class_object(CLSID_ZorvickCtrl, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf()));

  FloorClass floor_class;

  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  {
    ParentWindow parent;
    LifeSetup setup;
    setup.parent = parent.hwnd();
    setup.image = std::wstring(temp) + L"pz-bench.bmp";
    WriteBitmapFile(setup.image);
    setup.command = MarkerPath() + L" -";

    // The floor settles what its window leaves (the container's repaint where
    // it was), as a life does, so that it does not fall to the life after it.
    const auto floor = [&] {
      return Timed([&] {
        ComPtr<IUnknown> object = floor_class.Create();
        DestroyWindow(CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 160, 40,
                                      parent.hwnd(), nullptr, nullptr, nullptr));
        PumpMessages();
      });
    };
    MeasureLives(factory.Get(), setup, floor);
    MeasurePaints(factory.Get(), parent.hwnd(), setup);
    MeasureParts(parent.hwnd(), setup);
    MeasurePolicyRead(MarkerPath());
    if (!quick) {
      MeasureHandles(factory.Get(), parent.hwnd(), setup);
      MeasureClick(factory.Get(), parent.hwnd(), setup);
    }
    DeleteFileW(setup.image.c_str());
  }
  factory.Reset();
  PrintTable();
  if (FAILED(floor_class.registered())) {
    std::printf("(the floor's object could not be registered: 0x%08lX)\n", floor_class.registered());
  }
  OleUninitialize();
  return 0;
}

}  // namespace
}  // namespace pelzorvick::test

// --quick: lives and paints only (what ctest runs).
int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
  return pelzorvick::test::Run(quick);
}
