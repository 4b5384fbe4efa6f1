// Under Wine: the control's costs beside their floors, medians in
// microseconds. A life of each display mode against CoCreateInstance of a
// trivial object plus one child window; the first paint, a later paint and a
// press and release against the same GDI calls made directly on a window of
// the same size; what the parts of a paint cost on their own; GDI and USER
// handles over many lives and paints; a click beside starting the program;
// the policy's read at a click.
//
// Rows with a reference print "ratio" and the goal; scripts/bench reads the
// lines that start with "row|".

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

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

void MeasureLives(IClassFactory* factory, const LifeSetup& setup, double floor) {
  for (int i = 0; i < 10; ++i) LiveOnce(factory, setup, kDisplayModes[i % 5], false);  // warm-up
  constexpr int kLives = 40;
  // The shell's icon lookup alone, as the icon modes make it.
  const std::wstring program = MarkerPath();
  const auto lookup = [&](UINT flags) {
    return MedianOf(kLives, [&] {
      return Timed([&] {
        SHFILEINFOW info{};
        if (SHGetFileInfoW(program.c_str(), 0, &info, sizeof info, flags) && info.hIcon) {
          DestroyIcon(info.hIcon);
        }
      });
    });
  };
  for (const wchar_t* mode : kDisplayModes) {
    std::vector<std::vector<double>> steps(LifeSteps::kCount);
    std::vector<double> lives;
    for (int i = 0; i < kLives; ++i) {
      LifeSteps s;
      lives.push_back(Timed([&] { LiveOnce(factory, setup, mode, false, &s); }));
      for (int k = 0; k < LifeSteps::kCount; ++k) steps[k].push_back(s.us[k]);
    }
    char name[96];
    std::snprintf(name, sizeof name, "life, %ls", mode);
    const double life = Median(lives);
    Report(name, life, "floor", floor, 3);
    const bool icon = std::wstring(mode).find(L"Icon") != std::wstring::npos;
    if (icon) {
      const double shell = lookup(std::wstring(mode) == L"Icon" ? 0x700 : 0x701);
      std::snprintf(name, sizeof name, "  the shell's icon lookup (%ls)", mode);
      Report(name, shell);
      std::snprintf(name, sizeof name, "  life, %ls, without the lookup", mode);
      Report(name, life - shell, "floor", floor, 3);
    }
    for (int k = 0; k < LifeSteps::kCount; ++k) {
      std::snprintf(name, sizeof name, "  %ls: %s", mode, LifeSteps::kNames[k]);
      Report(name, Median(steps[k]));
    }
  }
}

// Where a later paint and a press go: each of the two windows repainted
// alone, and the press and the release apart.
void MeasurePaintSteps(IClassFactory* factory, HWND parent, const LifeSetup& setup) {
  constexpr int kRuns = 200;
  std::vector<double> outer, surface, down, up;
  ActiveControl c(factory, parent, setup, L"Button");
  UpdateWindow(c.window());
  const auto repaint = [](HWND w, UINT children) {
    return Timed([&] { RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | children); });
  };
  for (int k = 0; k < kRuns; ++k) {
    outer.push_back(repaint(c.window(), RDW_NOCHILDREN));
    surface.push_back(repaint(c.surface(), 0));
    down.push_back(Timed([&] { SendMessageW(c.surface(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2)); }));
    up.push_back(Timed([&] { SendMessageW(c.surface(), WM_LBUTTONUP, 0, MAKELPARAM(-5, -5)); }));
  }
  Report("  later paint: the control's window alone", Median(outer));
  Report("  later paint: the surface alone", Median(surface));
  Report("  press alone", Median(down));
  Report("  release alone", Median(up));
}

// The first paint, a later paint and a press and release of a "Button",
// each beside the same GDI calls made directly on a window of its size.
void MeasurePaints(IClassFactory* factory, HWND parent, const LifeSetup& setup) {
  constexpr int kRuns = 40;
  std::vector<double> first, later, press, ref_first, ref_later, ref_press, ref_messages;
  SIZE size{0, 0};
  for (int i = 0; i < kRuns; ++i) {
    ActiveControl c(factory, parent, setup, L"Button");
    first.push_back(Timed([&] { UpdateWindow(c.window()); }));
    RECT rc{};
    GetClientRect(c.surface(), &rc);
    size = {rc.right, rc.bottom};
    for (int k = 0; k < 10; ++k) later.push_back(Timed([&] { c.Paint(); }));
    for (int k = 0; k < 10; ++k) press.push_back(Timed([&] { c.PressAndRelease(); }));
    PumpMessages();
  }
  // The same without AutoSize: no resize of the container's place first.
  std::vector<double> fixed;
  for (int i = 0; i < kRuns; ++i) {
    ActiveControl c(factory, parent, setup, L"Button", false);
    fixed.push_back(Timed([&] { UpdateWindow(c.window()); }));
    PumpMessages();
  }
  for (int i = 0; i < kRuns; ++i) {
    DirectPaint d(parent, size, L"A life");
    ref_first.push_back(Timed([&] { d.FirstPaint(); }));
    for (int k = 0; k < 10; ++k) ref_later.push_back(Timed([&] { d.Paint(); }));
    for (int k = 0; k < 10; ++k) ref_press.push_back(Timed([&] { d.PressAndRelease(); }));
    for (int k = 0; k < 10; ++k) ref_messages.push_back(Timed([&] { d.PressAndReleaseByMessages(); }));
  }
  MeasurePaintSteps(factory, parent, setup);
  Report("first paint, Button", Median(first), "direct GDI", Median(ref_first), 3);
  Report("  first paint, Button, without AutoSize", Median(fixed), "direct GDI", Median(ref_first), 3);
  Report("later paint, Button", Median(later), "direct GDI", Median(ref_later), 3);
  Report("press and release, Button", Median(press), "direct GDI", Median(ref_press), 3);
  Report("  press and release, Button, against the message route", Median(press),
         "messages, capture, direct GDI", Median(ref_messages), 3);
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
  ActiveControl c(factory, parent, setup, L"Button");
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

void MeasureClick(IClassFactory* factory, HWND parent, const LifeSetup& setup) {
  constexpr int kClicks = 30;
  std::vector<double> clicks;
  {
    ActiveControl c(factory, parent, setup, L"Button");
    UpdateWindow(c.window());
    PumpMessages();
    for (int i = 0; i < kClicks; ++i) {
      clicks.push_back(Timed([&] {
        SendMessageW(c.surface(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageW(c.surface(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
      }));
      PumpMessages();
      Sleep(30);  // the started program ends before the next click
    }
  }
  std::vector<HANDLE> children;
  const double alone = MedianOf(kClicks, [&] {
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
  });
  Report("click (starts the program)", Median(clicks), "CreateProcessW alone", alone);
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

    const double floor = MedianOf(200, [&] {
      return Timed([&] {
        ComPtr<IUnknown> object = floor_class.Create();
        DestroyWindow(CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 160, 40,
                                      parent.hwnd(), nullptr, nullptr, nullptr));
      });
    });
    Report("floor: CoCreateInstance + child window", floor);
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
