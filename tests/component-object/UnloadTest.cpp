// A container that frees idle libraries: the .ocx loaded, used and freed
// more often than the process has thread-local-storage slots. Its own
// executable, so that the first load is this process's first.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/component-object/OcxClient.h"
#include "tests/support/Bitmap.h"
#include "tests/support/LoopbackServer.h"

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

// A control released, and the library freed, while its picture still
// comes: the library stays, the fetch ends, and what it brings goes to no
// one and leaves nothing behind.
TEST(Library, StaysUnderADownloadThatOutlivesItsControl) {
  const std::string bmp = BmpFile(4, 4, 24, "", std::string(BmpStride(4, 24) * 4, '\0'));
  LoopbackServer server({{"/slow.bmp", Raw("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(bmp.size()) +
                                               "\r\n\r\n",
                                           [&](SOCKET client) {
                                             for (char byte : bmp) {
                                               if (send(client, &byte, 1, 0) != 1) return;
                                               Sleep(20);
                                             }
                                           })}});
  const std::u16string url = server.Url("/slow.bmp");
  std::wstring module_path;
  {
    OcxLibrary ocx;
    ASSERT_TRUE(ocx.Loaded());
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(ocx.module(), path, MAX_PATH);
    module_path = path;
    ParentWindow window;
    ComPtr<FakeBag> bag(new FakeBag);
    bag->calls.Expect({"Read"});
    bag->PutText(L"Control", L"Image");
    bag->PutText(L"ImageURL", std::wstring(url.begin(), url.end()));
    SitedControl placed(window.hwnd(), Ambient::kRunning, ocx.Create<IOleObject>(), bag.Get());
    ASSERT_EQ(S_OK, placed.Activate());
    for (int i = 0; i < 1000 && server.requests() == 0; ++i) Sleep(10);
    ASSERT_EQ(1, server.requests()) << "the download did not start";
    EXPECT_EQ(0u, placed.Close());
    EXPECT_EQ(S_OK, ocx.CanUnloadNow());
  }
  EXPECT_NE(nullptr, GetModuleHandleW(module_path.c_str())) << "freed under a running download";
  EXPECT_TRUE(server.WaitForEnded(1));
  EXPECT_TRUE(PumpUntil([] { return !FindWindowExW(HWND_MESSAGE, nullptr, L"PelZorvickInbox", nullptr); }))
      << "the delivery window stayed";
}

}  // namespace
}  // namespace pelzorvick::test
