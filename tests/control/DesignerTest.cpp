// What a form designer is shown: the two groups cover every property once,
// the offered values, and the Commands page's preview, which must say what a
// click then does.

#include <algorithm>
#include <optional>

#include <gtest/gtest.h>

#include "command/CommandUtil.h"
#include "control/CommandPreview.h"
#include "control/PropertyBrowsing.h"
#include "tests/control/Fakes.h"
#include "text/ColorUtil.h"

namespace pelzorvick::test {
namespace {

std::vector<std::string> Names(std::span<const Property* const> rows) {
  std::vector<std::string> names;
  for (const Property* p : rows) names.push_back(Narrow(p->name));
  return names;
}

TEST(Designer, GroupsHoldEveryPropertyOnceInPageOrder) {
  EXPECT_EQ(Names(PropertiesOf(PropertyGroup::kAppearance)),
            (std::vector<std::string>{"Control", "Text", "FontSize", "ForeColor", "BackColor",
                                      "AutoSize", "Border", "ImageURL"}));
  EXPECT_EQ(Names(PropertiesOf(PropertyGroup::kCommands)),
            (std::vector<std::string>{"Command", "Command1", "Command2", "Command3", "Command4",
                                      "Command5", "Command6", "Command7", "Command8",
                                      "Command9"}));
  EXPECT_EQ(GroupName(PropertyGroup::kAppearance), u"Appearance");
  EXPECT_EQ(GroupName(PropertyGroup::kCommands), u"Commands");
  for (const Property& p : ZorvickCtrl::kProperties) {
    const auto in = PropertiesOf(*GroupOf(p.dispid));
    EXPECT_NE(std::find(in.begin(), in.end(), &p), in.end()) << Narrow(p.name);
  }
  EXPECT_FALSE(GroupOf(0x60030022).has_value()) << "Execute is no property";
}

TEST(Designer, OfferedValuesAreTheModesAndTheColourNames) {
  std::vector<std::string> modes;
  for (const OfferedValue& v : OfferedValues(ZorvickCtrl::PropertyNamed(u"Control"))) {
    EXPECT_EQ(v.shown, v.value);
    modes.push_back(Narrow(v.value));
  }
  EXPECT_EQ(modes, (std::vector<std::string>{"Image", "Icon", "SmallIcon", "Text", "Button"}));

  for (const Property* colour :
       {&ZorvickCtrl::PropertyNamed(u"ForeColor"), &ZorvickCtrl::PropertyNamed(u"BackColor")}) {
    const std::vector<OfferedValue> colours = OfferedValues(*colour);
    ASSERT_EQ(colours.size(), 141u);
    EXPECT_EQ(colours[0].shown, u"(default)");
    EXPECT_EQ(colours[0].value, u"");
    EXPECT_TRUE(std::is_sorted(colours.begin() + 1, colours.end(),
                               [](const auto& a, const auto& b) { return a.value < b.value; }));
    for (auto it = colours.begin() + 1; it != colours.end(); ++it) {
      EXPECT_NE(LookupNamedColor(it->value), -1) << Narrow(it->value);
    }
  }
  EXPECT_EQ(ColorNames().front(), u"aliceblue");
  EXPECT_EQ(ColorNames().back(), u"yellowgreen");
  EXPECT_TRUE(OfferedValues(ZorvickCtrl::PropertyNamed(u"Text")).empty());
}

using Lines = std::vector<std::optional<std::u16string>>;

struct PreviewCase {
  const char* what;
  Lines lines;
  std::vector<std::string> texts;
  int marked;  // -1: none
};

TEST(Designer, PreviewSaysWhatAClickDoesWithEachLine) {
  FakeFileSystem fs;
  fs.files = {u"C:\\Tools\\app.exe", u"C:\\Tools\\tool.EXE", u"C:\\Docs\\a.txt"};
  const std::u16string too_long = u"C:" + std::u16string(40000, u'x') + u" /s";
  const PreviewCase cases[] = {
      {"the first found is marked; empty lines say nothing",
       {u"", u"C:\\missing.exe", u"C:\\Tools\\app.exe /s", u"notepad", u"C:\\Tools\\tool"},
       {"", "not found", "runs C:\\Tools\\app.exe", "opens through the shell",
        "runs C:\\Tools\\tool.EXE"},
       2},
      {"documents, addresses and bare names open through the shell",
       {u"C:\\Docs\\a.txt", u"https://example.invalid/", u"\"C:\\Tools\\app.exe\" x"},
       {"opens through the shell", "opens through the shell", "runs C:\\Tools\\app.exe"},
       0},
      {"a line that differs between controls marks nothing after it",
       {u"C:\\missing.exe", std::nullopt, u"calc"},
       {"not found", "differs", "opens through the shell"},
       -1},
      {"a lookup that fails ends the search as it ends a click",
       {too_long, u"calc"},
       {"fails: Overflow", "opens through the shell"},
       -1},
      {"nothing found", {u"D:\\gone.exe", u""}, {"not found", ""}, -1},
  };
  for (const PreviewCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<CommandPreview> previews = PreviewCommands(c.lines, fs);
    std::vector<std::string> texts;
    int marked = -1;
    for (std::size_t i = 0; i < previews.size(); ++i) {
      texts.push_back(Narrow(previews[i].text));
      if (previews[i].runs_on_click) {
        EXPECT_EQ(marked, -1) << "marked twice";
        marked = static_cast<int>(i);
      }
    }
    EXPECT_EQ(texts, c.texts);
    EXPECT_EQ(marked, c.marked);
  }
}

// The preview and the click judge alike: the marked line is the one a click
// starts, directly as the file named or through the interpreter.
TEST(Designer, PreviewAgreesWithTheClick) {
  const std::u16string lines[] = {u"C:\\Tools\\app.exe /s", u"C:\\Tools\\tool", u"C:\\Docs\\a.txt",
                                  u"here /x", u"calc"};
  for (const std::u16string& line : lines) {
    ControlFixture f;
    f.Fresh();
    f.files.files = {u"C:\\Tools\\app.exe", u"C:\\Tools\\tool.EXE", u"C:\\Docs\\a.txt",
                     u"here.EXE"};
    f.ctrl.SetCommand1(u"C:\\missing.exe");
    f.ctrl.SetCommand2(line);
    const Lines ten = {f.ctrl.Command(), f.ctrl.Command1(), f.ctrl.Command2()};
    const CommandPreview preview = PreviewCommands(ten, f.files)[2];
    ASSERT_TRUE(preview.runs_on_click) << Narrow(line);
    f.ctrl.Execute();
    ASSERT_EQ(f.platform.images.size(), 1u);
    const std::string& started = f.platform.images[0];
    if (preview.text == u"opens through the shell") {
      EXPECT_EQ(started, FakePlatform::kInterpreter) << Narrow(line);
    } else {
      EXPECT_EQ("runs " + started.substr(0, started.find('|')), Narrow(preview.text));
    }
  }
}

TEST(Designer, ABrowsedFileBecomesALineWhoseProgramIsTheFile) {
  for (const char16_t* path : {u"C:\\Tools\\app.exe", u"C:\\Program Files\\My App\\app.exe"}) {
    EXPECT_EQ(GetProgram(CommandLineForFile(path)), path);
  }
  EXPECT_EQ(CommandLineForFile(u"C:\\a b.exe"), u"\"C:\\a b.exe\"");
}

}  // namespace
}  // namespace pelzorvick::test
