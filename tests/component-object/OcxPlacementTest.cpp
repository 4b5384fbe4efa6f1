// A container that destroys its windows first, a refused window, sizes and
// bounds no window can have: through the built .ocx's exports, each ending
// with nothing of the control left.

#include "tests/component-object/OcxClient.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <climits>

namespace pelzorvick::test {
namespace {

using ContainerWindowGone = OcxTest;

// The container destroys its window (and ours with it) before it
// deactivates the control: the control forgets the handles.
TEST_F(ContainerWindowGone, BeforeDeactivation) {
  {
    ParentWindow window;
    SitedControl placed = PlaceButton(ocx, window, kRunnable);
    ASSERT_TRUE(IsWindow(placed.Surface()));
    window.Destroy();
    HWND hwnd = reinterpret_cast<HWND>(1);
    EXPECT_EQ(E_FAIL, placed.As<IOleWindow>()->GetWindow(&hwnd));
    EXPECT_EQ(nullptr, hwnd);
    EXPECT_EQ(S_OK, placed.As<IOleInPlaceObject>()->InPlaceDeactivate());
    EXPECT_EQ(0u, placed.Close());
  }
  ExpectNothingLeft(ocx);
}

// A refused window stops the activation.
HHOOK g_hook = nullptr;
LRESULT CALLBACK RefuseWindow(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND) {
    auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lparam);
    const LPCWSTR cls = create->lpcs->lpszClass;
    if (!IS_INTRESOURCE(cls) && lstrcmpiW(cls, kControlClass) == 0) return 1;
  }
  return CallNextHookEx(g_hook, code, wparam, lparam);
}

using FailedActivation = OcxTest;

TEST_F(FailedActivation, LeavesNoWindowAndAnInactiveSite) {
  {
    ParentWindow window;
    SitedControl placed(window.hwnd(), Ambient::kRunning, ocx.Create<IOleObject>());
    ASSERT_TRUE(placed.control);
    IOleObject* ole = placed.control.Get();
    FakeSite* site = placed.site.Get();

    g_hook = SetWindowsHookExW(WH_CBT, RefuseWindow, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(g_hook);
    const HRESULT hr = ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, window.hwnd(),
                                   &site->rect);
    UnhookWindowsHookEx(g_hook);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(0, CountThreadWindows(kControlClass));
    EXPECT_EQ(site->calls.Count("OnInPlaceActivate"), site->calls.Count("OnInPlaceDeactivate"));
    HWND hwnd = nullptr;
    EXPECT_EQ(E_FAIL, placed.As<IOleWindow>()->GetWindow(&hwnd));

    // A place no window can have is refused before anything is made.
    site->rect = RECT{0, 0, 40000, 20};
    EXPECT_EQ(E_INVALIDARG, ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0,
                                        window.hwnd(), &site->rect));
    EXPECT_EQ(0, CountThreadWindows(kControlClass));
    EXPECT_EQ(site->calls.Count("OnInPlaceActivate"), site->calls.Count("OnInPlaceDeactivate"));

    // And the control still comes up where it can.
    site->rect = RECT{10, 20, 170, 60};
    EXPECT_EQ(S_OK, ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, window.hwnd(),
                                &site->rect));
    EXPECT_EQ(1, CountThreadWindows(kControlClass));
    EXPECT_EQ(0u, placed.Close());
  }
  ExpectNothingLeft(ocx);
}

using Windows = OcxTest;

// An active control is one window; the thread's one tooltip comes with the
// pointer's first move over a control, serves every control, and goes with
// the last.
TEST_F(Windows, OnePerControlAndOneTooltipPerThread) {
  {
    ParentWindow window;
    const int alone = CountThreadWindows();
    SitedControl first = PlaceButton(ocx, window, kRunnable);
    EXPECT_EQ(alone + 1, CountThreadWindows());
    SitedControl second = PlaceButton(ocx, window, kRunnable);
    EXPECT_EQ(alone + 2, CountThreadWindows());
    for (const SitedControl* placed : {&first, &second}) {
      SendMessageW(placed->Window(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
      EXPECT_EQ(alone + 3, CountThreadWindows());
      EXPECT_EQ(1, CountThreadWindows(TOOLTIPS_CLASSW));
    }
    EXPECT_EQ(0u, first.Close());
    EXPECT_EQ(1, CountThreadWindows(TOOLTIPS_CLASSW));
    EXPECT_EQ(0u, second.Close());
    EXPECT_EQ(alone, CountThreadWindows());
  }
  ExpectNothingLeft(ocx);
}

using ExtremeBounds = OcxTest;

// Sizes and bounds beyond what a window or a device can have are refused
// with an error; the control keeps what it had.
TEST_F(ExtremeBounds, AreRefusedWithAnError) {
  {
    ParentWindow window;
    SitedControl placed = PlaceButton(ocx, window, kRunnable);
    ASSERT_TRUE(IsWindow(placed.Surface()));
    ComPtr<IOleObject> ole = placed.As<IOleObject>();
    ComPtr<IOleInPlaceObject> inplace = placed.As<IOleInPlaceObject>();
    ComPtr<IViewObject> view = placed.As<IViewObject>();
    SIZEL before{};
    ASSERT_EQ(S_OK, ole->GetExtent(DVASPECT_CONTENT, &before));

    const SIZEL extents[] = {{LONG_MAX, 100}, {100, LONG_MAX}, {LONG_MIN, 100},
                             {-1, 100},       {2000000, 100},  {100, 2000000}};
    for (SIZEL e : extents) {
      EXPECT_EQ(E_INVALIDARG, ole->SetExtent(DVASPECT_CONTENT, &e)) << e.cx << " x " << e.cy;
    }
    SIZEL after{};
    ole->GetExtent(DVASPECT_CONTENT, &after);
    EXPECT_EQ(before.cx, after.cx);
    EXPECT_EQ(before.cy, after.cy);

    const RECT rects[] = {{LONG_MIN, 0, LONG_MAX, 20}, {0, LONG_MIN, 20, LONG_MAX},
                          {0, 0, 40000, 20},          {0, 0, 20, 40000},
                          {LONG_MAX - 5, 0, LONG_MAX, 20}, {-(1 << 28), 0, -(1 << 28) + 20, 20}};
    for (const RECT& r : rects) {
      EXPECT_EQ(E_INVALIDARG, inplace->SetObjectRects(&r, &r)) << r.left << "," << r.top;
    }

    HDC dc = CreateCompatibleDC(nullptr);
    const RECTL bounds[] = {{LONG_MIN, 0, LONG_MAX, 20}, {0, LONG_MIN, 20, LONG_MAX},
                            {LONG_MAX - 5, 0, LONG_MAX, 20}};
    for (const RECTL& b : bounds) {
      EXPECT_EQ(E_INVALIDARG, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &b,
                                         nullptr, nullptr, 0));
    }
    const RECTL fine{0, 0, 160, 40};
    EXPECT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &fine, nullptr,
                               nullptr, 0));
    DeleteDC(dc);
    const RECT placed_rect{10, 20, 170, 60};
    EXPECT_EQ(S_OK, inplace->SetObjectRects(&placed_rect, &placed_rect));
    ole.Reset();
    inplace.Reset();
    view.Reset();
    EXPECT_EQ(0u, placed.Close());
  }
  ExpectNothingLeft(ocx);
}

}  // namespace
}  // namespace pelzorvick::test
