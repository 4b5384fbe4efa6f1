#include "tests/hardening/ControlLife.h"

#include <vector>

#include "common/Stopwatch.h"
#include "tests/component-object/Fakes.h"
#include "tests/hardening/Support.h"
#include "tests/support/Bitmap.h"
#include "tests/support/FileBytes.h"

namespace pelzorvick::test {

const wchar_t* const kDisplayModes[5] = {L"Image", L"Icon", L"SmallIcon", L"Text", L"Button"};

namespace {

// Adds the time since the last mark to step `i`.
class StepClock {
 public:
  explicit StepClock(LifeSteps* steps) : steps_(steps), last_(steps ? Microseconds() : 0) {}
  void Mark(int i) {
    if (!steps_) return;
    const double now = Microseconds();
    steps_->us[i] += now - last_;
    last_ = now;
  }

 private:
  LifeSteps* steps_;
  double last_;
};

}  // namespace

const char* const LifeSteps::kNames[kCount] = {
    "create and site", "load from the bag", "activate in place", "paint",
    "press and release", "Draw", "save to a bag", "deactivate, close, release"};

void PutLifeProperties(FakeBag& bag, const LifeSetup& setup, const wchar_t* mode) {
  bag.PutText(L"Control", mode);
  bag.PutText(L"Command", setup.command);
  bag.PutText(L"Text", L"A life");
  bag.PutText(L"ImageURL", setup.image);
  bag.PutText(L"BackColor", L"#204060");
}

LifeResult LiveOnce(IClassFactory* factory, const LifeSetup& setup, const wchar_t* mode, bool click,
                    LifeSteps* steps) {
  StepClock clock(steps);
  LifeResult r;
  ComPtr<IOleObject> ole;
  ComPtr<IOleInPlaceObject> inplace;
  ComPtr<IPersistPropertyBag> persist;
  ComPtr<IViewObject2> view;
  ComPtr<FakeSite> site;
  auto fail = [&](const char* step, HRESULT hr) {
    if (r.failure.empty()) {
      char text[96];
      snprintf(text, sizeof text, "%s failed: 0x%08lX", step, static_cast<unsigned long>(hr));
      r.failure = text;
    }
  };
  HRESULT hr = factory->CreateInstance(nullptr, IID_IOleObject, reinterpret_cast<void**>(ole.GetAddressOf()));
  if (FAILED(hr) || !ole) {
    fail("CreateInstance", hr);
    return r;
  }
  ole.As(&inplace);
  ole.As(&persist);
  ole.As(&view);
  if (!inplace || !persist || !view) fail("QueryInterface", E_NOINTERFACE);

  site = new FakeSite(setup.parent, Ambient::kRunning);
  site->calls.Expect(kSiteOfAPlacedControl);
  site->object = inplace.Get();
  if (FAILED(hr = ole->SetClientSite(site.Get()))) fail("SetClientSite", hr);
  clock.Mark(0);
  {
    ComPtr<FakeBag> bag(new FakeBag);
    bag->calls.Expect({"Read"});
    PutLifeProperties(*bag.Get(), setup, mode);
    if (persist && FAILED(hr = persist->Load(bag.Get(), nullptr))) fail("Load", hr);
  }
  clock.Mark(1);
  if (FAILED(hr = ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, setup.parent,
                              &site->rect))) {
    fail("DoVerb", hr);
  }
  HWND window = nullptr;
  clock.Mark(2);
  if (inplace && SUCCEEDED(inplace->GetWindow(&window))) {
    r.window = window;
    UpdateWindow(window);
    PumpMessages();
    clock.Mark(3);
    HWND surface = MouseTarget(window);
    SendMessageW(surface, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    const LPARAM at = click ? MAKELPARAM(2, 2) : MAKELPARAM(-5, -5);
    SendMessageW(surface, WM_LBUTTONUP, 0, at);
    PumpMessages();
  } else {
    fail("GetWindow", E_FAIL);
  }
  clock.Mark(4);
  if (view) {
    MemoryCanvas canvas(48, 48);
    RECTL bounds{0, 0, 48, 48};
    if (FAILED(hr = view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc(), &bounds,
                               nullptr, nullptr, 0))) {
      fail("Draw", hr);
    }
  }
  clock.Mark(5);
  {
    ComPtr<FakeBag> saved(new FakeBag);
    saved->calls.Expect({"Write"});
    if (persist && FAILED(hr = persist->Save(saved.Get(), TRUE, TRUE))) fail("Save", hr);
    if (saved->values.size() != 18) fail("Save of every key", E_FAIL);
  }
  clock.Mark(6);
  if (inplace && FAILED(hr = inplace->InPlaceDeactivate())) fail("InPlaceDeactivate", hr);
  if (window && IsWindow(window)) fail("the window's end", E_FAIL);
  if (FAILED(hr = ole->Close(OLECLOSE_NOSAVE))) fail("Close", hr);
  if (FAILED(hr = ole->SetClientSite(nullptr))) fail("SetClientSite(NULL)", hr);
  site->object = nullptr;
  view.Reset();
  persist.Reset();
  inplace.Reset();
  r.last_release = ole.Reset();
  PumpMessages();
  r.site_release = site.Reset();
  clock.Mark(7);
  return r;
}

bool WriteBitmapFile(const std::wstring& path) {
  const int w = 24, h = 16;
  const int stride = BmpStride(w, 24);
  std::string pixels(static_cast<std::size_t>(stride) * h, '\0');
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      char* p = &pixels[y * stride + x * 3];
      p[0] = static_cast<char>(x * 10);
      p[1] = static_cast<char>(y * 15);
      p[2] = static_cast<char>(0xC0);
    }
  return WriteFileBytes(path, BmpFile(w, h, 24, {}, pixels));
}

}  // namespace pelzorvick::test
