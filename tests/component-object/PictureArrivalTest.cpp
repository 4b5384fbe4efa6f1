// Pictures fetched in the background: a load returns at once, and the
// picture or the failure text arrives later on the control's thread, shown
// at once and changing nothing that is to be saved.

#include <windows.h>
#include <tlhelp32.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "component/picture/BackgroundRead.h"
#include "component/picture/PictureDownload.h"
#include "tests/component-object/Fakes.h"
#include "tests/support/Bitmap.h"
#include "tests/support/FileBytes.h"
#include "tests/support/LoopbackServer.h"

namespace pelzorvick::test {
namespace {

constexpr wchar_t kCompleteFailed[] = L"Failed complete loading remote image: ";
constexpr wchar_t kLoadFailed[] = L"Failed loading remote image: ";

int ThreadsOfThisProcess() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

std::unique_ptr<SitedControl> PlaceImage(const ParentWindow& window, const std::wstring& url) {
  ComPtr<FakeBag> bag(new FakeBag);
  bag->calls.Expect({"Read"});
  bag->PutText(L"Control", L"Image");
  bag->PutText(L"ImageURL", url);
  auto placed = std::make_unique<SitedControl>(window.hwnd(), Ambient::kRunning, NewControl<IOleObject>(),
                                               bag.Get());
  EXPECT_EQ(S_OK, placed->Activate());
  return placed;
}

std::wstring Property(const SitedControl& placed, const wchar_t* name) {
  return GetText(placed.As<IDispatch>().Get(), name);
}

bool IsDirty(const SitedControl& placed) { return placed.As<IPersistStreamInit>()->IsDirty() == S_OK; }

class BackgroundPictures : public ::testing::Test {
 protected:
  void TearDown() override { SetBackgroundReadDeadline(kPictureDownloadDeadline); }
};

// Ten controls whose server never answers: the form is up with all ten
// still waiting, then each shows its failure once its deadline has passed,
// lays out as text at once, and is no more dirty than it was. One released
// before its picture came hears nothing; no worker outlives the fetches,
// and every connection is closed.
TEST_F(BackgroundPictures, AFormOfTenWhoseServerNeverAnswers) {
  LoopbackServer server({{"/never.bmp", Raw("", WaitForClose)}});
  const std::u16string address = server.Url("/never.bmp");
  const std::wstring url(address.begin(), address.end());
  SetBackgroundReadDeadline(std::chrono::seconds(5));
  const int threads_before = ThreadsOfThisProcess();
  ParentWindow window;
  {
    std::unique_ptr<SitedControl> released = PlaceImage(window, url);
    EXPECT_EQ(0u, released->Close());
  }
  std::vector<std::unique_ptr<SitedControl>> form;
  for (int i = 0; i < 10; ++i) form.push_back(PlaceImage(window, url));
  for (const auto& placed : form) {
    EXPECT_EQ(L"Image", Property(*placed, L"Control"));
    EXPECT_TRUE(placed->site->pos_rect_changes.empty());
  }

  ASSERT_TRUE(PumpUntil([&] {
    for (const auto& placed : form) {
      if (Property(*placed, L"Control") != L"Text") return false;
    }
    return true;
  }));
  PumpMessages();
  for (const auto& placed : form) {
    EXPECT_EQ(kCompleteFailed + url, Property(*placed, L"Text"));
    EXPECT_FALSE(IsDirty(*placed));
    EXPECT_FALSE(placed->site->pos_rect_changes.empty()) << "laid out as text when the failure came";
  }
  EXPECT_TRUE(PumpUntil([&] { return ThreadsOfThisProcess() <= threads_before; }));
  EXPECT_TRUE(server.WaitForEnded(server.requests()));
  for (const auto& placed : form) EXPECT_EQ(0u, placed->Close());
}

// What a read brings: a picture, sized at once; a failure to fetch; an
// address refused before anything starts, reported by the load itself. None
// leaves the control dirty.
TEST_F(BackgroundPictures, WhatArrivesIsShownAndLeavesTheControlClean) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring picture = std::wstring(temp) + L"pz-arrival.bmp";
  ASSERT_TRUE(WriteFileBytes(picture, BmpFile(40, 20, 24, "", std::string(BmpStride(40, 24) * 20, '\x7f'))));
  const std::wstring missing = std::wstring(temp) + L"pz-no-such-picture.bmp";
  const struct {
    const char* name;
    std::wstring url;
    const wchar_t* control;  // once the read is done
    std::wstring text;
    RECT size;  // of the control, once laid out
  } rows[] = {
      {"picture", picture, L"Image", L"", {0, 0, 43, 23}},
      {"missing", missing, L"Text", kCompleteFailed + missing, {}},
      {"network path", L"\\\\127.0.0.1\\share\\x.bmp", L"Text", kLoadFailed + std::wstring(L"\\\\127.0.0.1\\share\\x.bmp"), {}},
  };
  ParentWindow window;
  for (const auto& row : rows) {
    std::unique_ptr<SitedControl> placed = PlaceImage(window, row.url);
    ASSERT_TRUE(PumpUntil([&] { return !placed->site->pos_rect_changes.empty(); })) << row.name;
    EXPECT_EQ(row.control, Property(*placed, L"Control")) << row.name;
    if (!row.text.empty()) {
      EXPECT_EQ(row.text, Property(*placed, L"Text")) << row.name;
    }
    if (row.size.right) {
      const RECT& now = placed->site->pos_rect_changes.back();
      EXPECT_EQ(row.size.right, now.right - now.left) << row.name;
      EXPECT_EQ(row.size.bottom, now.bottom - now.top) << row.name;
    }
    EXPECT_FALSE(IsDirty(*placed)) << row.name;
    EXPECT_EQ(0u, placed->Close()) << row.name;
  }
  DeleteFileW(picture.c_str());
}

}  // namespace
}  // namespace pelzorvick::test
