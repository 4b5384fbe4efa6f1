#include "host/CommandLine.h"

#include <gtest/gtest.h>

namespace pelzorvick {
namespace {

TEST(HostCommandLine, ReadsFileFlagsAndValues) {
  const HostOptions o = ParseHostCommandLine(
      {u"form.txt", u"--press", u"--log", u"--exit-after", u"1500", u"--settle", u"300", u"--save", u"out.txt",
       u"--screenshot", u"a.png", u"--screenshot-pressed", u"b.png", u"--control", u"Control2",
       u"--design", u"--dismiss-messages", u"--describe", u"--execute", u"--focus", u"Control3",
       u"--accessible", u"--default-action", u"--accessible-after-release", u"--render", u"r.png",
       u"--render-dpi", u"600"});
  EXPECT_EQ(o.file, u"form.txt");
  EXPECT_TRUE(o.press && o.log && o.design && o.dismiss_messages && o.describe && o.execute);
  EXPECT_EQ(o.exit_after, 1500);
  EXPECT_EQ(o.settle, 300);
  EXPECT_EQ(o.save, u"out.txt");
  EXPECT_EQ(o.screenshot, u"a.png");
  EXPECT_EQ(o.screenshot_pressed, u"b.png");
  EXPECT_EQ(o.target, u"Control2");
  EXPECT_EQ(o.focus, u"Control3");
  EXPECT_TRUE(o.accessible && o.default_action && o.accessible_after);
  EXPECT_EQ(o.render, u"r.png");
  EXPECT_EQ(o.render_dpi, 600);

  const HostOptions none = ParseHostCommandLine({});
  EXPECT_TRUE(none.file.empty());
  EXPECT_EQ(none.exit_after, -1);
  EXPECT_EQ(none.render_dpi, 300);
}

TEST(HostCommandLine, SetTakesFileSyntaxOrPlainText) {
  const HostOptions o = ParseHostCommandLine(
      {u"--set", u"Text=Hello, world", u"--set", u"Control2.AutoSize=false", u"--set",
       u"FontSize=12.5", u"--set", u"Text=\"True\"", u"--set", u"Command=a=b", u"--set",
       u"Text="});
  ASSERT_EQ(o.sets.size(), 6u);
  EXPECT_EQ(o.sets[0].name, u"Text");
  EXPECT_EQ(o.sets[0].value, FileValue::String(u"Hello, world"));
  EXPECT_EQ(o.sets[1].control, u"Control2");
  EXPECT_EQ(o.sets[1].name, u"AutoSize");
  EXPECT_EQ(o.sets[1].value, FileValue::Boolean(false));
  EXPECT_EQ(o.sets[2].value, FileValue::Number(u"12.5"));
  EXPECT_EQ(o.sets[3].value, FileValue::String(u"True"));
  EXPECT_EQ(o.sets[4].value, FileValue::String(u"a=b"));
  EXPECT_EQ(o.sets[5].value, FileValue::String(u""));
}

TEST(HostCommandLine, TabAndKeysKeepTheirOrder) {
  using K = KeyStep::Key;
  using S = KeyStep::Stroke;
  const HostOptions o = ParseHostCommandLine(
      {u"--tab", u"2", u"--key", u"space-down", u"--key", u"escape", u"--key", u"space-up",
       u"--tab", u"0", u"--key", u"enter", u"--key", u"tab-down"});
  const std::vector<KeyStep> want = {{K::kTab, S::kPress},   {K::kTab, S::kPress},
                                     {K::kSpace, S::kDown},  {K::kEscape, S::kPress},
                                     {K::kSpace, S::kUp},    {K::kEnter, S::kPress},
                                     {K::kTab, S::kDown}};
  EXPECT_EQ(o.keys, want);
}

TEST(HostCommandLine, FrameStepsKeepTheirOrder) {
  using K = FrameStep::Kind;
  const HostOptions o = ParseHostCommandLine(
      {u"--properties", u"--frame", u"page=2", u"--frame", u"key=alt+c", u"--frame", u"key=tab",
       u"--frame", u"type=a=b c", u"--frame", u"screenshot=p.png", u"--frame", u"ok",
       u"--frame", u"cancel"});
  ASSERT_TRUE(o.properties);
  FrameStep page{K::kPage, u""};
  page.page = 2;
  const std::vector<FrameStep> want = {page,
                                       {K::kMnemonic, u"c"},
                                       {K::kKey, u""},
                                       {K::kType, u"a=b c"},
                                       {K::kScreenshot, u"p.png"},
                                       {K::kOk, u""},
                                       {K::kCancel, u""}};
  EXPECT_EQ(o.frame, want);
}

TEST(HostCommandLine, RefusesWhatItCannotDo) {
  const std::vector<std::vector<std::u16string>> bad = {
      {u"--bogus"},         {u"--save"},           {u"--exit-after", u"soon"},
      {u"--exit-after", u"-1"}, {u"--set", u"NoValue"}, {u"--set", u"=1"},
      {u"a.txt", u"b.txt"}, {u"--screenshot-pressed", u"p.png"},
      {u"--key", u"shift"}, {u"--key", u"space-left"}, {u"--key", u"-down"},
      {u"--key", u"Space"}, {u"--tab", u"x"}, {u"--tab", u"101"}, {u"--focus"},
      {u"--frame", u"ok"}, {u"--properties", u"--frame", u"page=0"},
      {u"--properties", u"--frame", u"key=alt+"}, {u"--properties", u"--frame", u"type="},
      {u"--properties", u"--frame", u"okay"}, {u"--properties", u"--frame", u"ok=1"},
      {u"--render-dpi", u"0"}, {u"--render-dpi", u"1201"},
  };
  for (const auto& args : bad) {
    EXPECT_THROW(ParseHostCommandLine(args), UsageError) << args.size();
  }
}

}  // namespace
}  // namespace pelzorvick
