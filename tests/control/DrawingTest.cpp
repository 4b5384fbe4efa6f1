// Layout once, sizing, the frame, picture and caption placement, the pressed
// look, tooltips and the paint's early exits, on the worked examples.

#include <gtest/gtest.h>

#include <limits>

#include "tests/control/Fakes.h"
#include "tests/support/ErrorCode.h"

namespace pelzorvick::test {
namespace {

constexpr const char* kHighlight = "0x80000014";
constexpr const char* kShadow = "0x80000015";

std::string LineCall(float x1, float y1, float x2, float y2, const char* color) {
  return "Line(" + Num(x1) + "," + Num(y1) + "," + Num(x2) + "," + Num(y2) + "," + color + ")";
}

// The four frame lines of a W x H surface at one pixel of px x py.
Log Frame(float W, float H, bool pressed, float px = 15, float py = 15) {
  const float w = W - px;
  const float h = H - py;
  if (!pressed) {
    return {LineCall(0, 0, w, 0, kHighlight), LineCall(0, 0, 0, h, kHighlight),
            LineCall(0, h, w, h, kShadow), LineCall(w, 0, w, py + h, kShadow)};
  }
  return {LineCall(0, 0, w, 0, kShadow), LineCall(0, 0, 0, h, kShadow),
          LineCall(px, h, w, h, kHighlight), LineCall(w, py, w, py + h, kHighlight)};
}

Log Join(std::initializer_list<Log> parts) {
  Log all;
  for (const Log& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A caption measured, then printed at (x, y).
Log Caption(const std::string& text, float x, float y) {
  return {"TextWidth(" + text + ")", "SetCurrentX(" + Num(x) + ")", "TextHeight(" + text + ")",
          "SetCurrentY(" + Num(y) + ")", "Print(" + text + ")"};
}

// A first paint up to the clearing when the control is sized to its caption:
// the look, the measured W x H, the tooltip, and the control made that size.
Log SizedToCaption(const Log& look, const std::string& text, float W, float H) {
  const std::string w = Num(W), h = Num(H);
  return Join({{"SetLeft(0)", "SetTop(0)"}, look,
               {"TextWidth(" + text + ")", "SetWidth(" + w + ")", "TextHeight(" + text + ")",
                "SetHeight(" + h + ")", "SetToolTipText(Exec command not set)",
                "Control.SetWidth(" + w + ")", "Control.SetHeight(" + h + ")", "Cls()"}});
}

const Log kButtonLook{"SetForeColor(0x80000012)", "SetBackColor(0x8000000F)", "SetFontSize(9)",
                      "SetFontBold(true)"};
Log TextLook(const std::string& points) {
  return {"SetForeColor(0xFF0000)", "SetBackColor(0xFFFFFF)", "SetFontSize(" + points + ")",
          "SetFontUnderline(true)"};
}

class Drawing : public ::testing::Test, public ControlFixture {
 protected:
  void SetUp() override { Fresh(); }
  void Mode(std::u16string_view control, std::u16string_view text = u"") {
    ctrl.SetControl(control);
    ctrl.SetText(text);
    log.clear();
  }
  PicturePtr photo = MakePicture("photo", 2540, 1270);  // 1 x 0.5 inch
  void LeftDown() { ctrl.CanvasMouseDown(1, 0, 10, 10); }
  void LeftUp() { ctrl.CanvasMouseUp(1, 0, 10, 10); }
};

TEST_F(Drawing, ImageWithBorderAtFifteenTwipsPerPixel) {
  Mode(u"Image");
  ZorvickCtrlProbe::SetPicture(ctrl, photo);

  ctrl.Paint();
  EXPECT_EQ(Take(), Join({{"SetLeft(0)", "SetTop(0)", "SetForeColor(0xFFFFFF)",
                           "SetBackColor(0x8000000F)", "SetWidth(1485)", "SetHeight(765)",
                           "SetToolTipText(Exec command not set)", "Control.SetWidth(1485)",
                           "Control.SetHeight(765)", "Cls()"},
                          Frame(1485, 765, false),
                          {"PaintPicture(photo,15,15)"}}));
  EXPECT_EQ(Frame(1485, 765, false)[3], "Line(1470,0,1470,765,0x80000015)");
  EXPECT_EQ(Frame(1485, 765, false)[2], "Line(0,750,1470,750,0x80000015)");

  LeftDown();
  EXPECT_TRUE(ZorvickCtrlProbe::Pressed(ctrl));
  EXPECT_EQ(Take(), Join({{"Cls()"}, Frame(1485, 765, true), {"PaintPicture(photo,30,30)"}}));

  LeftUp();
  EXPECT_EQ(Take(), Join({{"Cls()"}, Frame(1485, 765, false), {"PaintPicture(photo,15,15)"}}));
}

TEST_F(Drawing, ImageWithoutBorderIsThePictureExactlyAndPressingShowsNothingNew) {
  Mode(u"Image");
  ctrl.SetBorder(false);
  ZorvickCtrlProbe::SetPicture(ctrl, photo);
  log.clear();

  ctrl.Paint();
  EXPECT_EQ(Take(), (Log{"SetLeft(0)", "SetTop(0)", "SetForeColor(0xFFFFFF)",
                         "SetBackColor(0x8000000F)", "SetWidth(1440)", "SetHeight(720)",
                         "SetToolTipText(Exec command not set)", "Control.SetWidth(1440)",
                         "Control.SetHeight(720)", "Cls()", "PaintPicture(photo,0,0)"}));
  LeftDown();
  EXPECT_EQ(Take(), (Log{"Cls()", "PaintPicture(photo,0,0)"}));
}

TEST_F(Drawing, FirstPassSizesTheControlLaterPassesItsInnerScale) {
  Mode(u"Image");
  ZorvickCtrlProbe::SetPicture(ctrl, photo);
  ctrl.Paint();
  EXPECT_TRUE(ZorvickCtrlProbe::Sized(ctrl));
  EXPECT_TRUE(ZorvickCtrlProbe::LaidOut(ctrl));
  log.clear();

  container.width = 3000;  // the container resized the control
  ctrl.Paint();
  ctrl.Paint();
  const Log draw = Join({{"Cls()"}, Frame(1485, 765, false), {"PaintPicture(photo,15,15)"}});
  EXPECT_EQ(Take(), Join({{"Control.SetScaleWidth(1485)", "Control.SetScaleHeight(765)"}, draw,
                          {"Control.SetScaleWidth(1485)", "Control.SetScaleHeight(765)"}, draw}));
}

TEST_F(Drawing, ButtonMarginsInsetAndPressedShift) {
  Mode(u"button", u"Go");  // caption 200 x 240
  ctrl.SetBorder(false);   // a button is framed whatever Border holds
  log.clear();

  ctrl.Paint();
  EXPECT_EQ(Take(), Join({SizedToCaption(kButtonLook, "Go", 380, 420), Frame(380, 420, false),
                          Caption("Go", 90, 90)}));

  LeftDown();
  EXPECT_EQ(Take(), Join({{"Cls()"}, Frame(380, 420, true), Caption("Go", 105, 105)}));
}

TEST_F(Drawing, TextIsBlueUnderlinedOnWhiteSizedToTheCaptionNeverFramed) {
  Mode(u"Text", u"Hi");
  ctrl.SetFontSize(12.5f);
  log.clear();

  ctrl.Paint();
  EXPECT_EQ(Take(), Join({SizedToCaption(TextLook("12.5"), "Hi", 200, 240),
                          {"SetCurrentX(0)", "SetCurrentY(0)", "Print(Hi)"}}));
  LeftDown();
  EXPECT_EQ(Take(), (Log{"Cls()", "SetCurrentX(0)", "SetCurrentY(0)", "Print(Hi)"}));
}

TEST_F(Drawing, UnknownModeHasTheTextLookButAFrameWhenBorderIsTrue) {
  Mode(u"Link", u"Hi");
  ctrl.Paint();
  EXPECT_EQ(Take(), Join({SizedToCaption(TextLook("9"), "Hi", 200, 240), Frame(200, 240, false),
                          Caption("Hi", 0, 0)}));
}

TEST_F(Drawing, ColoursComeFromTheTextWithTheModesFallback) {
  const struct {
    const char16_t* control;
    const char16_t* fore;
    const char16_t* back;
    const char* fore_set;
    const char* back_set;
  } cases[] = {
      {u"Text", u"red", u"nonsense", "SetForeColor(0xFF)", "SetBackColor(0xFFFFFF)"},
      {u"Button", u"", u"#102030", "SetForeColor(0x80000012)", "SetBackColor(0x302010)"},
      {u"Button", u"&H80000008", u"", "SetForeColor(0x80000008)", "SetBackColor(0x8000000F)"},
      {u"Icon", u"black", u"white", "SetForeColor(0x0)", "SetBackColor(0xFFFFFF)"},
  };
  for (const auto& c : cases) {
    ControlFixture f;
    f.Fresh();
    f.ctrl.SetControl(c.control);
    f.ctrl.SetForeColor(c.fore);
    f.ctrl.SetBackColor(c.back);
    ZorvickCtrlProbe::SetPicture(f.ctrl, photo);
    f.log.clear();
    f.ctrl.Paint();
    const Log got = f.Take();
    ASSERT_GE(got.size(), 4u);
    EXPECT_EQ(got[2], c.fore_set) << Narrow(c.control);
    EXPECT_EQ(got[3], c.back_set) << Narrow(c.control);
  }
}

TEST_F(Drawing, AutoSizeFalseTakesTheControlsSizeOnceAndNeverSizesTheControl) {
  Mode(u"Button", u"Go");
  ctrl.SetAutoSize(false);
  container.width = 2000;
  container.height = 1000;
  log.clear();

  ctrl.Paint();
  EXPECT_EQ(Take(), Join({{"SetLeft(0)", "SetTop(0)"}, kButtonLook,
                          {"SetWidth(2000)", "SetHeight(1000)",
                           "SetToolTipText(Exec command not set)", "Cls()"},
                          Frame(2000, 1000, false), Caption("Go", 900, 380)}));

  container.width = 4000;
  ctrl.Paint();
  const Log again = Take();
  EXPECT_EQ(again[0], "Cls()") << "no new layout, no sizing";
  EXPECT_EQ(again[1], Frame(2000, 1000, false)[0]);
  EXPECT_FALSE(ZorvickCtrlProbe::Sized(ctrl));
}

TEST_F(Drawing, PictureAndIconLookWithAutoSizeFalse) {
  Mode(u"SmallIcon");
  ctrl.SetAutoSize(false);
  ZorvickCtrlProbe::SetPicture(ctrl, photo);
  log.clear();
  ctrl.Paint();
  const Log got = Take();
  EXPECT_EQ(got[4], "SetWidth(2000)");
  EXPECT_EQ(got[5], "SetHeight(1000)");
}

TEST_F(Drawing, OnlyTheLeftButtonPressesAndOnlyOnce) {
  Mode(u"Text", u"Hi");
  const Log draw{"Cls()", "SetCurrentX(0)", "SetCurrentY(0)", "Print(Hi)"};

  LeftUp();  // no press before
  ctrl.CanvasMouseDown(2, 0, 0, 0);
  ctrl.CanvasMouseDown(4, 0, 0, 0);
  ctrl.CanvasMouseUp(2, 0, 0, 0);
  EXPECT_TRUE(Take().empty());
  EXPECT_FALSE(ZorvickCtrlProbe::Pressed(ctrl));

  ctrl.CanvasMouseDown(3, 1, 0, 0);  // left with right, shift held
  LeftDown();                        // a second press before the release
  EXPECT_EQ(Take(), draw);
  EXPECT_TRUE(ZorvickCtrlProbe::Pressed(ctrl));

  ctrl.CanvasMouseUp(4, 0, 0, 0);
  EXPECT_TRUE(Take().empty());
  ctrl.CanvasMouseUp(-1, 0, 0, 0);  // every bit set, bit 0 among them
  LeftUp();
  EXPECT_EQ(Take(), draw);
  EXPECT_FALSE(ZorvickCtrlProbe::Pressed(ctrl));
}

TEST_F(Drawing, TooltipNamesTheCommandAClickWouldRun) {
  const struct {
    const char16_t* command;
    const char16_t* command2;
    const char* tooltip;
  } cases[] = {
      {u"", u"", "SetToolTipText(Exec command not set)"},
      {u"", u"C:\\missing.exe", "SetToolTipText(Exec command not set)"},
      {u"C:\\missing.exe", u"", "SetToolTipText(Exec command not found)"},
      {u"C:\\missing.exe", u"calc /x", "SetToolTipText(calc /x)"},
      {u"notepad", u"calc", "SetToolTipText(notepad)"},
  };
  for (const auto& c : cases) {
    ControlFixture f;
    f.Fresh();
    f.SetProperties({{u"Control", u"Text"}, {u"Command", c.command}, {u"Command2", c.command2}});
    f.log.clear();
    f.ctrl.Paint();
    EXPECT_EQ(f.Take()[10], c.tooltip) << Narrow(c.command) << " / " << Narrow(c.command2);
  }
}

TEST_F(Drawing, LayoutHappensOnceEvenWhenPropertiesChange) {
  Mode(u"Text", u"Hi");
  ctrl.Paint();
  ctrl.SetText(u"Longer");
  ctrl.SetCommand(u"calc");  // available now, but the tooltip stays
  ctrl.SetControl(u"Button");
  log.clear();

  ctrl.Paint();
  EXPECT_EQ(Take(), Join({{"Control.SetScaleWidth(200)", "Control.SetScaleHeight(240)", "Cls()"},
                          Frame(200, 240, false), Caption("Longer", -200, 0)}));
}

// A new resolution changes every pixel measure: the caption is measured
// again, the control sized again, and the properties changed since count.
TEST_F(Drawing, ANewResolutionLaysOutAndSizesAgain) {
  Mode(u"Text", u"Hi");
  ctrl.Paint();
  ctrl.SetText(u"Longer");
  ctrl.LayOutAgain();
  log.clear();

  ctrl.Paint();
  EXPECT_EQ(Take(), Join({SizedToCaption(TextLook("9"), "Longer", 600, 240),
                          {"SetCurrentX(0)", "SetCurrentY(0)", "Print(Longer)"}}));
  ctrl.Paint();
  EXPECT_EQ(Take()[0], "Control.SetScaleWidth(600)") << "sized once per resolution";
}

// In high contrast every look takes the system's colours whatever its colour
// properties say; when it goes off they come back, and the properties never
// change. Picked up at a paint, or at once when the system says so.
TEST_F(Drawing, HighContrastTakesTheSystemsColoursAndGivesThemBack) {
  const struct {
    const char16_t* mode;
    const char16_t* command;
    const char* fore;  // high contrast's, then the properties'
    const char* back;
    const char* own_fore;
    const char* own_back;
  } cases[] = {
      {u"Text", u"calc", "0x8000001A", "0x80000005", "0xFF", "0xFFFF"},  // a link: hot light
      {u"Text", u"", "0x80000008", "0x80000005", "0xFF", "0xFFFF"},      // going nowhere
      {u"Link", u"calc", "0x8000001A", "0x80000005", "0xFF", "0xFFFF"},
      {u"Button", u"calc", "0x80000012", "0x8000000F", "0xFF", "0xFFFF"},
      {u"Image", u"calc", "0x80000012", "0x8000000F", "0xFF", "0xFFFF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.mode) + " / " + Narrow(c.command));
    ControlFixture f;
    f.Fresh();
    f.SetProperties({{u"Control", c.mode}, {u"Text", u"Hi"}, {u"Command", c.command},
                     {u"ForeColor", u"Red"}, {u"BackColor", u"Yellow"}});
    ZorvickCtrlProbe::SetPicture(f.ctrl, photo);
    auto colours = [&] {
      Log set;
      for (const std::string& line : f.Take()) {
        if (line.rfind("SetForeColor", 0) == 0 || line.rfind("SetBackColor", 0) == 0) set.push_back(line);
      }
      return set;
    };
    const Log system{std::string("SetForeColor(") + c.fore + ")", std::string("SetBackColor(") + c.back + ")"};
    const Log own{std::string("SetForeColor(") + c.own_fore + ")",
                  std::string("SetBackColor(") + c.own_back + ")"};
    f.platform.high_contrast = true;
    f.log.clear();
    f.ctrl.Paint();
    EXPECT_EQ(colours(), system) << "laid out in high contrast";
    f.ctrl.Paint();
    EXPECT_EQ(colours(), Log{}) << "nothing new to apply";

    f.platform.high_contrast = false;
    f.ctrl.SystemColorsChanged();
    EXPECT_EQ(colours(), own) << "told at once";
    f.platform.high_contrast = true;
    f.ctrl.Paint();
    EXPECT_EQ(colours(), system) << "noticed at a paint";
    EXPECT_EQ(f.ctrl.ForeColor(), u"Red");
    EXPECT_EQ(f.ctrl.BackColor(), u"Yellow");
  }
}

TEST_F(Drawing, EmptyModePaintsNothingButAPressStillDraws) {
  Mode(u"");
  ctrl.Paint();
  EXPECT_TRUE(Take().empty());
  EXPECT_FALSE(ZorvickCtrlProbe::LaidOut(ctrl));

  LeftDown();  // the surface as created: 1200 x 600
  EXPECT_EQ(Take(), Join({{"Cls()"}, Frame(1200, 600, true), Caption("", 615, 195)}));
}

TEST_F(Drawing, PictureModeWaitsForItsPicture) {
  Mode(u"Image");
  ctrl.Paint();
  ctrl.Paint();
  EXPECT_TRUE(Take().empty());
  EXPECT_FALSE(ZorvickCtrlProbe::LaidOut(ctrl));

  // Pressing draws the caption where the picture would be.
  Mode(u"Icon", u"Hi");
  LeftDown();
  EXPECT_EQ(Take(), Join({{"Cls()"}, Frame(1200, 600, true), Caption("Hi", 515, 195)}));
  LeftUp();
  log.clear();

  FakeRead read;
  read.value = photo;
  ctrl.SetControl(u"Image");
  ctrl.PictureReadComplete(read);
  log.clear();
  ctrl.Paint();
  EXPECT_EQ(Take()[4], "SetWidth(1485)") << "laid out once the picture is there";
}

TEST_F(Drawing, FailedImageLaysOutAsText) {
  ctrl.SetControl(u"Image");
  ctrl.SetImageURL(u"http://h/x");
  FakeRead read;
  read.fail_value = true;
  ctrl.PictureReadComplete(read);
  log.clear();

  ctrl.Paint();
  const Log got = Take();
  EXPECT_EQ(got[2], "SetForeColor(0xFF0000)");
  EXPECT_EQ(got.back(), "Print(Failed complete loading remote image: http://h/x)");
}

TEST_F(Drawing, DesignModeDrawsOnTheSurfaceAsCreatedAndNeverSizes) {
  container.user_mode = false;
  Mode(u"Button", u"Go");
  ctrl.Paint();
  EXPECT_TRUE(ZorvickCtrlProbe::LaidOut(ctrl));
  EXPECT_EQ(Take(), Join({{"Cls()"}, Frame(1200, 600, false), Caption("Go", 500, 180)}));
  ctrl.Paint();
  EXPECT_EQ(Take()[0], "Cls()");
  EXPECT_FALSE(ZorvickCtrlProbe::Sized(ctrl));
}

TEST_F(Drawing, PixelSizeIsReadAfreshForEachPass) {
  Mode(u"Image");
  ZorvickCtrlProbe::SetPicture(ctrl, photo);
  canvas.px = 10;
  canvas.py = 12;
  ctrl.Paint();
  const Log got = Take();
  EXPECT_EQ(got[4], "SetWidth(1470)");
  EXPECT_EQ(got[5], "SetHeight(756)");
  EXPECT_EQ(got.back(), "PaintPicture(photo,10,12)");
  EXPECT_EQ(got[got.size() - 2], "Line(1460,0,1460,756,0x80000015)");
}

TEST_F(Drawing, SurfaceFailureLeavesThePaint) {
  Mode(u"Text", u"Hi");
  canvas.fail_on = "SetToolTipText";
  EXPECT_THROW(ctrl.Paint(), ComError);
  EXPECT_FALSE(ZorvickCtrlProbe::LaidOut(ctrl));

  canvas.fail_on = "Cls";
  EXPECT_THROW(ctrl.Paint(), ComError);
  EXPECT_TRUE(ZorvickCtrlProbe::LaidOut(ctrl));
  EXPECT_TRUE(ZorvickCtrlProbe::Sized(ctrl));
}

TEST_F(Drawing, MarginArithmeticThatOverflowsIsAnError) {
  Mode(u"Button", u"Go");
  canvas.char_width = std::numeric_limits<float>::max();
  EXPECT_EQ(ErrorCodeOf([&] { ctrl.Paint(); }), errc::kOverflow);
}

}  // namespace
}  // namespace pelzorvick::test
