// A container may do anything while the control calls it: release the
// control, deactivate it, take its site away, close it. Each test reaches the
// built .ocx through its exports and ends with the last Release returning 0
// and the library free to unload.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/component-object/OcxClient.h"
#include "tests/support/Rows.h"

namespace pelzorvick::test {
namespace {

// A Click sink that runs the test's action.
ComPtr<EventSink> ActingSink(std::function<void()> action) {
  ComPtr<EventSink> sink(new EventSink);
  sink->calls.Expect({"Click"});
  sink->on_event = std::move(action);
  return sink;
}

enum class Action { kRelease, kDeactivate, kUnsite, kClose, kExecute, kUnadviseOther };

struct ActionCase {
  std::string name;
  Action action;
  bool in_message_box;  // from inside "Command not found!"'s loop
};

class ClickHandler : public OcxTest, public ::testing::WithParamInterface<ActionCase> {};

TEST_P(ClickHandler, MayDoAnythingToTheControl) {
  const ActionCase& c = GetParam();
  {
    ParentWindow window;
    SitedControl placed = PlaceButton(ocx, window, c.in_message_box ? kMissing : kRunnable);
    ASSERT_TRUE(placed.control);
    ASSERT_TRUE(IsWindow(placed.Surface()));
    ULONG released = ~0u;
    DWORD other_cookie = 0;
    const auto act = [&] {
      switch (c.action) {
        case Action::kRelease:
          released = placed.control.Reset();
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
          EXPECT_EQ(S_OK, PutText(dispatch.Get(), L"Command", kRunnable));
          EXPECT_EQ(S_OK, placed.As<_ZorvickCtrl>()->Execute());
          break;
        }
        case Action::kUnadviseOther:
          Unadvise(placed.control.Get(), DIID___ZorvickCtrl, other_cookie);
          break;
      }
    };
    ComPtr<EventSink> sink = ActingSink(c.in_message_box ? std::function<void()>() : act);
    ComPtr<EventSink> other = ActingSink(nullptr);
    const DWORD cookie = Advise(placed.control.Get(), DIID___ZorvickCtrl, sink.Get());
    other_cookie = Advise(placed.control.Get(), DIID___ZorvickCtrl, other.Get());
    if (c.in_message_box) {
      std::function<void()> close = [&] {
        if (!CloseMessageBox()) window.Post(close);
      };
      window.Post([&] {
        act();
        close();
      });
    }
    placed.Click();
    EXPECT_EQ(std::vector<std::string>{"Click()"}, sink->calls.Lines());
    if (c.action == Action::kRelease) {
      EXPECT_NE(0u, released) << "destroyed while still running";
    } else {
      Unadvise(placed.control.Get(), DIID___ZorvickCtrl, cookie);
    }
    EXPECT_EQ(0u, placed.Close());
    EXPECT_EQ(0u, sink.Reset());
  }
  ExpectNothingLeft(ocx);
}

// Each action from the click's handler, then from inside the message box.
std::vector<ActionCase> AllActions() {
  const std::pair<const char*, Action> actions[] = {
      {"Release", Action::kRelease}, {"Deactivate", Action::kDeactivate},
      {"Unsite", Action::kUnsite},   {"Close", Action::kClose},
      {"Execute", Action::kExecute}, {"UnadviseOther", Action::kUnadviseOther}};
  std::vector<ActionCase> cases;
  for (const bool in_box : {false, true}) {
    for (const auto& [name, action] : actions) {
      cases.push_back({std::string(name) + (in_box ? "InMessageBox" : ""), action, in_box});
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Actions, ClickHandler, ::testing::ValuesIn(AllActions()), RowName());

using ContainerReleases = OcxTest;

// The container's last reference let go while the control calls out to it:
// in a change notification, in the bag's and the stream's reads of a load.
TEST_F(ContainerReleases, InsideTheChangeNotification) {
  ComPtr<_ZorvickCtrl> control = ocx.Create<_ZorvickCtrl>();
  ASSERT_TRUE(control);
  ComPtr<NotifySink> sink(new NotifySink);
  sink->calls.Expect({"OnRequestEdit", "OnChanged"});
  Advise(control.Get(), IID_IPropertyNotifySink, sink.Get());
  ULONG released = ~0u;
  _ZorvickCtrl* raw = control.Get();  // the call outlives the container's reference
  sink->on_change = [&] { released = control.Reset(); };
  PutString(raw, &_ZorvickCtrl::put_Text, L"changed");
  EXPECT_NE(0u, released) << "destroyed while still running";
  EXPECT_EQ(0u, sink.Reset());
  ExpectNothingLeft(ocx);
}

TEST_F(ContainerReleases, WhileTheBagIsRead) {
  ComPtr<IPersistPropertyBag> persist = ocx.Create<IPersistPropertyBag>();
  ASSERT_TRUE(persist);
  ComPtr<FakeBag> bag(new FakeBag);
  bag->calls.Expect({"Read"});
  bag->PutText(L"Command", kMissing);
  bag->acting_key = L"Command";
  ULONG released = ~0u;
  IPersistPropertyBag* raw = persist.Get();
  bag->on_read = [&] { released = persist.Reset(); };
  EXPECT_EQ(S_OK, raw->Load(bag.Get(), nullptr));
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

TEST_F(ContainerReleases, WhileTheStreamIsRead) {
  ComPtr<IStream> stream;
  ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
  {
    ComPtr<IPersistStreamInit> saver = ocx.Create<IPersistStreamInit>();
    ASSERT_TRUE(saver);
    saver->InitNew();
    ASSERT_EQ(S_OK, saver->Save(stream.Get(), TRUE));
    EXPECT_EQ(0u, saver.Reset());
  }
  stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
  ComPtr<IPersistStreamInit> persist = ocx.Create<IPersistStreamInit>();
  ASSERT_TRUE(persist);
  ComPtr<ActingStream> acting(new ActingStream(stream.Get()));
  ULONG released = ~0u;
  IPersistStreamInit* raw = persist.Get();
  acting->on_read = [&] { released = persist.Reset(); };
  // The control reads through ISequentialStream's Read only.
  EXPECT_EQ(S_OK, raw->Load(reinterpret_cast<IStream*>(
                      static_cast<ISequentialStream*>(acting.Get()))));
  EXPECT_NE(0u, released) << "destroyed while still loading";
  ExpectNothingLeft(ocx);
}

}  // namespace
}  // namespace pelzorvick::test
