// Under Wine: the control's costs beside their floors, medians in
// microseconds. A life of each display mode against CoCreateInstance of a
// trivial object plus one child window; the first paint, a later paint and a
// press and release against the same GDI calls made directly on a window of
// the same size; what the parts of a paint cost on their own; GDI and USER
// handles over many lives and paints; a click beside starting the program.
//
// Rows with a reference print "ratio" and the goal; scripts/bench reads the
// lines that start with "row|".

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "PelZorvick_h.h"
#include "bench/wine/DirectPaint.h"
#include "command/CommandUtil.h"
#include "host/FormTiming.h"
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

double Timed(const std::function<void()>& f) {
  const double start = Now();
  f();
  return Now() - start;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double MedianOf(int runs, const std::function<double()>& one) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) times.push_back(one());
  return Median(times);
}

// One line of the table; `goal` 0: reported, no goal.
struct Row {
  std::string name;
  double median;
  std::string reference;
  double reference_median;
  double goal;
};

std::vector<Row> g_rows;

void Report(const std::string& name, double median, const std::string& reference = "",
            double reference_median = 0, double goal = 0) {
  g_rows.push_back({name, median, reference, reference_median, goal});
}

void WaitForChildren(std::vector<HANDLE>& processes) {
  for (HANDLE p : processes) {
    WaitForSingleObject(p, 10000);
    CloseHandle(p);
  }
  processes.clear();
}

// One control of `mode`, loaded as a form loads it and active in place in
// `parent`, painted once; torn down at the end of its scope.
class ActiveControl {
 public:
  ActiveControl(IClassFactory* factory, HWND parent, const LifeSetup& setup, const wchar_t* mode) {
    factory->CreateInstance(nullptr, IID_IOleObject, reinterpret_cast<void**>(ole_.GetAddressOf()));
    ole_.As(&inplace_);
    site_ = new FakeSite(parent, Ambient::kRunning);
    site_->calls.Expect(kSiteOfAPlacedControl);
    site_->object = inplace_.Get();
    ole_->SetClientSite(site_.Get());
    ComPtr<IPersistPropertyBag> persist;
    ole_.As(&persist);
    ComPtr<FakeBag> bag(new FakeBag);
    bag->calls.Expect({"Read"});
    const std::pair<const wchar_t*, std::wstring> values[] = {
        {L"Control", mode}, {L"Command", setup.command}, {L"Text", L"A life"},
        {L"ImageURL", setup.image}, {L"BackColor", L"#204060"}};
    for (const auto& [key, value] : values) bag->PutText(key, value);
    persist->Load(bag.Get(), nullptr);
    ole_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.Get(), 0, parent, &site_->rect);
    inplace_->GetWindow(&window_);
    surface_ = GetWindow(window_, GW_CHILD);
  }
  ~ActiveControl() {
    inplace_->InPlaceDeactivate();
    ole_->Close(OLECLOSE_NOSAVE);
    ole_->SetClientSite(nullptr);
    site_->object = nullptr;
  }
  HWND window() const { return window_; }
  HWND surface() const { return surface_; }
  void Paint() {
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);
  }
  void PressAndRelease() {
    SendMessageW(surface_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(surface_, WM_LBUTTONUP, 0, MAKELPARAM(-5, -5));  // outside: no click
  }

 private:
  ComPtr<IOleObject> ole_;
  ComPtr<IOleInPlaceObject> inplace_;
  ComPtr<FakeSite> site_;
  HWND window_ = nullptr;
  HWND surface_ = nullptr;
};

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count) {
  ++*reinterpret_cast<DWORD*>(count);
  EnumChildWindows(hwnd, CountWindow, count);
  return TRUE;
}

// Wine answers GetGuiResources with 0. Then the GDI objects are the used
// entries of the process's GDI handle table, which the PEB points to, and the
// USER objects are this thread's windows.
struct Handles {
  DWORD gdi, user;
  static Handles Now() {
    Handles h{GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
              GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)};
    if (h.gdi == 0) {
      struct Entry {
        UINT64 object;
        ULONG owner;
        USHORT unique;
        UCHAR type, flags;
        UINT64 user;
      };
      static_assert(sizeof(Entry) == 24);
      auto* peb = reinterpret_cast<const BYTE*>(NtCurrentTeb()->ProcessEnvironmentBlock);
      const auto* table = *reinterpret_cast<const Entry* const*>(peb + 0xF8);
      for (int i = 0; table && i < 0x10000; ++i) h.gdi += table[i].type != 0;
    }
    if (h.user == 0) EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&h.user));
    return h;
  }
};

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

// The first paint, a later paint and a press and release of a "Button",
// each beside the same GDI calls made directly on a window of its size.
void MeasurePaints(IClassFactory* factory, HWND parent, const LifeSetup& setup) {
  constexpr int kRuns = 40;
  std::vector<double> first, later, press, ref_first, ref_later, ref_press;
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
  for (int i = 0; i < kRuns; ++i) {
    DirectPaint d(parent, size, L"A life");
    ref_first.push_back(Timed([&] { d.FirstPaint(); }));
    for (int k = 0; k < 10; ++k) ref_later.push_back(Timed([&] { d.Paint(); }));
    for (int k = 0; k < 10; ++k) ref_press.push_back(Timed([&] { d.PressAndRelease(); }));
  }
  Report("first paint, Button", Median(first), "direct GDI", Median(ref_first), 3);
  Report("later paint, Button", Median(later), "direct GDI", Median(ref_later), 3);
  Report("press and release, Button", Median(press), "direct GDI", Median(ref_press), 3);
}

// What each part of a paint costs made alone, as a paint made them.
void MeasureParts(HWND parent, const LifeSetup& setup) {
  constexpr int kRuns = 100;
  Report("part: child window made and destroyed", MedianOf(kRuns, [&] {
           return Timed([&] {
             DestroyWindow(CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 80, 30,
                                           parent, nullptr, nullptr, nullptr));
           });
         }));
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  Report("part: tooltip made with its tool, destroyed", MedianOf(kRuns, [&] {
           return Timed([&] {
             HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                        WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                        CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, nullptr,
                                        nullptr);
             TTTOOLINFOW ti{};
             ti.cbSize = TTTOOLINFOW_V2_SIZE;
             ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
             ti.hwnd = parent;
             ti.uId = reinterpret_cast<UINT_PTR>(parent);
             ti.lpszText = const_cast<wchar_t*>(L"tip");
             SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
             DestroyWindow(tip);
           });
         }));
  HDC screen = GetDC(nullptr);
  Report("part: font made, selected, measured once", MedianOf(kRuns, [&] {
           return Timed([&] {
             LOGFONTW lf{};
             lf.lfHeight = -12;
             lf.lfWeight = FW_BOLD;
             lstrcpyW(lf.lfFaceName, L"MS Shell Dlg");
             HFONT font = CreateFontIndirectW(&lf);
             HDC dc = CreateCompatibleDC(screen);
             HGDIOBJ old = SelectObject(dc, font);
             TEXTMETRICW tm;
             GetTextMetricsW(dc, &tm);
             SelectObject(dc, old);
             DeleteDC(dc);
             DeleteObject(font);
           });
         }));
  Report("part: two backing bitmaps with their DCs", MedianOf(kRuns, [&] {
           return Timed([&] {
             for (int k = 0; k < 2; ++k) {
               HDC dc = CreateCompatibleDC(screen);
               HBITMAP bitmap = CreateCompatibleBitmap(screen, 80, 30);
               HGDIOBJ old = SelectObject(dc, bitmap);
               SelectObject(dc, old);
               DeleteObject(bitmap);
               DeleteDC(dc);
             }
           });
         }));
  {
    HDC dc = CreateCompatibleDC(screen);
    Report("part: one text measured", MedianOf(kRuns, [&] {
             return Timed([&] {
               SIZE s;
               TEXTMETRICW tm;
               GetTextMetricsW(dc, &tm);
               GetTextExtentPoint32W(dc, L"A life", 6, &s);
             });
           }));
    DeleteDC(dc);
  }
  ReleaseDC(nullptr, screen);
  Report("part: the command lookup's file probes", MedianOf(kRuns, [&] {
           return Timed([&] {
             CommandExists(std::u16string(setup.command.begin(), setup.command.end()));
           });
         }));
  const std::wstring program = MarkerPath();
  Report("part: the shell's icon lookup, large", MedianOf(kRuns, [&] {
           return Timed([&] {
             SHFILEINFOW info{};
             if (SHGetFileInfoW(program.c_str(), 0, &info, sizeof info, 0x700) && info.hIcon) {
               DestroyIcon(info.hIcon);
             }
           });
         }));
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

void PrintTable() {
  std::printf("%-52s %10s  %-22s %10s %7s  %s\n", "measurement (us, medians)", "median", "reference",
              "ref", "ratio", "goal");
  for (const Row& r : g_rows) {
    std::string goal;
    double ratio = 0;
    if (r.goal > 0) {
      ratio = r.reference_median > 0 ? r.median / r.reference_median : 0;
      goal = (ratio <= r.goal ? "met (<= " : "NOT met (<= ") + std::to_string(int(r.goal)) + "x)";
    } else if (r.goal < 0) {
      goal = r.median <= 0 ? "met (flat)" : "NOT met (flat)";
    }
    std::printf("%-52s %10.0f  %-22s %10.0f %7.2f  %s\n", r.name.c_str(), r.median, r.reference.c_str(),
                r.reference_median, ratio, goal.c_str());
  }
  for (const Row& r : g_rows) {
    std::printf("row|%s|%.1f|%s|%.1f|%g\n", r.name.c_str(), r.median, r.reference.c_str(),
                r.reference_median, r.goal);
  }
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
