#include <gtest/gtest.h>

#include "common/Utf8.h"

namespace pelzorvick {
namespace {

TEST(Utf8, EncodesEveryLengthAndPairs) {
  EXPECT_EQ(ToUtf8(u""), "");
  EXPECT_EQ(ToUtf8(u"a\u00e9\u20ac\U0001D11E\U0010FFFF"),
            "a\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E\xF4\x8F\xBF\xBF");
}

TEST(Utf8, RefusesUnpairedSurrogates) {
  const char16_t high_alone[] = {u'a', 0xD834, 0};
  const char16_t low_alone[] = {0xDD1E, u'a', 0};
  const char16_t reversed[] = {0xDD1E, 0xD834, 0};
  EXPECT_FALSE(ToUtf8(high_alone));
  EXPECT_FALSE(ToUtf8(low_alone));
  EXPECT_FALSE(ToUtf8(reversed));
  EXPECT_EQ(ToUtf8Lossy(high_alone), "a\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8Lossy(reversed), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf8, DecodesAndRoundTrips) {
  const std::u16string text = u"a\u00e9\u20ac\U0001D11E\U0010FFFF\u0000z";
  EXPECT_EQ(FromUtf8(*ToUtf8(text)), text);
}

TEST(Utf8, ReplacesEachIllFormedSequence) {
  EXPECT_EQ(FromUtf8("\x80"), u"\uFFFD");                  // stray continuation
  EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");        // C0 never starts a sequence
  EXPECT_EQ(FromUtf8("\xE0\x80\xAF"), u"\uFFFD");          // overlong
  EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD");          // encoded surrogate
  EXPECT_EQ(FromUtf8("\xF4\x90\x80\x80"), u"\uFFFD");      // beyond U+10FFFF
  EXPECT_EQ(FromUtf8("\xE2\x82z"), u"\uFFFDz");            // cut short
  EXPECT_EQ(FromUtf8("a\xF0\x9D\x84"), u"a\uFFFD");        // cut at the end
  EXPECT_EQ(FromUtf8("\xFF"), u"\uFFFD");
}

TEST(Utf8, StrictDecodingRefusesWhatWouldBeReplaced) {
  for (const char* bytes : {"\x80", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                            "\xE2\x82z", "a\xF0\x9D\x84", "\xFF"}) {
    EXPECT_FALSE(FromUtf8Strict(bytes)) << bytes;
  }
  EXPECT_EQ(FromUtf8Strict("a\xC3\xA9\xF0\x9D\x84\x9E"), u"a\u00e9\U0001D11E");
}

}  // namespace
}  // namespace pelzorvick
