// Reading and writing the eighteen keys: orders, defaults, conversions, a
// type error halfway, and the picture fetch at the end of reading.

#include <gtest/gtest.h>

#include "tests/control/Fakes.h"
#include "tests/support/ErrorCode.h"

namespace pelzorvick::test {
namespace {

const char* const kReadOrder[] = {"Control",  "BackColor", "ForeColor", "FontSize", "Command",
                                  "Text",     "ImageURL",  "Command1",  "Command2", "Command3",
                                  "Command4", "Command5",  "Command6",  "Command7", "Command8",
                                  "Command9", "AutoSize",  "Border"};

std::string ReadCall(const std::string& key) {
  if (key == "FontSize") return "ReadSingle(FontSize,9)";
  if (key == "AutoSize" || key == "Border") return "ReadBool(" + key + ",true)";
  return "ReadString(" + key + ")";
}

class Persistence : public ::testing::Test, public ControlFixture {
 protected:
  FakePropertyBag bag{log};
};

TEST_F(Persistence, EmptyBagReadsDefaultsInOrderWithEighteenNotifications) {
  ctrl.ReadProperties(bag);

  Log expected{"SetAutoRedraw(false)", "SetBackStyle(1)"};
  for (const char* key : kReadOrder) {
    expected.push_back(ReadCall(key));
    expected.push_back(std::string("PropertyChanged(") + key + ")");
  }
  EXPECT_EQ(Take(), expected);
  EXPECT_EQ(ctrl.FontSize(), 9.0f);
  EXPECT_TRUE(ctrl.AutoSize());
  EXPECT_TRUE(ctrl.Border());
  EXPECT_EQ(ctrl.Control(), u"");
  EXPECT_EQ(ctrl.Command9(), u"");
}

TEST_F(Persistence, WritesFieldsInItsOwnOrderWithDefaults) {
  Fresh();
  ctrl.SetControl(u"Button");
  ctrl.SetCommand3(u"calc");
  ctrl.SetFontSize(12.5f);
  ctrl.SetBorder(false);
  log.clear();

  ctrl.WriteProperties(bag);

  EXPECT_EQ(Take(), (Log{"WriteString(BackColor,,)",
                         "WriteString(ForeColor,,)",
                         "WriteSingle(FontSize,12.5,9)",
                         "WriteString(Control,Button,)",
                         "WriteString(Text,,)",
                         "WriteString(ImageURL,,)",
                         "WriteString(Command,,)",
                         "WriteString(Command1,,)",
                         "WriteString(Command2,,)",
                         "WriteString(Command3,calc,)",
                         "WriteString(Command4,,)",
                         "WriteString(Command5,,)",
                         "WriteString(Command6,,)",
                         "WriteString(Command7,,)",
                         "WriteString(Command8,,)",
                         "WriteString(Command9,,)",
                         "WriteBool(AutoSize,true,true)",
                         "WriteBool(Border,false,true)"}));
}

TEST_F(Persistence, RoundTripKeepsAllEighteenWhetherOrNotDefaultsAreStored) {
  for (const bool drop : {false, true}) {
    ControlFixture source;
    source.Fresh();
    source.SetProperties({{u"Control", u"Icon"}, {u"Text", u"Go"}, {u"BackColor", u"#102030"},
                          {u"ForeColor", u"navy"}, {u"ImageURL", u" http://h/i.png "},
                          {u"Command", u"C:\\a.exe"}, {u"Command9", u"nine"},
                          {u"FontSize", -3.0f}, {u"AutoSize", false}});
    FakePropertyBag stored(source.log);
    stored.drop_defaults = drop;
    source.ctrl.WriteProperties(stored);

    ControlFixture target;
    target.container.user_mode = false;  // no picture fetch in this test
    FakePropertyBag reread(target.log);
    reread.values = stored.values;
    target.ctrl.ReadProperties(reread);

    EXPECT_EQ(target.ctrl.Control(), u"Icon");
    EXPECT_EQ(target.ctrl.Text(), u"Go");
    EXPECT_EQ(target.ctrl.BackColor(), u"#102030");
    EXPECT_EQ(target.ctrl.ForeColor(), u"navy");
    EXPECT_EQ(target.ctrl.ImageURL(), u" http://h/i.png ");
    EXPECT_EQ(target.ctrl.Command(), u"C:\\a.exe");
    EXPECT_EQ(target.ctrl.Command1(), u"");
    EXPECT_EQ(target.ctrl.Command9(), u"nine");
    EXPECT_EQ(target.ctrl.FontSize(), -3.0f);
    EXPECT_FALSE(target.ctrl.AutoSize());
    EXPECT_TRUE(target.ctrl.Border());
    EXPECT_EQ(stored.values.size(), drop ? 9u : 18u);
  }
}

TEST_F(Persistence, StoredZeroFontSizeLoadsAsNine) {
  bag.values[u"FontSize"] = 0.0f;
  ctrl.ReadProperties(bag);
  EXPECT_EQ(ctrl.FontSize(), 9.0f);
}

TEST_F(Persistence, NumbersAndTruthValuesUnderStringKeysReadAsText) {
  bag.values[u"Text"] = 42.0f;
  bag.values[u"Command"] = true;
  bag.values[u"AutoSize"] = std::u16string(u"0");
  ctrl.ReadProperties(bag);
  EXPECT_EQ(ctrl.Text(), u"42");
  EXPECT_EQ(ctrl.Command(), u"True");
  EXPECT_FALSE(ctrl.AutoSize());
}

TEST_F(Persistence, TypeErrorStopsReadingKeepingWhatWasRead) {
  bag.values[u"Control"] = std::u16string(u"Image");
  bag.values[u"ForeColor"] = std::u16string(u"red");
  bag.values[u"FontSize"] = std::u16string(u"big");
  bag.values[u"ImageURL"] = std::u16string(u"http://h/i.png");
  bag.values[u"Border"] = false;

  EXPECT_EQ(ErrorCodeOf([&] { ctrl.ReadProperties(bag); }), errc::kTypeMismatch);

  EXPECT_EQ(Take(), (Log{"SetAutoRedraw(false)", "SetBackStyle(1)", "ReadString(Control)",
                         "PropertyChanged(Control)", "ReadString(BackColor)",
                         "PropertyChanged(BackColor)", "ReadString(ForeColor)",
                         "PropertyChanged(ForeColor)", "ReadSingle(FontSize,9)"}))
      << "and no AsyncRead";
  EXPECT_EQ(ctrl.Control(), u"Image");
  EXPECT_EQ(ctrl.ForeColor(), u"red");
  EXPECT_EQ(ctrl.FontSize(), 0.0f) << "creation value kept";
  EXPECT_EQ(ctrl.ImageURL(), u"");
  EXPECT_FALSE(ctrl.Border());
}

TEST_F(Persistence, TypeErrorInTheLastKey) {
  bag.values[u"Border"] = std::u16string(u"perhaps");
  EXPECT_THROW(ctrl.ReadProperties(bag), ComError);
  EXPECT_TRUE(ctrl.AutoSize());
  EXPECT_FALSE(ctrl.Border());
}

TEST_F(Persistence, PictureFetchOnlyAtRunTimeInAPictureMode) {
  const struct {
    const char16_t* control;
    bool user_mode;
    bool fetches;
  } cases[] = {
      {u"Image", true, true},  {u"IMAGE", true, true}, {u"Image", false, false},
      {u"Text", true, false},  {u"Button", true, false}, {u"Image ", true, false},
  };
  for (const auto& c : cases) {
    ControlFixture f;
    FakePropertyBag b(f.log);
    b.values[u"Control"] = std::u16string(c.control);
    b.values[u"ImageURL"] = std::u16string(u"http://h/i.png");
    f.container.user_mode = c.user_mode;
    f.ctrl.ReadProperties(b);
    const Log got = f.Take();
    EXPECT_EQ(got.back() == "AsyncRead(http://h/i.png,0,Image,1)", c.fetches)
        << Narrow(c.control) << " user mode " << c.user_mode << ": " << got.back();
  }
}

TEST_F(Persistence, IconModeTakesTheIconAtTheEndOfReading) {
  files.files.insert(u"C:\\Tools\\app.exe");
  platform.icon = MakePicture("icon", 847, 847);
  bag.values[u"Control"] = std::u16string(u"Icon");
  bag.values[u"Command"] = std::u16string(u"C:\\Tools\\app.exe /s");
  ctrl.ReadProperties(bag);
  EXPECT_EQ(Take().back(), "ExtractIconPicture(C:\\Tools\\app.exe,Icon)");
  EXPECT_EQ(ctrl.Picture(), platform.icon);
}

TEST_F(Persistence, FreshInitialisationFetchesNothing) {
  ctrl.InitProperties();
  ctrl.SetControl(u"Icon");
  ctrl.SetCommand(u"notepad");
  log.clear();
  ctrl.Paint();
  EXPECT_TRUE(Take().empty());
  EXPECT_EQ(ctrl.Picture(), nullptr);
}

}  // namespace
}  // namespace pelzorvick::test
