// A container that frees idle libraries: the .ocx loaded, used and freed
// more often than the process has thread-local-storage slots. Its own
// executable, so that the first load is this process's first.

#include <windows.h>

#include <cstdio>
#include <vector>

#include <gtest/gtest.h>

#include "tests/component-object/OcxClient.h"

namespace pelzorvick::test {
namespace {

int FreeTlsSlots() {
  std::vector<DWORD> taken;
  for (DWORD slot; (slot = TlsAlloc()) != TLS_OUT_OF_INDEXES;) taken.push_back(slot);
  for (DWORD slot : taken) TlsFree(slot);
  return static_cast<int>(taken.size());
}

// One container's use: load, create through the class factory, activate,
// a property call that fails inside the library, release, free.
void UseOnce(int round) {
  OcxLibrary ocx;
  ASSERT_TRUE(ocx.Loaded()) << "round " << round;
  {
    ParentWindow window;
    SitedControl placed = PlaceButton(ocx, window, kRunnable);
    ASSERT_TRUE(IsWindow(placed.Surface())) << "round " << round;
    ComPtr<FakeBag> bag(new FakeBag);
    bag->calls.Expect({"Write"});
    bag->failing_key = L"Text";
    bag->failure = STG_E_MEDIUMFULL;
    ASSERT_EQ(STG_E_MEDIUMFULL, placed.As<IPersistPropertyBag>()->Save(bag.Get(), TRUE, TRUE))
        << "round " << round;
    EXPECT_EQ(S_FALSE, ocx.CanUnloadNow());
    EXPECT_EQ(0u, placed.Close());
  }
  ExpectNothingLeft(ocx);
}

// Every load used to take a slot for good, and the process aborted at the
// first exception once they ran out (about 1,085 rounds).
TEST(Library, LoadedAndFreedMoreOftenThanThereAreSlots) {
  constexpr int kRounds = 1200;
  const int before = FreeTlsSlots();
  UseOnce(0);
  const int after_first = FreeTlsSlots();
  for (int round = 1; round < kRounds && !HasFatalFailure(); ++round) UseOnce(round);
  const int after = FreeTlsSlots();
  std::printf("free TLS slots: %d before, %d after the first round, %d after %d rounds\n", before,
              after_first, after, kRounds);
  EXPECT_EQ(after_first, after);
  EXPECT_GT(after, 0);
}

}  // namespace
}  // namespace pelzorvick::test
