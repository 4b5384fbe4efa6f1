// A container may do anything while the control calls it: release the
// control, deactivate it, take its site away, destroy its windows. Each test
// reaches the built .ocx through its exports and ends with the last Release
// returning 0 and the library free to unload.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/component-object/Fakes.h"
#include "tests/component-object/OcxClient.h"

namespace pelzorvick::test {
namespace {

constexpr wchar_t kControlClass[] = L"PelZorvickControl";
constexpr wchar_t kCanvasClass[] = L"PelZorvickCanvas";
constexpr wchar_t kRunnable[] = L"C:\\windows\\system32\\cmd.exe /c exit";
constexpr wchar_t kMissing[] = L"C:\\no\\such\\folder\\program.exe";

VARIANT Text(const wchar_t* text) {
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(text);
  return v;
}

// A Click sink that runs the test's action.
class ClickSink : public ComBase<Implements<__ZorvickCtrl, IDispatch>> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    ++clicks;
    if (on_click) on_click();
    return S_OK;
  }
  std::function<void()> on_click;
  int clicks = 0;
};

// A change sink that runs the test's action on the first change it hears.
class ChangeSink : public ComBase<Implements<IPropertyNotifySink>> {
 public:
  HRESULT STDMETHODCALLTYPE OnChanged(DISPID) override {
    if (on_change) std::exchange(on_change, nullptr)();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
  std::function<void()> on_change;
};

// A bag that runs the test's action when `key` is read.
class ActingBag : public FakeBag {
 public:
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override {
    if (on_read && key == name) std::exchange(on_read, nullptr)();
    return FakeBag::Read(name, value, log);
  }
  std::wstring key;
  std::function<void()> on_read;
};

DWORD Advise(IUnknown* control, REFIID iid, IUnknown* sink) {
  ComPtr<IConnectionPointContainer> points;
  control->QueryInterface(IID_PPV_ARGS(&points));
  ComPtr<IConnectionPoint> point;
  points->FindConnectionPoint(iid, &point);
  DWORD cookie = 0;
  point->Advise(sink, &cookie);
  return cookie;
}

void Unadvise(IUnknown* control, REFIID iid, DWORD cookie) {
  ComPtr<IConnectionPointContainer> points;
  control->QueryInterface(IID_PPV_ARGS(&points));
  ComPtr<IConnectionPoint> point;
  points->FindConnectionPoint(iid, &point);
  point->Unadvise(cookie);
}

// A control placed in a container window, active in place. `control` is
// the container's one reference; a test that lets it go sets it null.
struct Placed {
  OcxLibrary& ocx;
  ContainerWindow window;
  ComPtr<FakeSite> site;
  IUnknown* control = nullptr;

  Placed(OcxLibrary& library, const wchar_t* command) : ocx(library) {
    site = new FakeSite(window.hwnd(), Ambient::kRunning);
    control = ocx.Create<IUnknown>();
    if (!control) return;
    ComPtr<IOleObject> ole;
    control->QueryInterface(IID_PPV_ARGS(&ole));
    ole->SetClientSite(site.Get());
    ComPtr<IPersistPropertyBag> persist;
    control->QueryInterface(IID_PPV_ARGS(&persist));
    ComPtr<FakeBag> bag(new FakeBag);
    bag->values[L"Control"] = Text(L"Button");
    bag->values[L"Text"] = Text(L"Go");
    bag->values[L"Command"] = Text(command);
    persist->Load(bag.Get(), nullptr);
    ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, window.hwnd(), &site->rect);
  }

  template <class T>
  ComPtr<T> As() const {
    ComPtr<T> out;
    if (control) control->QueryInterface(IID_PPV_ARGS(&out));
    return out;
  }

  HWND Canvas() const {
    HWND hwnd = nullptr;
    if (auto w = As<IOleWindow>()) w->GetWindow(&hwnd);
    return hwnd ? FindWindowExW(hwnd, nullptr, kCanvasClass, nullptr) : nullptr;
  }

  void Click() const {
    HWND canvas = Canvas();
    SendMessageW(canvas, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(canvas, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  }

  // The container's teardown; the last Release must destroy the control.
  ULONG TearDown() {
    if (!control) return 0;
    if (auto ole = As<IOleObject>()) {
      ole->Close(OLECLOSE_NOSAVE);
      ole->SetClientSite(nullptr);
    }
    return std::exchange(control, nullptr)->Release();
  }
};

void ExpectNothingLeft(OcxLibrary& ocx) {
  PumpMessages();
  EXPECT_EQ(S_OK, ocx.CanUnloadNow());
  EXPECT_EQ(0, CountThreadWindows(kControlClass));
  EXPECT_EQ(0, CountThreadWindows(kCanvasClass));
}

enum class Action { kRelease, kDeactivate, kUnsite, kClose, kExecute, kUnadviseOther };

struct ActionCase {
  const char* name;
  Action action;
  bool in_message_box;  // from inside "Command not found!"'s loop
};

class ClickHandler : public ::testing::TestWithParam<ActionCase> {};

TEST_P(ClickHandler, MayDoAnythingToTheControl) {
  const ActionCase& c = GetParam();
  OcxLibrary ocx;
  ASSERT_TRUE(ocx.Loaded());
  {
    Placed placed(ocx, c.in_message_box ? kMissing : kRunnable);
    ASSERT_TRUE(placed.control);
    ASSERT_TRUE(placed.Canvas());
    ComPtr<ClickSink> sink(new ClickSink);
    ComPtr<ClickSink> other(new ClickSink);
    const DWORD cookie = Advise(placed.control, DIID___ZorvickCtrl, sink.Get());
    const DWORD other_cookie = Advise(placed.control, DIID___ZorvickCtrl, other.Get());
    ULONG released = ~0u;
    const auto act = [&] {
      switch (c.action) {
        case Action::kRelease:
          released = std::exchange(placed.control, nullptr)->Release();
          break;
        case Action::kDeactivate:
          EXPECT_EQ(S_OK, placed.As<IOleInPlaceObject>()->InPlaceDeactivate());
          break;
        case Action::kUnsite:
          EXPECT_EQ(S_OK, placed.As<IOleObject>()->SetClientSite(nullptr));
          break;
        case Action::kClose:
          EXPECT_EQ(S_OK, placed.As<IOleObject>()->Close(OLECLOSE_NOSAVE));
          break;
        case Action::kExecute: {
          // A command that is found: no second message box.
          ComPtr<IDispatch> dispatch = placed.As<IDispatch>();
          EXPECT_EQ(S_OK, PutByName(dispatch.Get(), L"Command", Text(kRunnable)));
          EXPECT_EQ(S_OK, placed.As<_ZorvickCtrl>()->Execute());
          break;
        }
        case Action::kUnadviseOther:
          Unadvise(placed.control, DIID___ZorvickCtrl, other_cookie);
          break;
      }
    };
    if (c.in_message_box) {
      std::function<void()> close = [&] {
        if (!CloseMessageBox()) placed.window.Post(close);
      };
      placed.window.Post([&] {
        act();
        close();
      });
    } else {
      sink->on_click = act;
    }
    placed.Click();
    EXPECT_EQ(1, sink->clicks);
    if (c.action == Action::kRelease) {
      EXPECT_NE(0u, released) << "destroyed while still running";
    } else {
      Unadvise(placed.control, DIID___ZorvickCtrl, cookie);
    }
    EXPECT_EQ(0u, placed.TearDown());
    EXPECT_EQ(0u, sink.Reset());
  }
  ExpectNothingLeft(ocx);
}

const ActionCase kActions[] = {
    {"Release", Action::kRelease, false},
    {"Deactivate", Action::kDeactivate, false},
    {"Unsite", Action::kUnsite, false},
    {"Close", Action::kClose, false},
    {"Execute", Action::kExecute, false},
    {"UnadviseOther", Action::kUnadviseOther, false},
    {"ReleaseInMessageBox", Action::kRelease, true},
    {"DeactivateInMessageBox", Action::kDeactivate, true},
    {"UnsiteInMessageBox", Action::kUnsite, true},
    {"CloseInMessageBox", Action::kClose, true},
    {"ExecuteInMessageBox", Action::kExecute, true},
    {"UnadviseOtherInMessageBox", Action::kUnadviseOther, true},
};

INSTANTIATE_TEST_SUITE_P(Actions, ClickHandler, ::testing::ValuesIn(kActions),
                         [](const auto& info) { return std::string(info.param.name); });

// The container's last reference let go while the control calls out to it:
// in a change notification, in the bag's and the stream's reads of a load.
TEST(ContainerReleases, InsideTheChangeNotification) {
  OcxLibrary ocx;
  ASSERT_TRUE(ocx.Loaded());
  _ZorvickCtrl* control = ocx.Create<_ZorvickCtrl>();
  ASSERT_TRUE(control);
  ComPtr<ChangeSink> sink(new ChangeSink);
  Advise(control, IID_IPropertyNotifySink, sink.Get());
  ULONG released = ~0u;
  sink->on_change = [&] { released = control->Release(); };
  BSTR text = SysAllocString(L"changed");
  EXPECT_EQ(S_OK, control->put_Text(text));
  SysFreeString(text);
  EXPECT_NE(0u, released) << "destroyed while still running";
  EXPECT_EQ(0u, sink.Reset());
  ExpectNothingLeft(ocx);
}

TEST(ContainerReleases, WhileTheBagIsRead) {
  OcxLibrary ocx;
  ASSERT_TRUE(ocx.Loaded());
  IPersistPropertyBag* persist = ocx.Create<IPersistPropertyBag>();
  ASSERT_TRUE(persist);
  ComPtr<ActingBag> bag(new ActingBag);
  bag->values[L"Command"] = Text(kMissing);
  bag->key = L"Command";
  ULONG released = ~0u;
  bag->on_read = [&] { released = persist->Release(); };
  EXPECT_EQ(S_OK, persist->Load(bag.Get(), nullptr));
  EXPECT_NE(0u, released) << "destroyed while still loading";
  ExpectNothingLeft(ocx);
}

// A stream that releases the control at its first read.
class ActingStream : public ComBase<Implements<ISequentialStream>> {
 public:
  explicit ActingStream(IStream* inner) : inner_(inner) {}
  HRESULT STDMETHODCALLTYPE Read(void* data, ULONG size, ULONG* read) override {
    if (on_read) std::exchange(on_read, nullptr)();
    return inner_->Read(data, size, read);
  }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
  std::function<void()> on_read;

 private:
  ComPtr<IStream> inner_;
};

TEST(ContainerReleases, WhileTheStreamIsRead) {
  OcxLibrary ocx;
  ASSERT_TRUE(ocx.Loaded());
  ComPtr<IStream> stream;
  ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
  {
    IPersistStreamInit* saver = ocx.Create<IPersistStreamInit>();
    ASSERT_TRUE(saver);
    saver->InitNew();
    ASSERT_EQ(S_OK, saver->Save(stream.Get(), TRUE));
    EXPECT_EQ(0u, saver->Release());
  }
  stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
  IPersistStreamInit* persist = ocx.Create<IPersistStreamInit>();
  ASSERT_TRUE(persist);
  ComPtr<ActingStream> acting(new ActingStream(stream.Get()));
  ULONG released = ~0u;
  acting->on_read = [&] { released = persist->Release(); };
  // The control reads through ISequentialStream's Read only.
  EXPECT_EQ(S_OK, persist->Load(reinterpret_cast<IStream*>(
                      static_cast<ISequentialStream*>(acting.Get()))));
  EXPECT_NE(0u, released) << "destroyed while still loading";
  ExpectNothingLeft(ocx);
}

// The container destroys its window (and ours with it) before it
// deactivates the control: the control forgets the handles.
TEST(ContainerWindowGone, BeforeDeactivation) {
  OcxLibrary ocx;
  ASSERT_TRUE(ocx.Loaded());
  {
    Placed placed(ocx, kRunnable);
    ASSERT_TRUE(placed.Canvas());
    placed.window.Destroy();
    HWND hwnd = reinterpret_cast<HWND>(1);
    EXPECT_EQ(E_FAIL, placed.As<IOleWindow>()->GetWindow(&hwnd));
    EXPECT_EQ(nullptr, hwnd);
    EXPECT_EQ(S_OK, placed.As<IOleInPlaceObject>()->InPlaceDeactivate());
    EXPECT_EQ(0u, placed.TearDown());
  }
  ExpectNothingLeft(ocx);
}

// A refused child window stops the activation halfway.
HHOOK g_hook = nullptr;
LRESULT CALLBACK RefuseCanvas(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND) {
    auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lparam);
    const LPCWSTR cls = create->lpcs->lpszClass;
    if (!IS_INTRESOURCE(cls) && lstrcmpiW(cls, kCanvasClass) == 0) return 1;
  }
  return CallNextHookEx(g_hook, code, wparam, lparam);
}

TEST(FailedActivation, LeavesNoWindowAndAnInactiveSite) {
  OcxLibrary ocx;
  ASSERT_TRUE(ocx.Loaded());
  {
    ContainerWindow window;
    ComPtr<FakeSite> site(new FakeSite(window.hwnd(), Ambient::kRunning));
    IOleObject* ole = ocx.Create<IOleObject>();
    ASSERT_TRUE(ole);
    ole->SetClientSite(site.Get());
    ComPtr<IPersistStreamInit> persist;
    ole->QueryInterface(IID_PPV_ARGS(&persist));
    persist->InitNew();
    persist.Reset();

    g_hook = SetWindowsHookExW(WH_CBT, RefuseCanvas, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(g_hook);
    const HRESULT hr = ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, window.hwnd(),
                                   &site->rect);
    UnhookWindowsHookEx(g_hook);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(0, CountThreadWindows(kControlClass));
    EXPECT_EQ(site->inplace_activations, site->inplace_deactivations);
    ComPtr<IOleWindow> ole_window;
    ole->QueryInterface(IID_PPV_ARGS(&ole_window));
    HWND hwnd = nullptr;
    EXPECT_EQ(E_FAIL, ole_window->GetWindow(&hwnd));
    ole_window.Reset();

    // A place no window can have is refused before anything is made.
    site->rect = RECT{0, 0, 40000, 20};
    EXPECT_EQ(E_INVALIDARG, ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0,
                                        window.hwnd(), &site->rect));
    EXPECT_EQ(0, CountThreadWindows(kControlClass));
    EXPECT_EQ(site->inplace_activations, site->inplace_deactivations);

    // And the control still comes up where it can.
    site->rect = RECT{10, 20, 170, 60};
    EXPECT_EQ(S_OK, ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, window.hwnd(),
                                &site->rect));
    EXPECT_EQ(1, CountThreadWindows(kControlClass));
    ole->Close(OLECLOSE_NOSAVE);
    ole->SetClientSite(nullptr);
    EXPECT_EQ(0u, ole->Release());
  }
  ExpectNothingLeft(ocx);
}

// Sizes and bounds beyond what a window or a device can have are refused
// with an error; the control keeps what it had.
TEST(ExtremeBounds, AreRefusedWithAnError) {
  OcxLibrary ocx;
  ASSERT_TRUE(ocx.Loaded());
  {
    Placed placed(ocx, kRunnable);
    ASSERT_TRUE(placed.Canvas());
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
    EXPECT_EQ(0u, placed.TearDown());
  }
  ExpectNothingLeft(ocx);
}

// The library unloads once nothing is alive, takes its window classes with
// it, and comes back whole.
TEST(Library, UnloadsAndComesBack) {
  for (int round = 0; round < 2; ++round) {
    OcxLibrary ocx;
    ASSERT_TRUE(ocx.Loaded());
    const HMODULE module = ocx.module();
    {
      Placed placed(ocx, kRunnable);
      ASSERT_TRUE(placed.Canvas()) << "round " << round;
      EXPECT_EQ(S_FALSE, ocx.CanUnloadNow());
      EXPECT_EQ(0u, placed.TearDown());
    }
    ExpectNothingLeft(ocx);
    ocx.Unload();
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    EXPECT_FALSE(GetClassInfoExW(module, kControlClass, &info)) << "round " << round;
    EXPECT_FALSE(GetClassInfoExW(module, kCanvasClass, &info)) << "round " << round;
  }
}

}  // namespace
}  // namespace pelzorvick::test
