// What the system changes under a placed control. Its DPI: placed from a
// thread that is not DPI-aware (96) and from a system-aware one (the
// screen's), and laid out again when its window's DPI changes; run in a
// 96-DPI prefix and, that suite alone, in a 144-DPI one (PZ_EXPECT_DPI names
// it). Its colours: drawn again when the system's colours or settings change.

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/component-object/Fakes.h"

namespace pelzorvick::test {
namespace {

constexpr UINT kDpiChangedAfterParent = 0x02E3;

// The thread's DPI awareness for a scope (Windows 10 1607 on; looked up).
class ThreadAwareness : NonCopyable {
 public:
  explicit ThreadAwareness(bool aware) {
    using Fn = HANDLE(WINAPI*)(HANDLE);
    static const auto set = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
    set_ = set;
    // DPI_AWARENESS_CONTEXT_UNAWARE (-1), _SYSTEM_AWARE (-2).
    if (set_) before_ = set_(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(aware ? -2 : -1)));
  }
  ~ThreadAwareness() {
    if (set_ && before_) set_(before_);
  }
  bool Available() const { return set_ != nullptr; }

 private:
  HANDLE(WINAPI* set_)(HANDLE) = nullptr;
  HANDLE before_ = nullptr;
};

int SystemDpi() {
  using Fn = UINT(WINAPI*)();
  static const auto get = reinterpret_cast<Fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForSystem")));
  ThreadAwareness aware(true);
  return get ? static_cast<int>(get()) : 96;
}

// A button's height at `dpi`: its bold caption's line in the dialog face at
// 9 points, plus the 12 pixels of frame and margin.
LONG ButtonHeight(int dpi) {
  LOGFONTW lf{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
  lf.lfHeight = -MulDiv(9, dpi, 72);
  lf.lfWidth = 0;
  lf.lfWeight = FW_BOLD;
  HFONT font = CreateFontIndirectW(&lf);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(font);
  return tm.tmHeight + 12;
}

// A sited control made a button with `caption`, placed and painted once.
HRESULT PlaceButton(SitedControl& p, const wchar_t* caption) {
  PutString(p.As<_ZorvickCtrl>().Get(), &_ZorvickCtrl::put_Control, L"Button");
  PutString(p.As<_ZorvickCtrl>().Get(), &_ZorvickCtrl::put_Text, caption);
  return p.Activate();
}

LONG Height(const RECT& r) { return r.bottom - r.top; }
LONG Width(const RECT& r) { return r.right - r.left; }

TEST(ObjectDpi, AControlIsLaidOutAtItsWindowsDpi) {
  const int screen = SystemDpi();
  if (const char* want = std::getenv("PZ_EXPECT_DPI")) {
    ASSERT_EQ(std::atoi(want), screen) << "the prefix's DPI, seen by an aware thread";
  }
  struct Case {
    const char* name;
    bool aware;
    int dpi;
  };
  for (const Case& c : {Case{"not DPI-aware", false, 96}, Case{"system-aware", true, screen}}) {
    SCOPED_TRACE(c.name);
    ThreadAwareness awareness(c.aware);
    if (!awareness.Available()) GTEST_SKIP() << "no per-thread DPI awareness here";
    ParentWindow parent;
    SitedControl p(parent.hwnd());
    ASSERT_EQ(S_OK, PlaceButton(p, L"Press me"));
    ASSERT_EQ(1u, p.site->pos_rect_changes.size());
    EXPECT_EQ(ButtonHeight(c.dpi), Height(p.site->pos_rect_changes[0])) << "the font's pixels";
    // The container's pixels are the window's: the extent is the same inches.
    SIZEL extent{};
    ASSERT_EQ(S_OK, p.control->GetExtent(DVASPECT_CONTENT, &extent));
    EXPECT_EQ(MulDiv(Height(p.site->pos_rect_changes[0]), 2540, c.dpi), extent.cy);
    p.Close();
  }
}

// Laid out once, the control keeps its size for a longer caption; a DPI
// change lays it out again, and it takes the caption's new size at once.
TEST(ObjectDpi, ADpiChangeLaysOutAndDrawsAgain) {
  ParentWindow parent;
  SitedControl p(parent.hwnd());
  ASSERT_EQ(S_OK, PlaceButton(p, L"Go"));
  PutString(p.As<_ZorvickCtrl>().Get(), &_ZorvickCtrl::put_Text, L"Go somewhere far");
  InvalidateRect(p.Window(), nullptr, FALSE);
  UpdateWindow(p.Window());
  ASSERT_EQ(1u, p.site->pos_rect_changes.size()) << "no layout without a new DPI";

  EXPECT_EQ(0, SendMessageW(p.Window(), kDpiChangedAfterParent, 0, 0));
  UpdateWindow(p.Window());
  ASSERT_EQ(2u, p.site->pos_rect_changes.size());
  EXPECT_GT(Width(p.site->pos_rect_changes[1]), Width(p.site->pos_rect_changes[0]));
  EXPECT_EQ(Height(p.site->pos_rect_changes[0]), Height(p.site->pos_rect_changes[1]));
  p.Close();
}

// The system's colours for a scope, put back after.
class SystemColor : NonCopyable {
 public:
  SystemColor(int index, COLORREF color) : index_(index), before_(GetSysColor(index)) {
    SetSysColors(1, &index_, &color);
  }
  ~SystemColor() { SetSysColors(1, &index_, &before_); }

 private:
  int index_;
  COLORREF before_;
};

// While set, the control's window hears nothing of the system's own change
// and repaint: what the test then sends is all it is told.
bool g_deaf = false;
WNDPROC g_procedure = nullptr;

LRESULT CALLBACK Deaf(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (g_deaf && (message == WM_PAINT || message == WM_SYSCOLORCHANGE || message == WM_SETTINGCHANGE)) {
    ValidateRect(hwnd, nullptr);
    return 0;
  }
  return CallWindowProcW(g_procedure, hwnd, message, wparam, lparam);
}

// Either message, passed on by the container, redraws the control in the
// colours of now; without it the window would keep its image.
TEST(ObjectSystemColors, AChangeRedrawsTheControl) {
  ParentWindow parent;
  SitedControl p(parent.hwnd());
  ASSERT_EQ(S_OK, PlaceButton(p, L"Go"));
  const HWND window = p.Window();
  auto face = [&] {
    HDC dc = GetDC(window);
    const COLORREF c = GetPixel(dc, 2, 2);  // inside the frame, clear of the caption
    ReleaseDC(window, dc);
    return c;
  };
  const COLORREF before = face();
  ASSERT_EQ(GetSysColor(COLOR_BTNFACE), before);
  g_procedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Deaf)));
  for (const UINT message : {WM_SYSCOLORCHANGE, WM_SETTINGCHANGE}) {
    SCOPED_TRACE(message);
    const COLORREF changed = before ^ RGB(0x40, 0x80, 0x40);
    {
      g_deaf = true;
      SystemColor color(COLOR_BTNFACE, changed);
      PumpMessages();
      g_deaf = false;
      ASSERT_EQ(before, face()) << "the image drawn in the colours before";
      SendMessageW(window, message, 0, 0);
      UpdateWindow(window);
      EXPECT_EQ(changed, face());
    }
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
  }
  SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_procedure));
  p.Close();
}

}  // namespace
}  // namespace pelzorvick::test
