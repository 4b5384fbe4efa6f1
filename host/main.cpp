// zorvick-host: a small OLE control container for PelZorvick.ZorvickCtrl.
// It creates the controls of one property file on a form, lets them paint,
// runs the scripted steps of its command line and reports every failure in
// its exit code: 0 all went well, 1 a step failed, 2 bad command line or
// property file, 3 the host did not finish in time.

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/AccessibleReport.h"
#include "host/CommandLine.h"
#include "host/ControlHost.h"
#include "host/FormTiming.h"
#include "host/HostFrame.h"
#include "host/HostSite.h"
#include "host/KeyboardDriver.h"
#include "host/MessageWatcher.h"
#include "host/Output.h"
#include "host/PropertyFile.h"
#include "host/Screenshot.h"
#include "host/designer/PropertyFrame.h"
#include "common/Utf8.h"
#include "component/com/WideString.h"
#include "component/surface/Units.h"

namespace pelzorvick {
namespace {

std::u16string Num(long n) { return ToU16(std::to_string(n)); }

bool ReadWholeFile(const std::u16string& path, std::string* out) {
  FILE* f = _wfopen(AsWide(path.c_str()), L"rb");
  if (!f) return false;
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out->append(buf, n);
  const bool ok = !ferror(f);
  fclose(f);
  return ok;
}

bool WriteWholeFile(const std::u16string& path, const std::string& bytes) {
  FILE* f = _wfopen(AsWide(path.c_str()), L"wb");
  if (!f) return false;
  const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

// The form's own coordinates of a window, as the screenshot shows them.
RECT RectOnForm(HWND form, HWND hwnd) {
  RECT rc{};
  GetWindowRect(hwnd, &rc);
  MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

void PrintRect(const char* what, size_t index, const RECT& rc) {
  Output::Line(u"describe: " + ToU16(what) + u" " + Num(static_cast<long>(index)) + u" " +
               Num(rc.left) + u" " + Num(rc.top) + u" " + Num(rc.right - rc.left) + u" " +
               Num(rc.bottom - rc.top));
}

struct TooltipSearch {
  HWND control;
  std::vector<std::u16string> texts;
};

bool BelongsTo(HWND hwnd, HWND ancestor) {
  return hwnd && (hwnd == ancestor || IsChild(ancestor, hwnd));
}

BOOL CALLBACK FindTooltips(HWND tip, LPARAM param) {
  auto* search = reinterpret_cast<TooltipSearch*>(param);
  wchar_t cls[64] = {};
  GetClassNameW(tip, cls, 64);
  if (_wcsicmp(cls, TOOLTIPS_CLASSW) != 0) return TRUE;
  const auto count = static_cast<int>(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    wchar_t small[80] = {};
    ti.lpszText = small;
    if (!SendMessageW(tip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&ti))) continue;
    const HWND tool = (ti.uFlags & TTF_IDISHWND) ? reinterpret_cast<HWND>(ti.uId) : ti.hwnd;
    if (!BelongsTo(tool, search->control) && !BelongsTo(ti.hwnd, search->control)) continue;
    std::vector<wchar_t> text(4096);
    ti.lpszText = text.data();
    SendMessageW(tip, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&ti));
    search->texts.push_back(FromWide(text.data()));
  }
  return TRUE;
}

void Describe(HostFrame& frame, const std::vector<std::unique_ptr<ControlHost>>& controls) {
  HDC dc = GetDC(nullptr);
  Output::Line(u"describe: dpi " + Num(GetDeviceCaps(dc, LOGPIXELSX)) + u" " +
               Num(GetDeviceCaps(dc, LOGPIXELSY)));
  ReleaseDC(nullptr, dc);
  Output::Line(u"describe: icon " + Num(GetSystemMetrics(SM_CXICON)) + u" " +
               Num(GetSystemMetrics(SM_CYICON)) + u" small " +
               Num(GetSystemMetrics(SM_CXSMICON)) + u" " + Num(GetSystemMetrics(SM_CYSMICON)));
  static const struct {
    const char* name;
    int index;
  } kColors[] = {{"BTNFACE", COLOR_BTNFACE},           {"BTNTEXT", COLOR_BTNTEXT},
                 {"BTNHIGHLIGHT", COLOR_BTNHIGHLIGHT}, {"3DDKSHADOW", COLOR_3DDKSHADOW},
                 {"WINDOW", COLOR_WINDOW}};
  for (const auto& c : kColors) {
    const COLORREF rgb = GetSysColor(c.index);
    Output::Line(u"describe: syscolor " + ToU16(c.name) + u" " + Num(GetRValue(rgb)) + u" " +
                 Num(GetGValue(rgb)) + u" " + Num(GetBValue(rgb)));
  }
  for (size_t i = 0; i < controls.size(); ++i) {
    const HWND window = controls[i]->ControlWindow();
    if (!window) continue;
    PrintRect("control", i + 1, RectOnForm(frame.Window(), window));
    PrintRect("surface", i + 1, RectOnForm(frame.Window(), controls[i]->Surface()));
    // A control becomes a tool of its thread's tooltip when the pointer first
    // moves over it: point at it, as a user would, to read the tooltip.
    RECT rc{};
    GetClientRect(controls[i]->Surface(), &rc);
    SendMessageW(controls[i]->Surface(), WM_MOUSEMOVE, 0, MAKELPARAM(rc.right / 2, rc.bottom / 2));
    TooltipSearch search{window, {}};
    EnumThreadWindows(GetCurrentThreadId(), FindTooltips, reinterpret_cast<LPARAM>(&search));
    for (const std::u16string& t : search.texts) {
      Output::Line(u"describe: tooltip " + Num(static_cast<long>(i + 1)) + u" " + t);
    }
  }
}

bool Screenshot(HostFrame& frame, const std::u16string& path) {
  Pixels pixels;
  std::u16string error;
  if (!CaptureClient(frame.Window(), &pixels)) {
    Output::Error(u"--screenshot: the form's pixels cannot be read");
    return false;
  }
  if (!SavePng(pixels, AsWide(path.c_str()), &error)) {
    Output::Error(u"--screenshot: " + error);
    return false;
  }
  return true;
}

// Each control drawn through its view object into a bitmap at `dpi`.
bool Render(HostFrame& frame, const std::vector<std::unique_ptr<ControlHost>>& controls,
            const std::u16string& path, int dpi) {
  std::vector<ComPtr<IViewObject>> held;
  std::vector<PlacedView> views;
  for (const auto& c : controls) {
    ComPtr<IViewObject> view;
    if (!c->Object() || FAILED(c->Object()->QueryInterface(IID_PPV_ARGS(&view)))) continue;
    views.push_back(PlacedView{c->Site().Rect(), view.Get()});
    held.push_back(std::move(view));
  }
  Pixels pixels;
  HRESULT failed = S_OK;
  std::u16string error;
  if (!RenderForm(frame.Window(), ScreenDpiY(), dpi, views, &pixels, &failed)) {
    Output::Error(u"--render: no bitmap of that size can be made");
    return false;
  }
  if (FAILED(failed)) Output::Error(u"--render: IViewObject::Draw failed with " + HexCode(failed));
  if (!SavePng(pixels, AsWide(path.c_str()), &error)) {
    Output::Error(u"--render: " + error);
    return false;
  }
  return SUCCEEDED(failed);
}

// Takes the form's messages for `ms`, or until it is closed.
void PumpFor(const HostFrame& frame, int ms) {
  const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(ms);
  while (!frame.Closed() && GetTickCount64() < until) {
    PumpMessages(static_cast<int>(until - GetTickCount64()), static_cast<int>(until - GetTickCount64()));
  }
}

// Paints everything now and waits until the controls have settled (a control
// that sizes itself on its first paint asks for a new rectangle, which
// paints again).
void Settle(HostFrame& frame, const std::vector<std::unique_ptr<ControlHost>>& controls,
            FormTimer& timer) {
  for (int round = 0; round < 3; ++round) {
    frame.HoldLayout();
    RedrawWindow(frame.Window(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // The controls that moved paint where they now are.
    frame.ReleaseLayout();
    RedrawWindow(frame.Window(), nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
    timer.FirstPaintDone(controls.size());
    PumpMessages(150);
    // A control may resize its own window without asking the site.
    bool changed = false;
    for (const auto& c : controls) {
      RECT rc{};
      if (!c->ControlWindow() || !GetWindowRect(c->ControlWindow(), &rc)) continue;
      const SIZE now{rc.right - rc.left, rc.bottom - rc.top};
      const SIZE had = c->Site().Size();
      if (now.cx != had.cx || now.cy != had.cy) {
        c->Site().SetSize(now);
        changed = true;
      }
    }
    if (!changed) return;
    frame.Layout();
  }
}

int Run(const HostOptions& opts) {
  Output::SetLogging(opts.log);

  PropertyFile file;
  const std::string file_name = ToUtf8Lossy(opts.file);
  if (!opts.file.empty()) {
    std::string bytes;
    if (!ReadWholeFile(opts.file, &bytes)) {
      Output::Error(u"cannot read " + opts.file);
      return 2;
    }
    try {
      file = ParsePropertyFile(bytes, file_name);
    } catch (const PropertyFileError& e) {
      Output::Error(ToU16(e.what()));
      return 2;
    }
  }
  if (file.sections.empty()) file.sections.emplace_back();
  const std::vector<PropertySection*> sections = file.Controls();

  const auto find = [&](const std::u16string& name) -> int {
    if (name.empty()) return 0;
    for (size_t i = 0; i < sections.size(); ++i) {
      if (NamesEqual(sections[i]->name, name)) return static_cast<int>(i);
    }
    return -1;
  };
  const int target = find(opts.target);
  if (target < 0) {
    Output::Error(u"--control: no section [" + opts.target + u"]");
    return 2;
  }
  const int focus = opts.focus.empty() ? -1 : find(opts.focus);
  if (!opts.focus.empty() && focus < 0) {
    Output::Error(u"--focus: no section [" + opts.focus + u"]");
    return 2;
  }
  for (const SetRequest& s : opts.sets) {
    if (find(s.control) < 0) {
      Output::Error(u"--set: no section [" + s.control + u"]");
      return 2;
    }
  }

  if (opts.floor) return RunFloorForm(sections.size());
  if (FAILED(OleInitialize(nullptr))) {
    Output::Error(u"OleInitialize failed");
    return 1;
  }
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);

  MessageWatcher watcher;
  if (opts.dismiss_messages || opts.log) watcher.Start(opts.dismiss_messages);

  int status = 0;
  bool loaded = true;
  ComPtr<IAccessible> released;
  std::u16string released_name;
  {
    const ComPtr<HostFrame> form(new HostFrame);
    HostFrame& frame = *form.Get();
    if (!frame.Create(L"PelZorvick")) {
      Output::Error(u"the form's window cannot be created");
      return 1;
    }
    std::vector<std::unique_ptr<ControlHost>> controls;
    FormTimer timer(opts.time_first_paint);
    for (PropertySection* section : sections) {
      auto c = std::make_unique<ControlHost>(frame, *section, opts.file.empty(), !opts.design);
      if (!c->Create() || !c->Load()) {
        loaded = false;
        status = 1;
      }
      controls.push_back(std::move(c));
    }

    if (loaded) {
      for (const SetRequest& s : opts.sets) {
        const int i = s.control.empty() ? target : find(s.control);
        if (!controls[static_cast<size_t>(i)]->SetProperty(s.name, s.value)) status = 1;
      }
      for (const auto& c : controls) frame.Add(&c->Site());
      frame.Layout();
      ShowWindow(frame.Window(), SW_SHOWNORMAL);
      for (const auto& c : controls) {
        if (!c->Activate()) status = 1;
      }
      Settle(frame, controls, timer);
      if (opts.settle > 0) {
        PumpFor(frame, opts.settle);
        Settle(frame, controls, timer);
      }

      if (focus >= 0 || !opts.keys.empty()) {
        KeyboardDriver keyboard(frame, controls);
        if (focus >= 0 && !keyboard.FocusControl(static_cast<size_t>(focus))) status = 1;
        for (const KeyStep& k : opts.keys) keyboard.Press(k);
      }
      if (opts.describe) Describe(frame, controls);
      if (opts.accessible) {
        for (const auto& c : controls) {
          if (!PrintAccessible(c->DisplayName(), c->Surface())) status = 1;
        }
      }
      if (!opts.screenshot.empty() && !Screenshot(frame, opts.screenshot)) status = 1;
      if (!opts.render.empty() && !Render(frame, controls, opts.render, opts.render_dpi)) status = 1;
      ControlHost& chosen = *controls[static_cast<size_t>(target)];
      if (opts.execute && !chosen.Execute()) status = 1;
      if (opts.press) {
        const bool pressed = chosen.Press([&] {
          if (!opts.screenshot_pressed.empty() && !Screenshot(frame, opts.screenshot_pressed)) {
            status = 1;
          }
        });
        if (!pressed) status = 1;
      }
      if (opts.default_action && !DoAccessibleDefaultAction(chosen.DisplayName(), chosen.Surface())) {
        status = 1;
      }
      if (opts.accessible_after) {
        released_name = chosen.DisplayName();
        released = SurfaceAccessible(released_name, chosen.Surface());
        if (!released) status = 1;
      }
      if (opts.properties &&
          !ShowPropertyFrame(frame.Window(), chosen.Object(), chosen.DisplayName(), opts.frame)) {
        status = 1;
      }

      if (opts.exit_after >= 0) {
        PumpFor(frame, opts.exit_after);
      } else {
        MSG msg;
        while (!frame.Closed() && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchHostMessage(msg);
      }
    }

    if (!opts.save.empty()) {
      // A control that failed to load holds half its properties: saving them
      // would overwrite the good file with a broken one.
      if (!loaded) {
        Output::Error(u"--save: nothing saved, because loading failed");
      } else {
        bool saved = true;
        for (const auto& c : controls) saved = c->Save() && saved;
        if (saved) {
          try {
            if (!WriteWholeFile(opts.save, WritePropertyFile(file, ToUtf8Lossy(opts.save)))) {
              Output::Error(u"--save: cannot write " + opts.save);
              saved = false;
            }
          } catch (const PropertyFileError& e) {
            Output::Error(ToU16(e.what()));
            saved = false;
          }
        }
        if (!saved) status = 1;
      }
    }
    for (auto& c : controls) c->Close();
    controls.clear();
    // Asked once nothing of the host holds the control any more.
    if (released) PrintReleasedAccessible(released_name, released.Get());
    released.Reset();
  }
  watcher.Stop();
  OleUninitialize();
  return status;
}

}  // namespace
}  // namespace pelzorvick

int main() {
  using namespace pelzorvick;
  // The form is laid out at the screen's DPI (its sites convert at it), so
  // its windows, and the controls' windows made on its thread, are drawn at
  // that DPI too, as Office hosts its controls, instead of at 96 scaled up.
  SetProcessDPIAware();
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.push_back(reinterpret_cast<const char16_t*>(argv[i]));
  LocalFree(argv);

  HostOptions opts;
  try {
    opts = ParseHostCommandLine(args);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "zorvick-host: %s\n%s", e.what(), kHostUsage);
    return 2;
  }
  if (opts.help) {
    Output::Line(ToU16(kHostUsage));
    return 0;
  }
  // A modal box nobody closes, or a control that hangs, must not hold a
  // script for ever.
  if (opts.exit_after >= 0) {
    const DWORD limit = static_cast<DWORD>(opts.exit_after) + 60000;
    std::thread([limit] {
      Sleep(limit);
      Output::Error(u"the host did not finish in time");
      ExitProcess(3);
    }).detach();
  }
  return Run(opts);
}
