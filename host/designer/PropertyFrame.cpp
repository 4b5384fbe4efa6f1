#include "host/designer/PropertyFrame.h"

#include <commctrl.h>
#include <ocidl.h>
#include <olectl.h>
#include <prsht.h>

#include <atomic>
#include <thread>

#include "component/com/ComPtr.h"
#include "component/com/WideString.h"
#include "host/ControlHost.h"
#include "host/Output.h"
#include "host/Screenshot.h"

namespace pelzorvick {
namespace {

std::u16string Text(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return FromWide(text);
}

// The frame: a visible dialog of this process with tabs.
HWND FindFrame() {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, L"#32770", nullptr)) != nullptr) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
        FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr)) {
      return window;
    }
  }
  return nullptr;
}

std::u16string PageNames(HWND frame) {
  HWND tabs = FindWindowExW(frame, nullptr, WC_TABCONTROLW, nullptr);
  std::u16string names;
  for (int i = 0; i < TabCtrl_GetItemCount(tabs); ++i) {
    wchar_t text[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    TabCtrl_GetItem(tabs, i, &item);
    names += (i ? u", " : u"") + FromWide(text);
  }
  return names;
}

// The steps, from their own thread: keys are posted to the window that has
// the focus in the frame's thread, as the keyboard queues them, and reach it
// through the frame's own message loop.
class StepRunner {
 public:
  explicit StepRunner(DWORD ui_thread) : ui_thread_(ui_thread) {}

  bool Run(const std::vector<FrameStep>& steps) {
    for (int tries = 0; tries < 400 && !(frame_ = FindFrame()); ++tries) Sleep(50);
    if (!frame_) {
      Output::Error(u"--frame: the property frame never showed");
      return false;
    }
    Settle();
    Output::Log(u"frame: " + Text(frame_) + u" (" + PageNames(frame_) + u")");
    for (const FrameStep& step : steps) {
      if (!IsWindow(frame_)) {
        Output::Error(u"--frame: the frame closed before every step was taken");
        return false;
      }
      if (!Take(step)) return false;
      Settle();
    }
    return true;
  }

 private:
  bool Take(const FrameStep& step) {
    using Kind = FrameStep::Kind;
    switch (step.kind) {
      case Kind::kPage:
        Output::Log(u"frame: page " + ToU16(std::to_string(step.page)));
        if (!PropSheet_SetCurSel(frame_, nullptr, step.page - 1)) {
          Output::Error(u"--frame: no page " + ToU16(std::to_string(step.page)));
          return false;
        }
        return true;
      case Kind::kKey: {
        const UINT vk = step.key.key == KeyStep::Key::kTab     ? VK_TAB
                        : step.key.key == KeyStep::Key::kSpace ? VK_SPACE
                        : step.key.key == KeyStep::Key::kEnter ? VK_RETURN
                                                               : VK_ESCAPE;
        Output::Log(u"frame: key");
        if (step.key.stroke != KeyStep::Stroke::kUp) Post(WM_KEYDOWN, vk, 1);
        if (step.key.stroke != KeyStep::Stroke::kDown) Post(WM_KEYUP, vk, 1 | (3u << 30));
        return true;
      }
      case Kind::kMnemonic:
        Output::Log(u"frame: alt+" + step.text);
        Post(WM_SYSCHAR, step.text[0], 1 | (1u << 29));
        return true;
      case Kind::kType:
        Output::Log(u"frame: type " + step.text);
        for (char16_t c : step.text) Post(WM_CHAR, c, 1);
        return true;
      case Kind::kScreenshot: {
        Pixels pixels;
        std::u16string error;
        if (!CaptureClient(frame_, &pixels) || !SavePng(pixels, ToWide(step.text), &error)) {
          Output::Error(u"--frame screenshot: " + (error.empty() ? u"the frame cannot be read" : error));
          return false;
        }
        return true;
      }
      case Kind::kOk:
      case Kind::kCancel:
        Output::Log(step.kind == Kind::kOk ? u"frame: ok" : u"frame: cancel");
        PostMessageW(frame_, PSM_PRESSBUTTON, step.kind == Kind::kOk ? PSBTN_OK : PSBTN_CANCEL, 0);
        return true;
    }
    return false;
  }

  void Post(UINT message, WPARAM wparam, LPARAM lparam) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND focus = GetGUIThreadInfo(ui_thread_, &info) && info.hwndFocus ? info.hwndFocus : frame_;
    PostMessageW(focus, message, wparam, lparam);
    Sleep(20);
  }

  // Lets the frame's thread take what was posted and paint.
  void Settle() {
    Sleep(200);
    if (IsWindow(frame_)) {
      RedrawWindow(frame_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    Sleep(100);
  }

  DWORD ui_thread_;
  HWND frame_ = nullptr;
};

}  // namespace

bool ShowPropertyFrame(HWND owner, IUnknown* control, const std::u16string& name,
                       const std::vector<FrameStep>& steps) {
  ComPtr<ISpecifyPropertyPages> specify;
  HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&specify));
  CAUUID pages{};
  if (SUCCEEDED(hr)) hr = specify->GetPages(&pages);
  if (FAILED(hr)) {
    Output::Error(u"--properties: the control names no pages: " + DescribeFailure(hr));
    return false;
  }
  std::atomic<bool> steps_ok{true};
  std::thread runner;
  if (!steps.empty()) {
    runner = std::thread([&, ui_thread = GetCurrentThreadId()] {
      steps_ok = StepRunner(ui_thread).Run(steps);
    });
  }
  IUnknown* objects[] = {control};
  hr = OleCreatePropertyFrame(owner, 0, 0, AsWide(name.c_str()), 1, objects, pages.cElems, pages.pElems,
                              LOCALE_USER_DEFAULT, 0, nullptr);
  CoTaskMemFree(pages.pElems);
  if (runner.joinable()) runner.join();
  Output::Log(u"frame: closed");
  if (FAILED(hr)) {
    Output::Error(u"--properties: OleCreatePropertyFrame: " + DescribeFailure(hr));
    return false;
  }
  return steps_ok;
}

}  // namespace pelzorvick
