#include "text/StringUtil.h"

#include <gtest/gtest.h>

#include <string>

#include "common/ComError.h"
#include "tests/support/ErrorCode.h"

namespace pelzorvick {
namespace {

using test::ErrorCodeOf;

// Each case's text gives the case's answer.
template <class Case, std::size_t N, class Function>
void ExpectEach(const Case (&cases)[N], Function function) {
  for (const Case& c : cases) {
    EXPECT_EQ(function(c.text), c.expected) << std::string(c.text.begin(), c.text.end());
  }
}

struct TextCase {
  std::u16string_view text;
  bool expected;
};

TEST(IsLetterTest, SubstringsOfTheAlphabet) {
  const TextCase cases[] = {
      {u"a", true},    {u"Q", true},    {u"Z", true},    {u"b", true},
      {u"1", false},   {u" ", false},   {u"#", false},   {u"-", false},
      {u"\u00e9", false}, {u"\u00e4", false}, {u"", true},
      {u"abc", true},  {u"XYZ", true},  {u"mnop", true}, {u"bc", true},
      {u"abcdefghijklmnopqrstuvwxyz", true},
      {u"ac", false},  {u"ZA", false},  {u"ab1", false}, {u"bd", false},
      {u"abcdefghijklmnopqrstuvwxyza", false},
      // Characters just outside the letter ranges.
      {u"@", false},   {u"[", false},   {u"`", false},   {u"{", false},
  };
  ExpectEach(cases, [](std::u16string_view text) { return IsLetter(text); });
}

TEST(IsAllLettersTest, EveryCharacterMustBeALetter) {
  const TextCase cases[] = {
      {u"", true}, {u"Shell", true}, {u"http", true}, {u"zz", true},
      {u"my-app", false}, {u"a1b", false}, {u"C:", false}, {u"a b", false},
  };
  ExpectEach(cases, [](std::u16string_view text) { return IsAllLetters(text); });
}

void ExpectOverflow(std::u16string_view text) {
  EXPECT_EQ(ErrorCodeOf([&] { IsAllLetters(text); }), errc::kOverflow)
      << text.size() << " characters";
}

TEST(IsAllLettersTest, CountsInSixteenBits) {
  EXPECT_TRUE(IsAllLetters(std::u16string(32766, u'a')));
  ExpectOverflow(std::u16string(32767, u'a'));
  // Stops at the first non-letter before the counter runs out.
  std::u16string stops_early(32767, u'a');
  stops_early.back() = u'1';
  EXPECT_FALSE(IsAllLetters(stops_early));
  // Too long for the counter: fails before looking at any character.
  std::u16string too_long(32768, u'a');
  too_long.front() = u'1';
  ExpectOverflow(too_long);
}

struct NumberCase {
  std::u16string_view text;
  int32_t expected;
};

TEST(HexToLongTest, Readings) {
  const NumberCase cases[] = {
      {u"ff", 255}, {u"00FF", 255}, {u"FFFFFF", 16777215}, {u"7FFFFFFF", 2147483647},
      {u"80000000", INT32_MIN}, {u"FFFFFFFF", -1}, {u"FFFFFFFE", -2}, {u"aBcD", 0xABCD},
      // Up to four digits with the top bit set stay positive.
      {u"8000", 32768}, {u"FFFF", 65535}, {u"00FFFF", 65535}, {u"008000", 32768},
      {u"000000000001", 1},
      // More than eight digits, or not digits alone: -1.
      {u"100000000", -1}, {u"", -1}, {u"G1", -1}, {u"-1", -1}, {u"+1", -1}, {u" FF", -1},
      {u"F F", -1}, {u"FF ", -1}, {u"#FF", -1}, {u"&HFF", -1}, {u"0x1F", -1},
  };
  ExpectEach(cases, [](std::u16string_view text) { return HexToLong(text); });
}

TEST(TextToLongTest, Readings) {
  const NumberCase cases[] = {
      {u"255", 255}, {u" 255 ", 255}, {u"\t42", 42}, {u"+7", 7}, {u"-7", -7}, {u"007", 7},
      {u"2.5", 2}, {u"3.5", 4}, {u"-2.5", -2}, {u"-3.5", -4}, {u"0.5", 0}, {u"2.51", 3},
      {u"2.5000", 2}, {u"2.5000001", 3}, {u"2.49999", 2}, {u"&HFF", 255}, {u"&hff", 255},
      {u" &HFF ", 255}, {u"&H80000000", INT32_MIN}, {u"2147483647", 2147483647},
      {u"-2147483648", INT32_MIN}, {u"2147483646.5", 2147483646},
      // Out of range, or not a number of this form: -1.
      {u"2147483647.5", -1}, {u"2147483648", -1}, {u"-2147483649", -1},
      {u"99999999999999999999", -1}, {u"", -1}, {u"   ", -1}, {u"abc", -1}, {u"-1", -1}, {u"+", -1},
      {u"+ 7", -1}, {u"1 2", -1}, {u"12a", -1}, {u".5", -1}, {u"2.", -1}, {u"2.5.1", -1},
      {u"2,5", -1}, {u"1,000", -1}, {u"&H", -1}, {u"-&HFF", -1},
  };
  ExpectEach(cases, [](std::u16string_view text) { return TextToLong(text); });
}

TEST(TextToLongTest, UsesTheGivenDecimalSeparator) {
  EXPECT_EQ(TextToLong(u"2,5", u','), 2);
  EXPECT_EQ(TextToLong(u"3,5", u','), 4);
  EXPECT_EQ(TextToLong(u"2.5", u','), -1);
}

}  // namespace
}  // namespace pelzorvick
