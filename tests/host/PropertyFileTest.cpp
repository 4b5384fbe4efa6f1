#include "host/PropertyFile.h"

#include <gtest/gtest.h>

#include "common/Utf8.h"

namespace pelzorvick {
namespace {

using Kind = FileValue::Kind;

const FileValue& ValueOf(const PropertySection& s, std::u16string_view name) {
  const FileEntry* e = s.Find(name);
  if (!e) throw std::runtime_error("missing " + ToUtf8Lossy(name));
  return e->value;
}

TEST(PropertyFile, ReadsEveryKindOfValueAndSkipsComments) {
  const PropertyFile f = ParsePropertyFile(
      "' a launcher\n"
      "\n"
      "Control = \"Button\"\n"
      "  Text=\"Say \"\"hi\"\"\"  \n"
      "AutoSize = true\n"
      "Border = FALSE\n"
      "FontSize = 12.5\n"
      "Count = -7\n"
      "   ' indented comment\n",
      "form.txt");
  ASSERT_EQ(f.sections.size(), 1u);
  const PropertySection& s = f.sections[0];
  EXPECT_FALSE(s.has_header);
  EXPECT_EQ(s.lines.size(), 9u);
  EXPECT_EQ(ValueOf(s, u"Control"), FileValue::String(u"Button"));
  EXPECT_EQ(ValueOf(s, u"text"), FileValue::String(u"Say \"hi\""));
  EXPECT_EQ(ValueOf(s, u"AutoSize"), FileValue::Boolean(true));
  EXPECT_EQ(ValueOf(s, u"Border"), FileValue::Boolean(false));
  EXPECT_EQ(ValueOf(s, u"FontSize").kind, Kind::kNumber);
  EXPECT_FALSE(ValueOf(s, u"FontSize").IsInteger());
  EXPECT_DOUBLE_EQ(ValueOf(s, u"FontSize").AsDouble(), 12.5);
  EXPECT_TRUE(ValueOf(s, u"Count").IsInteger());
  EXPECT_EQ(ValueOf(s, u"Count").AsInteger(), -7);
  EXPECT_EQ(f.newline, "\n");
}

TEST(PropertyFile, NumbersAreIntegersOnlyWhenTheyFit32Bits) {
  struct Case {
    std::u16string text;
    bool number;
    bool integer;
  };
  const Case cases[] = {
      {u"0", true, true},           {u"+5", true, true},           {u"-2147483648", true, true},
      {u"2147483647", true, true},  {u"2147483648", true, false},  {u"1.0", true, false},
      {u"1e3", true, false},        {u".5", true, false},          {u"5.", true, false},
      {u"-1.5E-3", true, false},    {u"1.2.3", false, false},      {u"1e", false, false},
      {u"--1", false, false},       {u"0x10", false, false},       {u"&H10", false, false},
      {u".", false, false},         {u"1 000", false, false},      {u"1e999", false, false},
  };
  for (const Case& c : cases) {
    const std::optional<FileValue> v = ParseValue(c.text);
    EXPECT_EQ(v.has_value(), c.number) << ToUtf8Lossy(c.text);
    if (v && c.number) {
      EXPECT_EQ(v->kind, Kind::kNumber);
      EXPECT_EQ(v->text, c.text);
      EXPECT_EQ(v->IsInteger(), c.integer) << ToUtf8Lossy(c.text);
    }
  }
}

TEST(PropertyFile, MalformedLinesNameFileAndLine) {
  struct Case {
    std::string line;
    std::string message;
  };
  const Case cases[] = {
      {"Text \"x\"", "expected Name = value"},
      {"= 1", "is not a property name"},
      {"9Lives = 1", "is not a property name"},
      {"Font Size = 1", "is not a property name"},
      {"Text =", "no value after"},
      {"Text = \"open", "neither a \"quoted\" string"},
      {"Text = \"a\"b\"", "neither a \"quoted\" string"},
      {"Text = \"a\" 'comment", "neither a \"quoted\" string"},
      {"Text = hello", "neither a \"quoted\" string"},
      {"AutoSize = yes", "neither a \"quoted\" string"},
      {"FontSize = 1e999", "neither a \"quoted\" string"},
      {"[Control2", "a section header is [Name]"},
      {"[]", "a section header is [Name]"},
      {"Text = \"\xC3\"", "not valid UTF-8"},
      {"Text = \"\xED\xA0\x80\"", "not valid UTF-8"},  // an encoded surrogate
      {"Text = \"\xC0\xAF\"", "not valid UTF-8"},      // overlong
  };
  for (const Case& c : cases) {
    try {
      ParsePropertyFile("' first\r\nControl = \"Text\"\r\n" + c.line + "\r\nBorder = True\r\n",
                        "C:\\forms\\a.txt");
      ADD_FAILURE() << "accepted: " << c.line;
    } catch (const PropertyFileError& e) {
      EXPECT_EQ(e.line(), 3) << c.line;
      EXPECT_NE(e.message().find(c.message), std::string::npos) << c.line << " -> " << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("C:\\forms\\a.txt:3: ", 0), 0u) << e.what();
    }
  }
}

TEST(PropertyFile, RepeatsAndStrayPropertiesAreErrors) {
  struct Case {
    std::string text;
    int line;
    std::string message;
  };
  const Case cases[] = {
      {"Text = \"a\"\nTEXT = \"b\"\n", 2, "TEXT is given twice (first on line 1)"},
      {"[A]\nText = \"a\"\n[B]\nText = \"b\"\n[a]\n", 5, "section [a] is given twice"},
      {"Text = \"a\"\n[Control1]\n", 2, "after properties that belong to no section"},
  };
  for (const Case& c : cases) {
    try {
      ParsePropertyFile(c.text, "f");
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const PropertyFileError& e) {
      EXPECT_EQ(e.line(), c.line) << c.text;
      EXPECT_NE(e.message().find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST(PropertyFile, SectionsAreControlsInFileOrder) {
  PropertyFile f = ParsePropertyFile(
      "' three launchers\n\n[Control1]\nText = \"a\"\n\n[ Second ]\n[Control3]\nText = \"c\"\n", "f");
  const std::vector<PropertySection*> controls = f.Controls();
  ASSERT_EQ(controls.size(), 3u);
  EXPECT_EQ(controls[0]->name, u"Control1");
  EXPECT_EQ(controls[1]->name, u"Second");
  EXPECT_EQ(controls[1]->Find(u"Text"), nullptr);
  EXPECT_EQ(ValueOf(*controls[2], u"Text"), FileValue::String(u"c"));

  PropertyFile plain = ParsePropertyFile("", "f");
  ASSERT_EQ(plain.Controls().size(), 1u);
  EXPECT_EQ(plain.Controls()[0]->name, u"");
}

TEST(PropertyFile, WritingBackUnchangedGivesTheSameBytes) {
  const std::string texts[] = {
      "' comment\r\n\r\nControl = \"Icon\"\r\nweird   =   12.50\r\n",
      "\xEF\xBB\xBF[Control1]\nText = \"Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x9A\x80\"\n\n[Control2]  \n"
      "Border=False\n",
      // Carriage returns that are no line ending stay where they are.
      "' comment\r\r\nText = \"a\"\r\n",
      "A = 1\n' note\r\r\nB = 2\r\n",
      "",
  };
  for (const std::string& text : texts) {
    EXPECT_EQ(WritePropertyFile(ParsePropertyFile(text, "f"), "f"), text);
  }
  // A last line without its newline gets one.
  EXPECT_EQ(WritePropertyFile(ParsePropertyFile("A = 1", "f"), "f"), "A = 1\r\n");
}

TEST(PropertyFile, SetRewritesOnlyChangedLinesAndAppendsAfterTheLastEntry) {
  PropertyFile f = ParsePropertyFile(
      "[Control1]\nControl=\"Text\"\nFontSize = 9.0\nUnknown   = \"kept\"\n\n[Control2]\n\n", "f");
  PropertySection& one = *f.Controls()[0];
  one.Set(u"control", FileValue::String(u"Text"));   // equal: the line stays as written
  one.Set(u"FontSize", FileValue::Number(u"9"));      // other text: written afresh
  one.Set(u"Command", FileValue::String(u"a \"b\""));
  PropertySection& two = *f.Controls()[1];
  two.Set(u"Border", FileValue::Boolean(false));
  EXPECT_EQ(WritePropertyFile(f, "f"),
            "[Control1]\nControl=\"Text\"\nFontSize = 9\nUnknown   = \"kept\"\n"
            "Command = \"a \"\"b\"\"\"\n\n[Control2]\nBorder = False\n\n");

  one.Remove(u"UNKNOWN");
  EXPECT_EQ(one.Names(), (std::vector<std::u16string>{u"Control", u"FontSize", u"Command"}));
}

TEST(PropertyFile, WrittenStringsReadBackEqual) {
  const std::u16string strings[] = {u"", u"\"", u"\"\"", u"a \"quoted\" word", u"  spaced  ",
                                    u"'not a comment", u"x = y", u"\u00e9\U0001F600"};
  for (const std::u16string& s : strings) {
    PropertyFile f;
    f.sections.emplace_back();
    f.sections[0].Set(u"Text", FileValue::String(s));
    const PropertyFile back = ParsePropertyFile(WritePropertyFile(f, "f"), "f");
    EXPECT_EQ(ValueOf(back.sections[0], u"Text"), FileValue::String(s));
  }
}

TEST(PropertyFile, AStringThatOneLineCannotHoldFailsTheWrite) {
  for (const std::u16string& s : {std::u16string(u"two\r\nlines"), std::u16string(u"lf\n"),
                                  std::u16string(1, char16_t{0xD800})}) {
    PropertyFile f;
    f.sections.emplace_back();
    f.sections[0].Set(u"Text", FileValue::String(s));
    EXPECT_THROW(WritePropertyFile(f, "out.txt"), PropertyFileError);
  }
}

TEST(PropertyFile, FloatsAreWrittenInTheirShortestForm) {
  EXPECT_EQ(FormatSingle(9.0f), u"9");
  EXPECT_EQ(FormatSingle(12.5f), u"12.5");
  EXPECT_EQ(FormatSingle(0.1f), u"0.1");
  EXPECT_EQ(FormatSingle(-4.0f), u"-4");
  EXPECT_EQ(FormatDouble(0.1), u"0.1");
  const std::u16string big = FormatSingle(3e20f);
  EXPECT_TRUE(IsNumberText(big)) << ToUtf8Lossy(big);
  EXPECT_EQ(static_cast<float>(ParseValue(big)->AsDouble()), 3e20f);
}

}  // namespace
}  // namespace pelzorvick
