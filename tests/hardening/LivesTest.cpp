// A thousand lives of the control in one process, through the built .ocx's
// own exports, across the five display modes: the window system's objects
// and the kernel's handles come back, every last Release answers 0, and the
// library may unload at the end.

#include <gtest/gtest.h>

#include <cstdio>

#include "PelZorvick_h.h"
#include "tests/component-object/Fakes.h"
#include "tests/hardening/ControlLife.h"
#include "tests/hardening/ResourceCounts.h"
#include "tests/hardening/Support.h"

namespace pelzorvick::test {
namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();

constexpr int kLives = 1000;
constexpr int kWarmUp = 10;
constexpr int kClickEvery = 10;  // a click starts a process: every tenth life

TEST(Lives, AThousandGiveBackEverything) {
  HMODULE ocx = LoadLibraryW(FromHostPath(PZ_OCX_PATH).c_str());
  ASSERT_NE(nullptr, ocx) << GetLastError();
  auto get_class_object = reinterpret_cast<GetClassObjectFn>(
      reinterpret_cast<void*>(GetProcAddress(ocx, "DllGetClassObject")));
  auto can_unload = reinterpret_cast<CanUnloadFn>(
      reinterpret_cast<void*>(GetProcAddress(ocx, "DllCanUnloadNow")));
  ASSERT_TRUE(get_class_object && can_unload);
  EXPECT_EQ(S_OK, can_unload());

  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  LifeSetup setup;
  setup.image = std::wstring(temp) + L"pz-lives.bmp";
  ASSERT_TRUE(WriteBitmapFile(setup.image));
  setup.command = MarkerPath() + L" -";

  const ResourceCounts start = CountResources();
  ResourceCounts warm;
  int failed = 0, unreleased = 0, clicks = 0;
  std::string first_failure;
  {
    ParentWindow parent;
    setup.parent = parent.hwnd();
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, get_class_object(CLSID_ZorvickCtrl, IID_IClassFactory,
                                     reinterpret_cast<void**>(&factory)));
    for (int life = 0; life < kLives; ++life) {
      if (life == kWarmUp) warm = CountResources();
      const bool click = life % kClickEvery == kClickEvery - 1;
      clicks += click;
      const LifeResult r = LiveOnce(factory, setup, kDisplayModes[life % 5], click);
      if (!r.failure.empty()) {
        if (failed++ == 0) first_failure = r.failure + " in life " + std::to_string(life);
      }
      unreleased += r.last_release != 0 || r.site_release != 0;
    }
    EXPECT_EQ(0u, factory->Release());
  }
  // The started programs end on their own; give the last ones the time.
  Sleep(500);
  const ResourceCounts end = CountResources();
  std::printf("lives %d (%d clicks) start: %s\n", kLives, clicks, Describe(start).c_str());
  std::printf("after %d lives: %s\n", kWarmUp, Describe(warm).c_str());
  std::printf("after %d lives: %s\n", kLives, Describe(end).c_str());
  ::testing::Test::RecordProperty("gdi", std::to_string(start.gdi) + "/" + std::to_string(warm.gdi) +
                                             "/" + std::to_string(end.gdi));
  ::testing::Test::RecordProperty("user", std::to_string(start.user) + "/" + std::to_string(warm.user) +
                                              "/" + std::to_string(end.user));

  EXPECT_EQ(0, failed) << first_failure;
  EXPECT_EQ(0, unreleased) << "lives whose last Release was not 0";
  // A leak of any one life's objects would show about a thousand times; the
  // system's own caches (fonts, stock brushes) may still add one or two late.
  constexpr long kSystemSlack = 4;
  EXPECT_LE(end.gdi, warm.gdi + kSystemSlack);
  EXPECT_LE(end.user, warm.user + kSystemSlack);
  // COM and the window system keep a few handles of their own coming and going.
  EXPECT_LE(end.kernel, warm.kernel + 8);
  EXPECT_EQ(S_OK, can_unload());
  DeleteFileW(setup.image.c_str());
}

}  // namespace
}  // namespace pelzorvick::test
