// Creation values, fresh defaults, the setters' notifications and the three
// display-mode predicates.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/control/Fakes.h"

namespace pelzorvick::test {
namespace {

using Getter = std::u16string (ZorvickCtrl::*)() const;
using Setter = void (ZorvickCtrl::*)(std::u16string_view);

struct StringProperty {
  const char* name;
  Getter get;
  Setter set;
};

const StringProperty kStringProperties[] = {
    {"Command", &ZorvickCtrl::Command, &ZorvickCtrl::SetCommand},
    {"Control", &ZorvickCtrl::Control, &ZorvickCtrl::SetControl},
    {"Text", &ZorvickCtrl::Text, &ZorvickCtrl::SetText},
    {"BackColor", &ZorvickCtrl::BackColor, &ZorvickCtrl::SetBackColor},
    {"ForeColor", &ZorvickCtrl::ForeColor, &ZorvickCtrl::SetForeColor},
    {"ImageURL", &ZorvickCtrl::ImageURL, &ZorvickCtrl::SetImageURL},
    {"Command1", &ZorvickCtrl::Command1, &ZorvickCtrl::SetCommand1},
    {"Command2", &ZorvickCtrl::Command2, &ZorvickCtrl::SetCommand2},
    {"Command3", &ZorvickCtrl::Command3, &ZorvickCtrl::SetCommand3},
    {"Command4", &ZorvickCtrl::Command4, &ZorvickCtrl::SetCommand4},
    {"Command5", &ZorvickCtrl::Command5, &ZorvickCtrl::SetCommand5},
    {"Command6", &ZorvickCtrl::Command6, &ZorvickCtrl::SetCommand6},
    {"Command7", &ZorvickCtrl::Command7, &ZorvickCtrl::SetCommand7},
    {"Command8", &ZorvickCtrl::Command8, &ZorvickCtrl::SetCommand8},
    {"Command9", &ZorvickCtrl::Command9, &ZorvickCtrl::SetCommand9},
};

TEST(ControlProperties, CreationValuesBeforeAnyInitialisation) {
  ControlFixture f;
  EXPECT_EQ(f.ctrl.FontSize(), 0.0f);
  EXPECT_FALSE(f.ctrl.AutoSize());
  EXPECT_FALSE(f.ctrl.Border());
  for (const auto& p : kStringProperties) EXPECT_EQ((f.ctrl.*p.get)(), u"") << p.name;
  EXPECT_EQ(f.ctrl.Picture(), nullptr);
  EXPECT_TRUE(f.log.empty());
}

TEST(ControlProperties, FreshInitialisationSetsDefaultsWithoutNotifying) {
  ControlFixture f;
  for (const auto& p : kStringProperties) (f.ctrl.*p.set)(u"x");
  f.ctrl.SetFontSize(20);
  f.ctrl.SetAutoSize(false);
  f.ctrl.SetBorder(false);
  f.log.clear();

  f.ctrl.InitProperties();

  EXPECT_EQ(f.ctrl.FontSize(), 9.0f);
  EXPECT_TRUE(f.ctrl.AutoSize());
  EXPECT_TRUE(f.ctrl.Border());
  for (const auto& p : kStringProperties) EXPECT_EQ((f.ctrl.*p.get)(), u"") << p.name;
  EXPECT_TRUE(f.log.empty()) << "no notification, no container setting";
}

TEST(ControlProperties, EveryStringSetterStoresAndNotifiesEvenWhenUnchanged) {
  for (const auto& p : kStringProperties) {
    ControlFixture f;
    f.Fresh();
    (f.ctrl.*p.set)(u" Mixed Case ");
    (f.ctrl.*p.set)(u" Mixed Case ");
    EXPECT_EQ((f.ctrl.*p.get)(), u" Mixed Case ") << p.name;
    const std::string note = std::string("PropertyChanged(") + p.name + ")";
    EXPECT_EQ(f.Take(), (Log{note, note}));
  }
}

TEST(ControlProperties, BooleanSettersNotifyUnderTheirNames) {
  ControlFixture f;
  f.ctrl.SetAutoSize(true);
  f.ctrl.SetBorder(true);
  f.ctrl.SetBorder(true);
  EXPECT_TRUE(f.ctrl.AutoSize());
  EXPECT_TRUE(f.ctrl.Border());
  EXPECT_EQ(f.Take(),
            (Log{"PropertyChanged(AutoSize)", "PropertyChanged(Border)", "PropertyChanged(Border)"}));
}

TEST(ControlProperties, FontSizeTurnsZeroAndNotANumberIntoNine) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct {
    float given;
    float stored;
  } cases[] = {{0.0f, 9}, {-0.0f, 9}, {nan, 9}, {-4, -4}, {12.5f, 12.5f}, {9, 9},
               {std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::denorm_min()}};
  for (const auto& c : cases) {
    ControlFixture f;
    f.ctrl.SetFontSize(c.given);
    EXPECT_EQ(f.ctrl.FontSize(), c.stored) << c.given;
    EXPECT_EQ(f.Take(), Log{"PropertyChanged(FontSize)"});
  }
}

TEST(ControlProperties, SettersNeitherLayOutNorDrawNorFetch) {
  ControlFixture f;
  f.Fresh();
  f.SetProperties({{u"Control", u"Image"}, {u"ImageURL", u"http://example.invalid/a.png"},
                   {u"Command", u"notepad"}, {u"Text", u"Hi"}});
  EXPECT_EQ(f.Take(), (Log{"PropertyChanged(Control)", "PropertyChanged(ImageURL)",
                           "PropertyChanged(Command)", "PropertyChanged(Text)"}));
  EXPECT_EQ(f.ctrl.Picture(), nullptr);
  EXPECT_FALSE(ZorvickCtrlProbe::LaidOut(f.ctrl));
}

TEST(ControlPredicates, TruthTable) {
  enum Border { kFollows, kFalse, kTrue };
  const struct {
    const char16_t* control;
    bool picture;
    bool button;
    Border border;
  } rows[] = {
      {u"Image", true, false, kFollows},      {u"image", true, false, kFollows},
      {u"Icon", true, false, kFollows},       {u"ICON", true, false, kFollows},
      {u"SmallIcon", true, false, kFollows},  {u"smallicon", true, false, kFollows},
      {u"Text", false, false, kFalse},        {u"tEXT", false, false, kFalse},
      {u"Button", false, true, kTrue},        {u"BUTTON", false, true, kTrue},
      {u"", false, false, kFollows},          {u"Link", false, false, kFollows},
      {u"Image ", false, false, kFollows},    {u" Button", false, false, kFollows},
      {u"Text ", false, false, kFollows},     {u"Imag", false, false, kFollows},
      {u"Ima\u0130e", false, false, kFollows},
  };
  for (const auto& row : rows) {
    for (const bool border : {false, true}) {
      ControlFixture f;
      f.ctrl.SetControl(row.control);
      f.ctrl.SetBorder(border);
      const std::string where = Narrow(row.control) + (border ? " border" : " no border");
      EXPECT_EQ(ZorvickCtrlProbe::IsPictureMode(f.ctrl), row.picture) << where;
      EXPECT_EQ(ZorvickCtrlProbe::IsButtonMode(f.ctrl), row.button) << where;
      const bool expected = row.border == kFollows ? border : row.border == kTrue;
      EXPECT_EQ(ZorvickCtrlProbe::ShowsBorder(f.ctrl), expected) << where;
    }
  }
}

}  // namespace
}  // namespace pelzorvick::test
