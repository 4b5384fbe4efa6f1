// Keyboard and screen readers on a real surface window: the dialog code and
// tab stop, Space, Enter and Escape, the accelerator pass-through, the events
// a screen reader hears, and the accessible object it gets from the window,
// before and after the container lets the control go.

#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "tests/component-object/Fakes.h"

namespace pelzorvick::test {
namespace {

void PutText(_ZorvickCtrl* dual, HRESULT (STDMETHODCALLTYPE _ZorvickCtrl::*put)(BSTR),
             const std::wstring& text) {
  BSTR b = SysAllocString(text.c_str());
  (dual->*put)(b);
  SysFreeString(b);
}

VARIANT Self() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = CHILDID_SELF;
  return v;
}

std::wstring Take(BSTR b) {
  std::wstring s = b ? std::wstring(b, SysStringLen(b)) : std::wstring();
  SysFreeString(b);
  return s;
}

class Accessibility : public ::testing::Test {
 protected:
  void SetUp() override {
    control_ = NewControl<IOleObject>();
    site_ = new FakeSite(parent_.hwnd(), Ambient::kRunning);
    site_->calls.Expect(kSiteOfAPlacedControl);
    control_.As(&inplace_);
    control_.As(&active_);
    site_->object = inplace_.Get();
    control_->SetClientSite(site_.Get());
    ComPtr<IPersistStreamInit> persist;
    control_.As(&persist);
    persist->InitNew();
    control_.As(&dual_);
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    command_ = std::wstring(system) + L"\\cmd.exe /c exit";
    PutText(dual_.Get(), &_ZorvickCtrl::put_Command, command_);
    PutText(dual_.Get(), &_ZorvickCtrl::put_Text, L"Launch");
    ComPtr<IConnectionPointContainer> points;
    control_.As(&points);
    points->FindConnectionPoint(DIID___ZorvickCtrl, &point_);
    sink_ = new EventSink;
    sink_->calls.Expect({"Click"});
    point_->Advise(sink_.Get(), &cookie_);
  }
  void Activate(const wchar_t* mode, bool border = true) {
    PutText(dual_.Get(), &_ZorvickCtrl::put_Control, mode);
    dual_->put_Border(border ? VARIANT_TRUE : VARIANT_FALSE);
    ASSERT_EQ(S_OK, control_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.Get(), 0,
                                     parent_.hwnd(), &site_->rect));
    inplace_->GetWindow(&window_);
    UpdateWindow(window_);
    PumpMessages();
    surface_ = window_;  // the surface is a region of the control's window
    ASSERT_TRUE(IsWindow(surface_));
  }
  void TearDown() override {
    if (!control_) return;
    point_->Unadvise(cookie_);
    control_->Close(OLECLOSE_NOSAVE);
    control_->SetClientSite(nullptr);
  }
  ComPtr<IAccessible> Accessible() {
    ComPtr<IAccessible> acc;
    EXPECT_EQ(S_OK, AccessibleObjectFromWindow(surface_, OBJID_CLIENT, IID_PPV_ARGS(&acc)));
    return acc;
  }
  long State(IAccessible* acc) {
    VARIANT state;
    VariantInit(&state);
    EXPECT_EQ(S_OK, acc->get_accState(Self(), &state));
    return state.lVal;
  }
  void Key(UINT message, WPARAM key, bool repeat = false) {
    SendMessageW(surface_, message, key, repeat ? (1 << 30) | 1 : 1);
    PumpMessages();
  }
  size_t Clicks() const { return sink_->calls.Count("Click"); }

  ParentWindow parent_;
  ComPtr<IOleObject> control_;
  ComPtr<IOleInPlaceObject> inplace_;
  ComPtr<IOleInPlaceActiveObject> active_;
  ComPtr<_ZorvickCtrl> dual_;
  ComPtr<FakeSite> site_;
  ComPtr<IConnectionPoint> point_;
  ComPtr<EventSink> sink_;
  DWORD cookie_ = 0;
  std::wstring command_;
  HWND window_ = nullptr;
  HWND surface_ = nullptr;
};

TEST_F(Accessibility, ATabStopThatAnswersAsAPushButton) {
  Activate(L"Button");
  EXPECT_TRUE(GetWindowLongW(surface_, GWL_STYLE) & WS_TABSTOP);
  EXPECT_EQ(DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON, SendMessageW(surface_, WM_GETDLGCODE, 0, 0));
  MSG enter{surface_, WM_KEYDOWN, VK_RETURN, 1, 0, {}};
  EXPECT_TRUE(SendMessageW(surface_, WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&enter)) &
              DLGC_WANTMESSAGE);
  MSG escape{surface_, WM_KEYDOWN, VK_ESCAPE, 1, 0, {}};
  EXPECT_FALSE(SendMessageW(surface_, WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&escape)) &
               DLGC_WANTMESSAGE) << "Escape is the dialog's unless Space is held";
}

TEST_F(Accessibility, SpaceAndEnterClickOnceEscapeCancels) {
  Activate(L"Button");
  SetFocus(surface_);
  PumpMessages();
  ComPtr<IAccessible> acc = Accessible();
  ASSERT_TRUE(acc);
  EXPECT_TRUE(State(acc.Get()) & STATE_SYSTEM_FOCUSED);
  EXPECT_EQ(1, site_->calls.Count("OnUIActivate")) << "focus UI-activates the control";

  Key(WM_KEYDOWN, VK_SPACE);
  EXPECT_TRUE(State(acc.Get()) & STATE_SYSTEM_PRESSED);
  Key(WM_KEYDOWN, VK_SPACE, true);
  Key(WM_KEYDOWN, VK_SPACE, true);
  EXPECT_EQ(0u, Clicks());
  Key(WM_KEYUP, VK_SPACE);
  EXPECT_FALSE(State(acc.Get()) & STATE_SYSTEM_PRESSED);
  EXPECT_EQ(1u, Clicks());

  Key(WM_KEYDOWN, VK_RETURN);
  Key(WM_KEYDOWN, VK_RETURN, true);
  Key(WM_KEYUP, VK_RETURN);
  EXPECT_EQ(2u, Clicks());

  Key(WM_KEYDOWN, VK_SPACE);
  MSG escape{surface_, WM_KEYDOWN, VK_ESCAPE, 1, 0, {}};
  EXPECT_TRUE(SendMessageW(surface_, WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&escape)) &
              DLGC_WANTMESSAGE);
  Key(WM_KEYDOWN, VK_ESCAPE);
  Key(WM_KEYUP, VK_SPACE);
  EXPECT_EQ(2u, Clicks());
  EXPECT_FALSE(State(acc.Get()) & STATE_SYSTEM_PRESSED);
}

// What a screen reader hears without asking: the events raised for the
// surface, through a hook as one listens.
std::vector<DWORD>* g_heard = nullptr;
HWND g_heard_from = nullptr;

void CALLBACK Hear(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  if (g_heard && hwnd == g_heard_from && object == OBJID_CLIENT && child == CHILDID_SELF) {
    g_heard->push_back(event);
  }
}

TEST_F(Accessibility, FocusPressAndANewCaptionAreAnnounced) {
  Activate(L"Button");
  std::vector<DWORD> heard;
  g_heard = &heard;
  g_heard_from = surface_;
  const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_NAMECHANGE, nullptr,
                                             Hear, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(nullptr, hook);
  const auto count = [&](DWORD event) { return std::count(heard.begin(), heard.end(), event); };

  SetFocus(surface_);
  PumpMessages();
  EXPECT_GE(count(EVENT_OBJECT_FOCUS), 1);
  heard.clear();
  Key(WM_KEYDOWN, VK_SPACE);
  Key(WM_KEYUP, VK_SPACE);
  EXPECT_GE(count(EVENT_OBJECT_STATECHANGE), 2) << "pressed, then released";
  EXPECT_EQ(0, count(EVENT_OBJECT_NAMECHANGE));

  heard.clear();
  PutText(dual_.Get(), &_ZorvickCtrl::put_Text, L"Renamed");
  PumpMessages();
  EXPECT_EQ(0, count(EVENT_OBJECT_NAMECHANGE)) << "not before a paint shows it";
  InvalidateRect(window_, nullptr, FALSE);
  UpdateWindow(window_);
  PumpMessages();
  EXPECT_EQ(1, count(EVENT_OBJECT_NAMECHANGE));

  UnhookWinEvent(hook);
  g_heard = nullptr;
}

TEST_F(Accessibility, TranslateAcceleratorPassesOnlyTheSurfacesKeys) {
  Activate(L"Text");
  MSG space{surface_, WM_KEYDOWN, VK_SPACE, 1, 0, {}};
  EXPECT_EQ(S_FALSE, active_->TranslateAccelerator(&space)) << "not focused";
  SetFocus(surface_);
  PumpMessages();
  MSG tab{surface_, WM_KEYDOWN, VK_TAB, 1, 0, {}};
  MSG letter{surface_, WM_KEYDOWN, 'A', 1, 0, {}};
  MSG escape{surface_, WM_KEYDOWN, VK_ESCAPE, 1, 0, {}};
  MSG other{parent_.hwnd(), WM_KEYDOWN, VK_SPACE, 1, 0, {}};
  EXPECT_EQ(S_FALSE, active_->TranslateAccelerator(&tab));
  EXPECT_EQ(S_FALSE, active_->TranslateAccelerator(&letter));
  EXPECT_EQ(S_FALSE, active_->TranslateAccelerator(&escape));
  EXPECT_EQ(S_FALSE, active_->TranslateAccelerator(&other));
  EXPECT_EQ(S_OK, active_->TranslateAccelerator(&space));
  MSG space_up{surface_, WM_KEYUP, VK_SPACE, 1, 0, {}};
  EXPECT_EQ(S_OK, active_->TranslateAccelerator(&space_up));
  PumpMessages();
  EXPECT_EQ(1u, Clicks());
  EXPECT_EQ(E_POINTER, active_->TranslateAccelerator(nullptr));
}

TEST_F(Accessibility, FactsInEveryDisplayMode) {
  const struct {
    const wchar_t* mode;
    bool border;
    long role;
    const wchar_t* action;
    bool named_by_text;
  } cases[] = {
      {L"Button", false, ROLE_SYSTEM_PUSHBUTTON, L"Press", true},
      {L"Text", true, ROLE_SYSTEM_LINK, L"Jump", true},
      {L"Image", true, ROLE_SYSTEM_PUSHBUTTON, L"Press", false},
      {L"Icon", false, ROLE_SYSTEM_PUSHBUTTON, L"Press", false},
      {L"SmallIcon", true, ROLE_SYSTEM_PUSHBUTTON, L"Press", false},
      {L"Other", true, ROLE_SYSTEM_PUSHBUTTON, L"Press", true},
      {L"Other", false, ROLE_SYSTEM_LINK, L"Jump", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    TearDown();
    SetUp();
    Activate(c.mode, c.border);
    ComPtr<IAccessible> acc = Accessible();
    ASSERT_TRUE(acc);
    BSTR b = nullptr;
    ASSERT_EQ(S_OK, acc->get_accName(Self(), &b));
    EXPECT_EQ(c.named_by_text ? L"Launch" : command_, Take(b));
    ASSERT_EQ(S_OK, acc->get_accDescription(Self(), &b));
    EXPECT_EQ(command_, Take(b));
    ASSERT_EQ(S_OK, acc->get_accDefaultAction(Self(), &b));
    EXPECT_EQ(c.action, Take(b));
    VARIANT role;
    VariantInit(&role);
    ASSERT_EQ(S_OK, acc->get_accRole(Self(), &role));
    EXPECT_EQ(c.role, role.lVal);
    const long state = State(acc.Get());
    EXPECT_TRUE(state & STATE_SYSTEM_FOCUSABLE);
    EXPECT_FALSE(state & STATE_SYSTEM_FOCUSED);
    EXPECT_EQ(c.role == ROLE_SYSTEM_LINK, (state & STATE_SYSTEM_LINKED) != 0);
    RECT rect{};
    GetWindowRect(surface_, &rect);
    long x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(S_OK, acc->accLocation(&x, &y, &w, &h, Self()));
    EXPECT_EQ(rect.left, x);
    EXPECT_EQ(rect.top, y);
    EXPECT_EQ(rect.right - rect.left, w);
    EXPECT_EQ(rect.bottom - rect.top, h);
    VARIANT child = Self();
    child.lVal = 1;
    EXPECT_EQ(E_INVALIDARG, acc->get_accName(child, &b));
  }
}

TEST_F(Accessibility, DefaultActionStartsTheCommandAndRaisesClick) {
  const MarkerCommand marker(L"pz-accessible-marker.txt");
  PutText(dual_.Get(), &_ZorvickCtrl::put_Command, marker.command);
  Activate(L"Button");
  ComPtr<IAccessible> acc = Accessible();
  ASSERT_TRUE(acc);
  EXPECT_EQ(S_OK, acc->accDoDefaultAction(Self()));
  EXPECT_EQ(1u, Clicks());
  EXPECT_TRUE(marker.Ran());
}

TEST_F(Accessibility, TheObjectFailsCleanlyAfterTheControlIsGone) {
  Activate(L"Button");
  ComPtr<IAccessible> acc = Accessible();
  ASSERT_TRUE(acc);
  TearDown();
  point_.Reset();
  inplace_.Reset();
  active_.Reset();
  dual_.Reset();
  control_.Reset();
  BSTR b = nullptr;
  const HRESULT hr = acc->get_accName(Self(), &b);
  EXPECT_TRUE(hr == RPC_E_DISCONNECTED || hr == E_FAIL) << std::hex << hr;
  EXPECT_EQ(nullptr, b);
  EXPECT_TRUE(FAILED(acc->accDoDefaultAction(Self())));
  VARIANT state;
  EXPECT_TRUE(FAILED(acc->get_accState(Self(), &state)));
  long x, y, w, h;
  EXPECT_TRUE(FAILED(acc->accLocation(&x, &y, &w, &h, Self())));
  EXPECT_EQ(0u, Clicks());
}

}  // namespace
}  // namespace pelzorvick::test
