// Every spelling of one file or address comes out as the same text: the
// ground on which no spelling escapes a pattern.

#include <gtest/gtest.h>

#include "policy/Address.h"
#include "policy/PathSpelling.h"
#include "text/CaseFold.h"

namespace pelzorvick::policy {
namespace {

// Rows whose expected text is null where the input spells nothing.
void ExpectSpelling(const std::optional<std::u16string>& got, const char16_t* want, const char16_t* in) {
  if (want) {
    EXPECT_EQ(got, std::u16string(want)) << testing::PrintToString(std::u16string(in));
  } else {
    EXPECT_EQ(got, std::nullopt) << testing::PrintToString(std::u16string(in));
  }
}

TEST(PathSpelling, EveryWindowsSpellingOfAPathBecomesOne) {
  const struct {
    const char16_t* in;
    const char16_t* path;
    const char16_t* stream;
  } rows[] = {
      {u"C:\\Tools\\app.exe", u"C:\\Tools\\app.exe", u""},
      {u"C:/Tools/app.exe", u"C:\\Tools\\app.exe", u""},
      {u"\\\\?\\C:\\Tools\\app.exe", u"C:\\Tools\\app.exe", u""},
      {u"\\\\.\\C:\\Tools\\app.exe", u"C:\\Tools\\app.exe", u""},
      {u"\\??\\C:\\Tools\\app.exe", u"C:\\Tools\\app.exe", u""},
      {u"//?/C:/Tools/app.exe", u"C:\\Tools\\app.exe", u""},
      {u"\\\\?\\UNC\\server\\share\\x.exe", u"\\\\server\\share\\x.exe", u""},
      {u"C:\\Tools\\.\\sub\\..\\app.exe", u"C:\\Tools\\app.exe", u""},
      {u"C:\\..\\..\\Tools\\app.exe", u"C:\\Tools\\app.exe", u""},
      {u"C:\\Tools\\\\\\app.exe", u"C:\\Tools\\app.exe", u""},
      {u"C:\\Tools\\app.exe. . .", u"C:\\Tools\\app.exe", u""},
      {u"C:\\Tools. \\app.exe", u"C:\\Tools\\app.exe", u""},
      {u"C:\\Tools\\app.exe::$DATA", u"C:\\Tools\\app.exe", u""},
      {u"C:\\Tools\\app.exe:evil", u"C:\\Tools\\app.exe", u"evil"},
      {u"C:\\Tools\\app.exe:evil:$DATA", u"C:\\Tools\\app.exe", u"evil"},
      {u"C:\\Tools:$I30:$INDEX_ALLOCATION\\app.exe", u"C:\\Tools\\app.exe", u""},
      {u"C:\\Tools\\", u"C:\\Tools", u""},
      {u"C:\\", u"C:\\", u""},
      {u"..\\x.exe", u"..\\x.exe", u""},
      {u"sub\\..\\..\\x.exe", u"..\\x.exe", u""},
  };
  for (const auto& row : rows) {
    const CleanPath clean = CleanPathSpelling(row.in);
    EXPECT_EQ(clean.path, row.path) << testing::PrintToString(std::u16string(row.in));
    EXPECT_EQ(clean.stream, row.stream) << testing::PrintToString(std::u16string(row.in));
  }
}

TEST(PathSpelling, FileAddressesOfLocalFilesAreTheirPaths) {
  const struct {
    const char16_t* in;
    const char16_t* path;  // null: no local path
  } rows[] = {
      {u"file:///C:/Tools/app.exe", u"C:\\Tools\\app.exe"},
      {u"FILE://localhost/C:/Tools/app.exe", u"C:\\Tools\\app.exe"},
      {u"file:/C:/Tools/app.exe", u"C:\\Tools\\app.exe"},
      {u"file:C:\\Tools\\app.exe", u"C:\\Tools\\app.exe"},
      {u"file:///C|/Tools/app.exe", u"C:\\Tools\\app.exe"},
      {u"file://C:/Tools/app.exe", u"C:\\Tools\\app.exe"},
      {u"file:///C:/Tools/%61pp.exe?x#y", u"C:\\Tools\\app.exe"},
      {u"file:///C:/T%C3%B6ols/x", u"C:\\T\u00F6ols\\x"},
      {u"file://server/share/x.exe", u"\\\\server\\share\\x.exe"},
      {u"file:////server/share/x.exe", u"\\\\server\\share\\x.exe"},
      {u"file:///relative/x", nullptr},
      {u"http://host/x", nullptr},
  };
  for (const auto& row : rows) ExpectSpelling(PathOfFileAddress(row.in), row.path, row.in);
}

TEST(AddressSpelling, EveryWayOfWritingOneAddressBecomesOne) {
  const struct {
    const char16_t* in;
    const char16_t* canonical;  // null: not an address
  } rows[] = {
      {u"https://intranet.example/app", u"https://intranet.example:443/app"},
      {u"HTTPS://Intranet.Example:0443/app#part", u"https://intranet.example:443/app"},
      {u"https://user:pw@intranet.example./app", u"https://intranet.example:443/app"},
      {u"https://intranet.example@evil.other/", u"https://evil.other:443/"},
      {u"https:\\\\%65vil.other\\x", u"https://evil.other:443/x"},
      {u"https:evil.other/x", u"https://evil.other:443/x"},
      {u"https://ev\til.other/", u"https://evil.other:443/"},
      {u"http://h/a/./b/../c?q=1&r=..", u"http://h:80/a/c?q=1&r=.."},
      {u"http://h/a/%2e%2E/b", u"http://h:80/b"},
      {u"http://[::1]:8080", u"http://[::1]:8080/"},
      {u"pzproto://host/x?a=1&b=2", u"pzproto://host/x?a=1&b=2"},
      {u"mailto:someone@example", u"mailto:someone@example"},
      {u"https://", nullptr},
      {u"http://h:8x/", nullptr},
      {u"C:\\x", nullptr},
  };
  for (const auto& row : rows) ExpectSpelling(CanonicalAddress(row.in), row.canonical, row.in);
}

TEST(CaseFold, LettersOfTheScriptsOfFileNames) {
  EXPECT_EQ(FoldCase(u"c:\\tools\\\u00e9t\u00e9\\\u00ff\u0161\u03c3\u03c2\u0430\u0451\u0561\uff41"),
            u"C:\\TOOLS\\\u00c9T\u00c9\\\u0178\u0160\u03a3\u03a3\u0410\u0401\u0531\uff21");
  EXPECT_EQ(FoldCase(u"\u00d7\u00f7\u0131\u4e2d"), u"\u00d7\u00f7\u0131\u4e2d");  // no case, or none of its own
}

}  // namespace
}  // namespace pelzorvick::policy
