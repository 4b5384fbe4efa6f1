// Space, Enter and Escape on the focused surface, the focus rectangle, and
// what a screen reader is told in each display mode.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/control/Fakes.h"

namespace pelzorvick::test {
namespace {

class Keyboard : public ::testing::Test, public ControlFixture {
 protected:
  void SetUp() override { Fresh(); }
  void Mode(std::u16string_view control, std::u16string_view text = u"Go") {
    ctrl.SetControl(control);
    ctrl.SetText(text);
    ctrl.Paint();
    log.clear();
  }
};

TEST_F(Keyboard, SpaceDrawsExactlyAsTheLeftButtonAndCompletesOnRelease) {
  for (const char16_t* mode : {u"Button", u"Text", u"Other"}) {
    ControlFixture mouse, key;
    for (ControlFixture* f : {&mouse, &key}) {
      f->Fresh();
      f->ctrl.SetControl(mode);
      f->ctrl.SetText(u"Go");
      f->ctrl.Paint();
      f->log.clear();
    }
    mouse.ctrl.CanvasMouseDown(1, 0, 0, 0);
    EXPECT_FALSE(key.ctrl.CanvasKeyDown(CanvasKey::kSpace, false));
    EXPECT_TRUE(ZorvickCtrlProbe::Pressed(key.ctrl));
    EXPECT_EQ(key.Take(), mouse.Take()) << Narrow(mode);

    mouse.ctrl.CanvasMouseUp(1, 0, 0, 0);
    EXPECT_TRUE(key.ctrl.CanvasKeyUp(CanvasKey::kSpace));
    EXPECT_FALSE(ZorvickCtrlProbe::Pressed(key.ctrl));
    EXPECT_EQ(key.Take(), mouse.Take()) << Narrow(mode);
  }
}

TEST_F(Keyboard, AutoRepeatNeverPressesOrRunsTwice) {
  Mode(u"Button");
  ctrl.CanvasKeyDown(CanvasKey::kSpace, false);
  log.clear();
  EXPECT_FALSE(ctrl.CanvasKeyDown(CanvasKey::kSpace, true));
  EXPECT_FALSE(ctrl.CanvasKeyDown(CanvasKey::kSpace, false));  // a lost key up
  EXPECT_TRUE(Take().empty());
  EXPECT_TRUE(ctrl.CanvasKeyUp(CanvasKey::kSpace));
  EXPECT_FALSE(ctrl.CanvasKeyUp(CanvasKey::kSpace));

  log.clear();
  EXPECT_TRUE(ctrl.CanvasKeyDown(CanvasKey::kEnter, false));
  EXPECT_FALSE(ctrl.CanvasKeyDown(CanvasKey::kEnter, true));
  EXPECT_FALSE(ctrl.CanvasKeyUp(CanvasKey::kEnter));
  EXPECT_TRUE(Take().empty()) << "Enter shows no pressed look";
}

TEST_F(Keyboard, EscapeOrLosingTheFocusReleasesWithoutRunning) {
  Mode(u"Button");
  ctrl.CanvasKeyDown(CanvasKey::kSpace, false);
  EXPECT_FALSE(ctrl.CanvasKeyDown(CanvasKey::kEscape, false));
  EXPECT_FALSE(ZorvickCtrlProbe::Pressed(ctrl));
  EXPECT_FALSE(ctrl.CanvasKeyUp(CanvasKey::kSpace));

  ctrl.CanvasFocus(true, true);
  ctrl.CanvasKeyDown(CanvasKey::kSpace, false);
  ctrl.CanvasFocus(false, false);
  EXPECT_FALSE(ZorvickCtrlProbe::Pressed(ctrl));
  EXPECT_FALSE(ctrl.CanvasKeyUp(CanvasKey::kSpace));

  // Escape alone, and Enter while Space is held, do nothing.
  log.clear();
  EXPECT_FALSE(ctrl.CanvasKeyDown(CanvasKey::kEscape, false));
  ctrl.CanvasKeyDown(CanvasKey::kSpace, false);
  EXPECT_FALSE(ctrl.CanvasKeyDown(CanvasKey::kEnter, false));
  EXPECT_TRUE(ctrl.CanvasKeyUp(CanvasKey::kSpace));
}

TEST_F(Keyboard, MouseReleaseDoesNotEndASpacePress) {
  Mode(u"Button");
  ctrl.CanvasKeyDown(CanvasKey::kSpace, false);
  ctrl.CanvasMouseUp(1, 0, 0, 0);
  EXPECT_TRUE(ZorvickCtrlProbe::Pressed(ctrl));
  EXPECT_TRUE(ctrl.CanvasKeyUp(CanvasKey::kSpace));
}

TEST_F(Keyboard, FocusRectangleInsideTheFrameOrAroundTheCaption) {
  // Surface 1200 x 600 twips at 15 twips per pixel; "Go" is 200 x 240.
  const struct {
    const char16_t* mode;
    const char16_t* text;
    const char* rect;
  } cases[] = {
      {u"Button", u"Go", "DrawFocusRect(45,45,1140,540)"},
      {u"Text", u"Go", "DrawFocusRect(0,0,185,225)"},
      {u"Text", u"", "DrawFocusRect(0,0,1185,585)"},
      {u"Text", u"A very long caption", "DrawFocusRect(0,0,1185,225)"},
  };
  for (const auto& c : cases) {
    ControlFixture f;
    f.Fresh();
    f.SetProperties({{u"Control", c.mode}, {u"Text", c.text}, {u"AutoSize", false}});
    f.container.width = 1200;
    f.container.height = 600;
    f.ctrl.Paint();
    f.log.clear();
    f.ctrl.CanvasFocus(true, true);
    Log drawn = f.Take();
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.front(), "Cls()");
    EXPECT_EQ(drawn.back(), c.rect) << Narrow(c.text);
    // Drawn on top of the face each time, pressed or not.
    f.ctrl.CanvasKeyDown(CanvasKey::kSpace, false);
    EXPECT_EQ(f.Take().back(), c.rect);
    f.ctrl.CanvasFocus(false, false);
    for (const std::string& call : f.Take()) EXPECT_EQ(call.find("DrawFocusRect"), std::string::npos) << call;
  }
}

TEST_F(Keyboard, PictureFocusRectangleAndNothingToDraw) {
  Mode(u"Image");  // no picture yet: nothing is drawn
  ctrl.CanvasFocus(true, true);
  EXPECT_TRUE(Take().empty());
  ctrl.SetBorder(false);
  ZorvickCtrlProbe::SetPicture(ctrl, MakePicture("photo"));
  ctrl.CanvasFocus(false, false);
  log.clear();
  ctrl.CanvasFocus(true, true);
  EXPECT_EQ(Take().back(), "DrawFocusRect(0,0,1185,585)");
  ctrl.CanvasFocus(true, true);  // no change, no redraw
  EXPECT_TRUE(Take().empty());
}

TEST_F(Keyboard, FocusByClickShowsNoRectangleUntilAKeyIsUsed) {
  Mode(u"Button");
  ctrl.CanvasFocus(true, false);
  EXPECT_TRUE(ctrl.Focused());
  for (const std::string& call : Take()) EXPECT_EQ(call.find("DrawFocusRect"), std::string::npos);
  EXPECT_TRUE(ctrl.CanvasKeyDown(CanvasKey::kEnter, false));
  Log drawn = Take();
  ASSERT_FALSE(drawn.empty()) << "the key reveals the focus";
  EXPECT_EQ(drawn.back().rfind("DrawFocusRect", 0), 0u);
  ctrl.CanvasKeyDown(CanvasKey::kSpace, false);
  drawn = Take();
  EXPECT_EQ(1, std::count(drawn.begin(), drawn.end(), "Cls()")) << "one redraw for Space";
}

TEST_F(Keyboard, ScreenReaderFactsPerMode) {
  files.files = {u"C:\\app.exe"};
  const struct {
    const char16_t* mode;
    bool border;
    const char16_t* command;
    AccessibleRole role;
    const char16_t* name;
    const char16_t* action;
    const char16_t* description;
  } cases[] = {
      {u"Button", false, u"C:\\app.exe", AccessibleRole::kPushButton, u"Caption", u"Press",
       u"C:\\app.exe"},
      {u"Text", true, u"C:\\app.exe", AccessibleRole::kLink, u"Caption", u"Jump", u"C:\\app.exe"},
      {u"Image", false, u"C:\\app.exe /x", AccessibleRole::kPushButton, u"C:\\app.exe /x",
       u"Press", u"C:\\app.exe /x"},
      {u"Icon", true, u"", AccessibleRole::kPushButton, u"Exec command not set", u"Press",
       u"Exec command not set"},
      {u"SmallIcon", true, u"C:\\gone.exe", AccessibleRole::kPushButton,
       u"Exec command not found", u"Press", u"Exec command not found"},
      {u"Fancy", true, u"", AccessibleRole::kPushButton, u"Caption", u"Press",
       u"Exec command not set"},
      {u"Fancy", false, u"", AccessibleRole::kLink, u"Caption", u"Jump", u"Exec command not set"},
  };
  for (const auto& c : cases) {
    ctrl.SetControl(c.mode);
    ctrl.SetBorder(c.border);
    ctrl.SetCommand(c.command);
    ctrl.SetText(u"Caption");
    EXPECT_EQ(ctrl.Role(), c.role) << Narrow(c.mode);
    EXPECT_EQ(ctrl.AccessibleName(), c.name) << Narrow(c.mode);
    EXPECT_EQ(ctrl.DefaultAction(), c.action) << Narrow(c.mode);
    EXPECT_EQ(ctrl.AccessibleDescription(), c.description) << Narrow(c.mode);
  }
}

}  // namespace
}  // namespace pelzorvick::test
