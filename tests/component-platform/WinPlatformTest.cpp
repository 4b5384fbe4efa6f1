#include "component/platform/WinPlatform.h"

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "common/ComError.h"
#include "tests/component-platform/TestSupport.h"
#include "tests/support/HostPath.h"

namespace pelzorvick {
namespace {

using test::U16;

constexpr wchar_t kReportVariable[] = L"PZ_PLATFORM_CHILD_REPORT";

class StartProcessTest : public ::testing::Test {
 protected:
  test::ScratchFolder folder_{L"start"};
  WinPlatform platform_;

  // Starts the reporting program with `line` and returns its report.
  std::string StartChild(const std::wstring& line, int show_style) {
    const std::wstring report = folder_.File(L"report-" + std::to_wstring(show_style) + L".txt");
    SetEnvironmentVariableW(kReportVariable, report.c_str());
    platform_.StartProgram(U16(test::FromHostPath(PZ_STARTUP_REPORT_PATH)), U16(line), u"",
                           show_style);
    SetEnvironmentVariableW(kReportVariable, nullptr);
    EXPECT_TRUE(test::WaitForFile(report));
    return test::ReadFileBytes(report);
  }
};

TEST_F(StartProcessTest, TheChildGetsTheLineUnchangedAndTheShowStyle) {
  const std::string normal = StartChild(L"report \"x & y\" \"\"", kShowNormal);
  EXPECT_EQ("1 1\nreport \"x & y\" \"\"", normal);

  const std::string hidden = StartChild(L"report", kShowHidden);
  EXPECT_EQ(hidden.substr(0, hidden.find('\n')), "1 0");
}

TEST_F(StartProcessTest, TheCommandInterpreterRunsTheLine) {
  const std::wstring out = folder_.File(L"direct.txt");
  platform_.StartCommandInterpreter(U16(L"cmd /c echo direct> \"" + out + L"\""), kShowNormal);
  ASSERT_TRUE(test::WaitForFile(out));
  EXPECT_EQ(test::ReadFileBytes(out).substr(0, 6), "direct");
}

TEST_F(StartProcessTest, TheStartCommandOpensADocumentHidden) {
  const std::wstring out = folder_.File(L"started.txt");
  const std::wstring batch = folder_.File(L"write.bat");
  std::string script = "@echo started> \"";
  for (wchar_t c : out) script.push_back(static_cast<char>(c));
  script += "\"\r\n";
  ASSERT_TRUE(test::WriteFileBytes(batch, script));
  platform_.StartCommandInterpreter(U16(L"cmd /c Start " + batch), kShowHidden);
  ASSERT_TRUE(test::WaitForFile(out));
  EXPECT_EQ(test::ReadFileBytes(out).substr(0, 7), "started");
}

// A batch file is no program image: it runs by its full path, found against
// the current directory, and gets the line's arguments.
TEST_F(StartProcessTest, AFoundBatchFileRunsWithItsArguments) {
  const std::wstring out = folder_.File(L"batch-args.txt");
  std::string script = "@echo %1+%2> \"";
  for (wchar_t c : out) script.push_back(static_cast<char>(c));
  script += "\"\r\n";
  ASSERT_TRUE(test::WriteFileBytes(folder_.File(L"args.bat"), script));
  wchar_t before[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(SetCurrentDirectoryW(folder_.path().c_str()));
  platform_.StartProgram(u"args.BAT", u"args \"x & y\" z", u" \"x & y\" z", kShowHidden);
  SetCurrentDirectoryW(before);
  ASSERT_TRUE(test::WaitForFile(out));
  EXPECT_EQ(test::ReadFileBytes(out).substr(0, 9), "\"x & y\"+z");
}

TEST_F(StartProcessTest, AFailedStartThrowsTheSystemError) {
  try {
    platform_.StartProgram(u"C:\\no\\such\\folder\\program.exe", u"C:\\no\\such\\folder\\program.exe /x",
                           u" /x", kShowNormal);
    FAIL() << "no error";
  } catch (const ComError& e) {
    EXPECT_TRUE(e.code() == static_cast<int32_t>(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)) ||
                e.code() == static_cast<int32_t>(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)))
        << std::hex << e.code();
    EXPECT_FALSE(e.text().empty());
    EXPECT_NE(e.text().back(), u'\n');
  }
  EXPECT_THROW(platform_.StartProgram(u"", u"", u"", kShowNormal), ComError);
  EXPECT_THROW(platform_.StartProgram(std::u16string(u"a\0b.exe", 7), u"a", u"", kShowNormal), ComError);
}

TEST(SystemErrorTextTest, KnownAndUnknownCodes) {
  EXPECT_FALSE(SystemErrorText(ERROR_FILE_NOT_FOUND).empty());
  EXPECT_EQ(SystemErrorText(0x2FFFFFFF), u"System error 805306367");
}

TEST(MessageBoxTest, ShowsTextAndTitleOwnedByTheGivenWindow) {
  HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  std::atomic<bool> found{false};
  std::wstring text;
  HWND box_owner = nullptr;
  std::thread watcher([&] {
    for (int i = 0; i < 500 && !found; ++i) {
      HWND box = FindWindowW(L"#32770", L"PelZorvick test");
      if (box) {
        wchar_t buffer[256] = {};
        GetDlgItemTextW(box, 0xFFFF, buffer, 256);
        text = buffer;
        box_owner = GetWindow(box, GW_OWNER);
        found = true;
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return;
      }
      Sleep(20);
    }
  });
  WinPlatform platform([owner] { return owner; });
  platform.ShowMessageBox(u"Command not found!", 0, u"PelZorvick test");
  watcher.join();
  DestroyWindow(owner);
  ASSERT_TRUE(found);
  EXPECT_EQ(text, L"Command not found!");
  EXPECT_EQ(box_owner, owner);
}

TEST(DecimalSeparatorTest, IsTheUsersSetting) {
  wchar_t expected[8] = {};
  ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, expected, 8), 1);
  EXPECT_EQ(WinPlatform().DecimalSeparator(), static_cast<char16_t>(expected[0]));
}

}  // namespace
}  // namespace pelzorvick
