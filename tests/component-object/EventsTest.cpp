// Connection points: Click to every event sink, OnChanged with the dispatch
// id to every notification sink, dirtiness, frozen events.

#include <gtest/gtest.h>

#include "component/com/Handles.h"
#include "component/object/DispatchIds.h"
#include "control/ZorvickCtrl.h"
#include "tests/component-object/Fakes.h"

namespace pelzorvick::test {
namespace {

TEST(ObjectEvents, TwoPointsAndNoOthers) {
  ComPtr<IConnectionPointContainer> container = NewControl<IConnectionPointContainer>();
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(IID_IDispatch, &point));
  ComPtr<IEnumConnectionPoints> points;
  ASSERT_EQ(S_OK, container->EnumConnectionPoints(&points));
  IConnectionPoint* found[3] = {};
  ULONG fetched = 0;
  EXPECT_EQ(S_FALSE, points->Next(3, found, &fetched));
  ASSERT_EQ(2u, fetched);
  IID first{}, second{};
  found[0]->GetConnectionInterface(&first);
  found[1]->GetConnectionInterface(&second);
  EXPECT_EQ(DIID___ZorvickCtrl, first);
  EXPECT_EQ(IID_IPropertyNotifySink, second);
  for (ULONG i = 0; i < fetched; ++i) {
    ComPtr<IConnectionPointContainer> back;
    EXPECT_EQ(S_OK, found[i]->GetConnectionPointContainer(&back));
    EXPECT_EQ(container.Get(), back.Get());
    ComPtr<IConnectionPoint> owned;
    *owned.GetAddressOf() = found[i];  // adopted: mingw's Attach adds a reference
  }
}

TEST(ObjectEvents, EverySetterNotifiesEverySinkWithItsDispatchId) {
  ComPtr<IUnknown> control = NewControl<IUnknown>();
  ComPtr<IPersistStreamInit> persist;
  control.As(&persist);
  persist->InitNew();
  EXPECT_EQ(S_FALSE, persist->IsDirty());
  ComPtr<IConnectionPoint> point = PointFor(control.Get(), IID_IPropertyNotifySink);
  ComPtr<NotifySink> a(new NotifySink), b(new NotifySink);
  a->calls.Expect({"OnRequestEdit", "OnChanged"});
  b->calls.Expect({"OnRequestEdit", "OnChanged"});
  DWORD cookie_a = 0, cookie_b = 0;
  ASSERT_EQ(S_OK, point->Advise(a.Get(), &cookie_a));
  ASSERT_EQ(S_OK, point->Advise(b.Get(), &cookie_b));
  EXPECT_NE(cookie_a, cookie_b);

  ComPtr<IDispatch> dispatch;
  control.As(&dispatch);
  std::vector<std::string> expected;
  for (const Property& p : ZorvickCtrl::kProperties) {
    VARIANT value;
    VariantInit(&value);
    ASSERT_EQ(S_OK, GetByName(dispatch.Get(), std::wstring(p.name.begin(), p.name.end()).c_str(), &value));
    // The same value again still notifies.
    EXPECT_EQ(S_OK, PutByName(dispatch.Get(), std::wstring(p.name.begin(), p.name.end()).c_str(), value));
    VariantClear(&value);
    const std::string name(p.name.begin(), p.name.end());
    expected.push_back("OnRequestEdit(" + name + ")");
    expected.push_back("OnChanged(" + name + ")");
  }
  EXPECT_EQ(expected, a->calls.Lines());
  EXPECT_EQ(expected, b->calls.Take());
  EXPECT_EQ(S_OK, persist->IsDirty());

  EXPECT_EQ(S_OK, point->Unadvise(cookie_a));
  EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(cookie_a));
  ComPtr<_ZorvickCtrl> dual;
  control.As(&dual);
  dual->put_Border(VARIANT_FALSE);
  EXPECT_EQ(expected, a->calls.Lines());
  EXPECT_EQ((std::vector<std::string>{"OnRequestEdit(Border)", "OnChanged(Border)"}), b->calls.Lines());

  ComPtr<IStream> stream;
  ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
  EXPECT_EQ(S_OK, persist->Save(stream.Get(), TRUE));
  EXPECT_EQ(S_FALSE, persist->IsDirty());
  EXPECT_EQ(S_OK, point->Unadvise(cookie_b));
}

// A container may refuse a change (OnRequestEdit answering S_FALSE): the
// setter then fails with the error scripts know, and nothing changes.
TEST(ObjectEvents, ARefusedEditChangesNothingAndSaysSo) {
  ComPtr<_ZorvickCtrl> control = NewInitialisedControl<_ZorvickCtrl>();
  ComPtr<NotifySink> sink(new NotifySink);
  sink->calls.Expect({"OnRequestEdit", "OnChanged"});
  sink->refused = ZorvickCtrl::PropertyNamed(u"Text").dispid;
  const DWORD cookie = Advise(control.Get(), IID_IPropertyNotifySink, sink.Get());
  ComPtr<IDispatch> dispatch;
  control.As(&dispatch);

  EXPECT_EQ(DISP_E_EXCEPTION, PutText(dispatch.Get(), L"Text", L"refused"));
  const UniqueBstr text(SysAllocString(L"refused"));
  EXPECT_EQ(CTL_E_SETNOTPERMITTED, control->put_Text(text.get()));
  EXPECT_EQ(ErrorDescription(), L"The container does not let Text change now");
  EXPECT_EQ(S_OK, PutText(dispatch.Get(), L"Command", L"calc"));
  EXPECT_EQ(GetText(dispatch.Get(), L"Text"), L"");
  EXPECT_EQ(sink->calls.Lines(), (std::vector<std::string>{"OnRequestEdit(Text)", "OnRequestEdit(Text)",
                                                          "OnRequestEdit(Command)", "OnChanged(Command)"}));
  Unadvise(control.Get(), IID_IPropertyNotifySink, cookie);
}

TEST(ObjectEvents, AdviseRefusesSinksWithoutTheInterface) {
  ComPtr<IUnknown> control = NewControl<IUnknown>();
  ComPtr<IConnectionPoint> events = PointFor(control.Get(), DIID___ZorvickCtrl);
  ComPtr<NotifySink> wrong(new NotifySink);
  DWORD cookie = 7;
  EXPECT_EQ(CONNECT_E_CANNOTCONNECT, events->Advise(wrong.Get(), &cookie));
  EXPECT_EQ(0u, cookie);
  EXPECT_EQ(E_POINTER, events->Advise(nullptr, &cookie));
}

// Click comes from a real left press and release on the surface, with a
// command that starts and ends at once.
class ObjectClick : public ::testing::Test {
 protected:
  void SetUp() override {
    ComPtr<_ZorvickCtrl> dual = placed_.As<_ZorvickCtrl>();
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    PutString(dual.Get(), &_ZorvickCtrl::put_Command, std::wstring(system) + L"\\cmd.exe /c exit");
    PutString(dual.Get(), &_ZorvickCtrl::put_Control, L"Button");
    ASSERT_EQ(S_OK, placed_.Activate());
    surface_ = placed_.Surface();
    ASSERT_TRUE(IsWindow(surface_));
  }
  void TearDown() override { placed_.Close(); }
  void Press(UINT down, UINT up) {
    SendMessageW(surface_, down, down == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(3, 3));
    SendMessageW(surface_, up, 0, MAKELPARAM(3, 3));
    PumpMessages();
  }
  ComPtr<EventSink> NewSink() {
    ComPtr<EventSink> sink(new EventSink);
    sink->calls.Expect({"Click"});
    return sink;
  }

  ParentWindow parent_;
  SitedControl placed_{parent_.hwnd()};
  ComPtr<IOleObject>& control_ = placed_.control;
  HWND surface_ = nullptr;
};

TEST_F(ObjectClick, ReachesEverySinkUntilUnadvised) {
  ComPtr<IConnectionPoint> point = PointFor(control_.Get(), DIID___ZorvickCtrl);
  ComPtr<EventSink> sinks[3] = {NewSink(), NewSink(), NewSink()};
  DWORD cookies[3] = {};
  for (int i = 0; i < 3; ++i) ASSERT_EQ(S_OK, point->Advise(sinks[i].Get(), &cookies[i]));
  Press(WM_LBUTTONDOWN, WM_LBUTTONUP);
  for (auto& sink : sinks) EXPECT_EQ(std::vector<std::string>{"Click()"}, sink->calls.Lines());

  ASSERT_EQ(S_OK, point->Unadvise(cookies[1]));
  Press(WM_LBUTTONDOWN, WM_LBUTTONUP);
  EXPECT_EQ(2, sinks[0]->calls.Count("Click"));
  EXPECT_EQ(1, sinks[1]->calls.Count("Click"));
  EXPECT_EQ(2, sinks[2]->calls.Count("Click"));

  // Right button, or a release without a press: no click.
  Press(WM_RBUTTONDOWN, WM_RBUTTONUP);
  SendMessageW(surface_, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(2, sinks[0]->calls.Count("Click"));

  ComPtr<IEnumConnections> connections;
  ASSERT_EQ(S_OK, point->EnumConnections(&connections));
  CONNECTDATA data[3] = {};
  ULONG fetched = 0;
  connections->Next(3, data, &fetched);
  EXPECT_EQ(2u, fetched);
  for (ULONG i = 0; i < fetched; ++i) *ComPtr<IUnknown>().GetAddressOf() = data[i].pUnk;
  point->Unadvise(cookies[0]);
  point->Unadvise(cookies[2]);
}

TEST_F(ObjectClick, FrozenEventsAreNotRaised) {
  ComPtr<IConnectionPoint> point = PointFor(control_.Get(), DIID___ZorvickCtrl);
  ComPtr<EventSink> sink = NewSink();
  DWORD cookie = 0;
  point->Advise(sink.Get(), &cookie);
  ComPtr<IOleControl> ole_control;
  control_.As(&ole_control);
  ole_control->FreezeEvents(TRUE);
  Press(WM_LBUTTONDOWN, WM_LBUTTONUP);
  EXPECT_EQ(0, sink->calls.Count("Click"));
  ole_control->FreezeEvents(FALSE);
  Press(WM_LBUTTONDOWN, WM_LBUTTONUP);
  EXPECT_EQ(1, sink->calls.Count("Click"));
  point->Unadvise(cookie);
}

}  // namespace
}  // namespace pelzorvick::test
