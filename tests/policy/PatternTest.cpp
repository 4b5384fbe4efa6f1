// The administrator's patterns against targets as the policy spells them:
// full paths, folders, wildcards, addresses bounded by scheme and host, any
// letter case; and the patterns that are malformed.

#include <gtest/gtest.h>

#include "policy/Address.h"
#include "policy/PathSpelling.h"
#include "policy/Pattern.h"

namespace pelzorvick::policy {
namespace {

Target PathOf(const char16_t* written) { return {Target::Kind::kPath, CleanPathSpelling(written).path, false}; }
Target AddressOf(const char16_t* written) {
  return {Target::Kind::kAddress, CanonicalAddress(written).value_or(u"?"), false};
}

Pattern Parsed(const char16_t* text) {
  auto parsed = Pattern::Parse(text);
  if (std::holds_alternative<std::u16string>(parsed)) {
    ADD_FAILURE() << "malformed: " << testing::PrintToString(std::u16string(text));
    return std::get<Pattern>(Pattern::Parse(u"C:\\never-matched\\"));
  }
  return std::get<Pattern>(parsed);
}

TEST(Patterns, MatchTargetsInAnySpellingTheyWereBroughtTo) {
  const struct {
    const char16_t* pattern;
    Target target;
    bool matches;
  } rows[] = {
      {u"C:\\Tools\\app.exe", PathOf(u"c:\\tools\\APP.EXE"), true},
      {u"C:\\Tools\\app.exe", PathOf(u"C:\\Tools\\app.exe2"), false},
      {u"C:\\Tools\\app.exe", PathOf(u"C:\\Tools\\sub\\..\\app.exe."), true},
      {u"C:/Tools/app.exe ", PathOf(u"C:\\Tools\\app.exe"), true},
      {u"C:\\Tools\\", PathOf(u"C:\\Tools\\sub\\x.exe"), true},
      {u"C:\\Tools\\", PathOf(u"C:\\Tools"), true},
      {u"C:\\Tools\\", PathOf(u"C:\\ToolsOther\\x.exe"), false},
      {u"C:\\", PathOf(u"C:\\x.exe"), true},
      {u"C:\\", PathOf(u"D:\\x.exe"), false},
      {u"C:\\Tools\\*.exe", PathOf(u"C:\\Tools\\a\\b.exe"), true},
      {u"C:\\Tools\\*.exe", PathOf(u"C:\\Tools\\b.exe.txt"), false},
      {u"C:\\Tools\\?.exe", PathOf(u"C:\\Tools\\a.exe"), true},
      {u"C:\\Tools\\?.exe", PathOf(u"C:\\Tools\\ab.exe"), false},
      {u"C:\\Users\\*\\Tools\\", PathOf(u"C:\\Users\\ann\\Tools\\x.exe"), true},
      {u"*\\cmd.exe", PathOf(u"C:\\Windows\\System32\\CMD.EXE"), true},
      {u"*.bat", PathOf(u"\\\\server\\share\\run.BAT"), true},
      {u"\\\\server\\share\\", PathOf(u"\\\\SERVER\\share\\x.exe"), true},
      {u"file:///C:/Tools/", PathOf(u"C:\\Tools\\app.exe"), true},
      {u"C:\\\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b\\", PathOf(u"c:\\\u043f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b\\x.exe"), true},
      {u"https://intranet.example/", AddressOf(u"HTTPS://Intranet.Example/app"), true},
      {u"https://intranet.example", AddressOf(u"https://intranet.example:443/app"), true},
      {u"https://intranet.example/", AddressOf(u"https://intranet.example.other/"), false},
      {u"https://intranet.example/", AddressOf(u"https://intranet.example:8443/"), false},
      {u"https://intranet.example/", AddressOf(u"http://intranet.example/"), false},
      {u"https://intranet.example/", AddressOf(u"https://intranet.example@evil.other/"), false},
      {u"https://evil.other/", AddressOf(u"https://intranet.example@evil.other/"), true},
      {u"https://evil.other/", AddressOf(u"https:\\\\EVIL.other.\\x"), true},
      {u"https://intranet.example/app/", AddressOf(u"https://intranet.example/app/../secret"), false},
      {u"https://intranet.example/app/", AddressOf(u"https://intranet.example/x/%2e%2e/app/y"), true},
      {u"mailto:", AddressOf(u"mailto:someone@example"), true},
      {u"mailto:", AddressOf(u"https://mailto/"), false},
      // A path pattern names no address and the other way round; an unknown
      // target matches nothing, "*" neither.
      {u"*", AddressOf(u"https://x/"), false},
      {u"https://x/", PathOf(u"C:\\x"), false},
      {u"*", Target{Target::Kind::kUnknown, u"/b", false}, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Parsed(row.pattern).Matches(row.target), row.matches)
        << testing::PrintToString(std::u16string(row.pattern)) << " against "
        << testing::PrintToString(row.target.text);
  }
}

TEST(Patterns, MalformedOnesSayWhy) {
  const std::u16string rows[] = {
      u"",
      u"   ",
      u"C:\\" + std::u16string(2046, u'x'),
      u"notepad.exe",
      u"Tools\\app.exe",
      u"https://",
      u"https://host:8x/",
      u"https://*.example/",
      u"C:\\Tools\\app.exe:evil",
      u"file:///relative",
  };
  for (const std::u16string& row : rows) {
    const auto parsed = Pattern::Parse(row);
    ASSERT_TRUE(std::holds_alternative<std::u16string>(parsed)) << testing::PrintToString(row.substr(0, 40));
    EXPECT_FALSE(std::get<std::u16string>(parsed).empty());
  }
  EXPECT_TRUE(std::holds_alternative<Pattern>(Pattern::Parse(u"C:\\" + std::u16string(2045, u'x'))));
}

}  // namespace
}  // namespace pelzorvick::policy
