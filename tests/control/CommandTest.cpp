// The ten-command search, the two ways of starting, the message box, Click
// after a click and never after Execute, and a start that fails.

#include <gtest/gtest.h>

#include "tests/control/Fakes.h"
#include "tests/support/ErrorCode.h"

namespace pelzorvick::test {
namespace {

using Setter = void (ZorvickCtrl::*)(std::u16string_view);
const Setter kCommandSetters[] = {
    &ZorvickCtrl::SetCommand,  &ZorvickCtrl::SetCommand1, &ZorvickCtrl::SetCommand2,
    &ZorvickCtrl::SetCommand3, &ZorvickCtrl::SetCommand4, &ZorvickCtrl::SetCommand5,
    &ZorvickCtrl::SetCommand6, &ZorvickCtrl::SetCommand7, &ZorvickCtrl::SetCommand8,
    &ZorvickCtrl::SetCommand9};

class Commands : public ::testing::Test, public ControlFixture {
 protected:
  void SetUp() override { Fresh(); }
  void Set(int slot, std::u16string_view line) {
    (ctrl.*kCommandSetters[slot])(line);
    log.clear();
  }
};

TEST_F(Commands, SearchTakesTheFirstFoundInFixedOrderAcrossGaps) {
  // Drive paths are looked up on disk; only the ".exe" ones exist.
  files.files = {u"C:\\3.exe", u"C:\\5.exe", u"C:\\9.exe"};
  Set(0, u"C:\\0.exe");
  Set(1, u"");
  Set(2, u"");
  Set(3, u"C:\\3.exe /x");
  Set(4, u"C:\\4.exe");
  Set(5, u"C:\\5.exe");
  Set(9, u"C:\\9.exe");
  EXPECT_EQ(ZorvickCtrlProbe::FindAvailableCommand(ctrl), u"C:\\3.exe /x");
  for (const std::u16string& probe : files.probes) {
    EXPECT_TRUE(probe.rfind(u"C:\\0", 0) == 0 || probe.rfind(u"C:\\3", 0) == 0)
        << "looked beyond the first found: " << Narrow(probe);
  }
}

TEST_F(Commands, EachSlotAloneIsFound) {
  for (int slot = 0; slot < 10; ++slot) {
    ControlFixture f;
    f.Fresh();
    (f.ctrl.*kCommandSetters[slot])(u"notepad " + std::u16string(1, u'0' + slot));
    EXPECT_EQ(ZorvickCtrlProbe::FindAvailableCommand(f.ctrl),
              u"notepad " + std::u16string(1, u'0' + slot));
  }
}

TEST_F(Commands, NothingFoundGivesEmpty) {
  Set(0, u"C:\\missing.exe");
  Set(4, u"D:\\gone.txt");
  EXPECT_EQ(ZorvickCtrlProbe::FindAvailableCommand(ctrl), u"");
}

TEST_F(Commands, StartLinesAndShowStyles) {
  files.files = {u"C:\\Tools\\app.exe", u"C:\\Tools\\tool.EXE", u"C:\\Docs\\a.txt",
                 u"C:\\Tools\\run.BAT", u"here.EXE"};
  constexpr const char* kCmd = FakePlatform::kInterpreter;
  const struct {
    const char16_t* command;
    const char* started;
    const char* image;  // the file the process runs | the arguments
  } cases[] = {
      // An executable file by PATHEXT: the line itself, normal and focused,
      // running exactly the file the lookup found.
      {u"C:\\Tools\\app.exe /s", "StartProcess(C:\\Tools\\app.exe /s,1)", "C:\\Tools\\app.exe| /s"},
      {u"C:\\Tools\\tool /s", "StartProcess(C:\\Tools\\tool /s,1)", "C:\\Tools\\tool.EXE| /s"},
      {u"C:\\Tools\\run.BAT", "StartProcess(C:\\Tools\\run.BAT,1)", "C:\\Tools\\run.BAT|"},
      {u"\"C:\\Tools\\app.exe\" a&b", "StartProcess(\"C:\\Tools\\app.exe\" a&b,1)",
       "C:\\Tools\\app.exe| a&b"},
      // Found in the current directory: that file, relative as it was tested.
      {u"here /x", "StartProcess(here /x,1)", "here.EXE| /x"},
      // Anything else: hidden through the start command.
      {u"C:\\Docs\\a.txt", "StartProcess(cmd /c Start C:\\Docs\\a.txt,0)", kCmd},
      {u"notepad x.txt", "StartProcess(cmd /c Start notepad x.txt,0)", kCmd},
      // The interpreter acts on none of its characters outside quotes: start
      // gets the line as written.
      {u"http://example.invalid/?a=1&b=2",
       "StartProcess(cmd /c Start http://example.invalid/?a=1^&b=2,0)", kCmd},
      {u"a.txt", "StartProcess(cmd /c Start a.txt,0)", kCmd},
      // A leading quote would be taken as the window title: an empty title first.
      {u"\"C:\\Docs\\a.txt\"", "StartProcess(cmd /c Start \"\" \"C:\\Docs\\a.txt\",0)", kCmd},
      {u"\"my doc.txt\" & x", "StartProcess(cmd /c Start \"\" \"my doc.txt\" ^& x,0)", kCmd},
      {u"'C:\\Docs\\a.txt'", "StartProcess(cmd /c Start 'C:\\Docs\\a.txt',0)", kCmd},
  };
  for (const auto& c : cases) {
    Set(0, c.command);
    platform.images.clear();
    ctrl.Execute();
    EXPECT_EQ(Take(), Log{c.started}) << Narrow(c.command);
    EXPECT_EQ(platform.images, std::vector<std::string>{c.image}) << Narrow(c.command);
  }
}

TEST_F(Commands, ClickRunsThenRaisesClick) {
  Set(2, u"calc");
  ctrl.CanvasClick();
  EXPECT_EQ(Take(), (Log{"StartProcess(cmd /c Start calc,0)", "RaiseClick()"}));
}

TEST_F(Commands, NoCommandShowsTheBoxThenClickStillFollows) {
  ctrl.CanvasClick();
  EXPECT_EQ(Take(), (Log{"MessageBox(Command not found!,0,PelZorvick)", "RaiseClick()"}));
}

TEST_F(Commands, ExecuteShowsTheBoxAndRaisesNothing) {
  Set(0, u"C:\\missing.exe");
  ctrl.Execute();
  EXPECT_EQ(Take(), Log{"MessageBox(Command not found!,0,PelZorvick)"});
}

TEST_F(Commands, ExecuteTwiceStartsTwice) {
  Set(0, u"calc");
  ctrl.Execute();
  ctrl.Execute();
  EXPECT_EQ(Take(), (Log{"StartProcess(cmd /c Start calc,0)", "StartProcess(cmd /c Start calc,0)"}));
}

TEST_F(Commands, FailingStartLeavesExecuteAndClickBeforeClickIsRaised) {
  files.files = {u"C:\\Tools\\app.exe"};
  Set(0, u"C:\\Tools\\app.exe");
  platform.fail_start = true;

  EXPECT_EQ(ErrorCodeOf([&] { ctrl.Execute(); }), errc::kFileNotFound);
  EXPECT_EQ(Take(), Log{"StartProcess(C:\\Tools\\app.exe,1)"});

  EXPECT_THROW(ctrl.CanvasClick(), ComError);
  EXPECT_EQ(Take(), Log{"StartProcess(C:\\Tools\\app.exe,1)"}) << "no Click";
}

TEST_F(Commands, RunningChangesNoProperty) {
  Set(0, u"calc");
  ctrl.CanvasClick();
  for (const std::string& call : Take()) EXPECT_EQ(call.rfind("PropertyChanged", 0), std::string::npos);
  EXPECT_EQ(ctrl.Command(), u"calc");
}

}  // namespace
}  // namespace pelzorvick::test
