// Where the picture comes from: the remote image and its completion, the
// program's icon, and both failure messages.

#include <gtest/gtest.h>

#include "tests/control/Fakes.h"

namespace pelzorvick::test {
namespace {

class Pictures : public ::testing::Test, public ControlFixture {
 protected:
  void SetUp() override { Fresh(); }
  void Image(std::u16string_view url, std::u16string_view control = u"Image") {
    ctrl.SetControl(control);
    ctrl.SetImageURL(url);
    log.clear();
  }
};

TEST_F(Pictures, ImageReadIsRequestedForTheTrimmedAddress) {
  const struct {
    const char16_t* control;
    const char16_t* url;
    const char* request;
  } cases[] = {
      {u"Image", u"http://h/a.png", "AsyncRead(http://h/a.png,0,Image,1)"},
      {u"iMaGe", u"  http://h/a b.png  ", "AsyncRead(http://h/a b.png,0,Image,1)"},
      {u"Image", u"   ", "AsyncRead(,0,Image,1)"},
      // Only spaces are trimmed.
      {u"Image", u"\thttp://h/a.png\t", "AsyncRead(\\u0009http://h/a.png\\u0009,0,Image,1)"},
  };
  for (const auto& c : cases) {
    Image(c.url, c.control);
    ZorvickCtrlProbe::AcquirePicture(ctrl);
    EXPECT_EQ(Take(), Log{c.request}) << Narrow(c.url);
  }
}

TEST_F(Pictures, EmptyAddressOrOtherModeRequestsNothing) {
  for (const char16_t* control : {u"Image", u"Text", u"Button", u""}) {
    Image(control[0] == u'I' ? u"" : u"http://h/a.png", control);
    ZorvickCtrlProbe::AcquirePicture(ctrl);
    EXPECT_TRUE(Take().empty()) << Narrow(control);
    EXPECT_EQ(ctrl.Picture(), nullptr);
  }
}

TEST_F(Pictures, ReadThatCannotStartTurnsIntoTextWithTheUntrimmedAddress) {
  Image(u" http://h/a.png ");
  container.fail_async_read = true;
  ZorvickCtrlProbe::AcquirePicture(ctrl);
  EXPECT_EQ(Take(), (Log{"AsyncRead(http://h/a.png,0,Image,1)", "PropertyChanged(Control)",
                         "PropertyChanged(Text)"}));
  EXPECT_EQ(ctrl.Control(), u"Text");
  EXPECT_EQ(ctrl.Text(), u"Failed loading remote image:  http://h/a.png ");
  EXPECT_EQ(ctrl.ImageURL(), u" http://h/a.png ");
}

TEST_F(Pictures, CompletionTaggedImageStoresThePicture) {
  FakeRead read;
  read.value = MakePicture("photo");
  ctrl.PictureReadComplete(read);
  EXPECT_EQ(ctrl.Picture(), read.value);
  EXPECT_TRUE(Take().empty()) << "no layout, no redraw, no notification";

  FakeRead later;
  later.value = MakePicture("second");
  ctrl.PictureReadComplete(later);
  EXPECT_EQ(ctrl.Picture(), later.value) << "replaces the earlier one";
}

TEST_F(Pictures, CompletionDeliveredDuringTheRequest) {
  Image(u"http://h/a.png");
  FakeRead read;
  read.value = MakePicture("photo");
  container.on_async_read = [&] { ctrl.PictureReadComplete(read); };
  ZorvickCtrlProbe::AcquirePicture(ctrl);
  EXPECT_EQ(ctrl.Picture(), read.value);
  EXPECT_EQ(ctrl.Control(), u"Image");
}

TEST_F(Pictures, CompletionWithAnotherTagIsIgnored) {
  for (const char16_t* name : {u"image", u"IMAGE", u"Image ", u"", u"Picture"}) {
    FakeRead read;
    read.name = name;
    read.value = MakePicture("photo");
    ctrl.PictureReadComplete(read);
    EXPECT_EQ(ctrl.Picture(), nullptr) << Narrow(name);
    EXPECT_EQ(read.value_reads, 0);
  }
  EXPECT_TRUE(Take().empty());
}

TEST_F(Pictures, FailedDownloadTurnsIntoText) {
  Image(u" http://h/a.png");
  ZorvickCtrlProbe::SetPicture(ctrl, MakePicture("old"));
  FakeRead read;
  read.fail_value = true;
  ctrl.PictureReadComplete(read);
  EXPECT_EQ(Take(), (Log{"PropertyChanged(Control)", "PropertyChanged(Text)"}));
  EXPECT_EQ(ctrl.Control(), u"Text");
  EXPECT_EQ(ctrl.Text(), u"Failed complete loading remote image:  http://h/a.png");
  ASSERT_NE(ctrl.Picture(), nullptr);
  EXPECT_EQ(static_cast<const FakePicture&>(*ctrl.Picture()).name, "old");
}

TEST_F(Pictures, UnreadableTagReportsAndStillStoresTheValue) {
  Image(u"u");
  FakeRead read;
  read.fail_name = true;
  read.value = MakePicture("photo");
  ctrl.PictureReadComplete(read);
  EXPECT_EQ(Take(), (Log{"PropertyChanged(Control)", "PropertyChanged(Text)"}));
  EXPECT_EQ(ctrl.Text(), u"Failed complete loading remote image: u");
  EXPECT_EQ(ctrl.Picture(), read.value);
}

TEST_F(Pictures, UnreadableTagAndValueReportTwice) {
  Image(u"u");
  FakeRead read;
  read.fail_name = true;
  read.fail_value = true;
  ctrl.PictureReadComplete(read);
  EXPECT_EQ(Take(), (Log{"PropertyChanged(Control)", "PropertyChanged(Text)",
                         "PropertyChanged(Control)", "PropertyChanged(Text)"}));
  EXPECT_EQ(read.value_reads, 1);
  EXPECT_EQ(ctrl.Picture(), nullptr);
}

TEST_F(Pictures, IconOfTheFirstAvailableCommandsProgramBySize) {
  files.files = {u"C:\\Tools\\app.exe"};
  for (const char16_t* control : {u"Icon", u"SmallIcon", u"smallICON", u"ICON"}) {
    ctrl.SetControl(control);
    ctrl.SetCommand(u"C:\\missing.exe");
    ctrl.SetCommand2(u"\"C:\\Tools\\app.exe\" /s");
    platform.icon = MakePicture("icon");
    log.clear();
    ZorvickCtrlProbe::AcquirePicture(ctrl);
    EXPECT_EQ(Take(), Log{"ExtractIconPicture(C:\\Tools\\app.exe," + Narrow(control) + ")"});
    EXPECT_EQ(ctrl.Picture(), platform.icon);
  }
}

TEST_F(Pictures, NoIconReplacesTheEarlierPictureWithNone) {
  ctrl.SetControl(u"Icon");
  ctrl.SetCommand(u"nothing.xyz");
  ZorvickCtrlProbe::SetPicture(ctrl, MakePicture("old"));
  ZorvickCtrlProbe::AcquirePicture(ctrl);
  EXPECT_EQ(ctrl.Picture(), nullptr);
}

TEST_F(Pictures, NoAvailableCommandLeavesThePictureAlone) {
  ctrl.SetControl(u"SmallIcon");
  ctrl.SetCommand(u"C:\\missing.exe");
  ZorvickCtrlProbe::SetPicture(ctrl, MakePicture("old"));
  log.clear();
  ZorvickCtrlProbe::AcquirePicture(ctrl);
  EXPECT_TRUE(Take().empty()) << "no extraction, no message";
  ASSERT_NE(ctrl.Picture(), nullptr);
}

// A program on another machine is handed to neither the file system nor
// the shell at load or paint (that would sign in to its host): no icon. A
// click still runs it, for the user asked for it.
TEST_F(Pictures, ANetworkProgramHasNoIconAndStillRuns) {
  for (const char16_t* command :
       {u"\\\\host\\share\\x.exe", u"//host/share/x.exe", u"\"\\\\host\\share\\a b.exe\" /s",
        u"\\\\?\\UNC\\host\\share\\x.exe", u"file://host/share/x.exe"}) {
    Fresh();
    ctrl.SetControl(u"Icon");
    ctrl.SetCommand(command);
    ZorvickCtrlProbe::SetPicture(ctrl, MakePicture("old"));
    files.probes.clear();
    log.clear();
    ZorvickCtrlProbe::AcquirePicture(ctrl);
    EXPECT_TRUE(Take().empty()) << Narrow(command) << ": no icon asked for";
    EXPECT_EQ(ctrl.Picture(), nullptr) << Narrow(command);
    ctrl.Paint();
    EXPECT_TRUE(files.probes.empty()) << Narrow(command) << ": the file system asked at load or paint";
    log.clear();
    ctrl.CanvasClick();
    const Log clicked = Take();
    EXPECT_EQ(clicked.front().rfind("StartProcess(", 0), 0u) << Narrow(command);
    EXPECT_NE(clicked.front().find(Narrow(command)), std::string::npos) << clicked.front();
  }
}

}  // namespace
}  // namespace pelzorvick::test
