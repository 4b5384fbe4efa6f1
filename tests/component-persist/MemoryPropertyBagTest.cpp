#include "component/persist/MemoryPropertyBag.h"

#include <functional>

#include <gtest/gtest.h>

#include "common/ComError.h"
#include "tests/support/BagReads.h"
#include "tests/support/ErrorCode.h"

namespace pelzorvick {
namespace {

using test::ErrorCodeOf;
using test::ExpectBools;

TEST(MemoryPropertyBagTest, AbsentKeysReadAsTheirDefaults) {
  MemoryPropertyBag bag;
  EXPECT_EQ(bag.ReadString(u"Text", u"dflt"), u"dflt");
  EXPECT_EQ(bag.ReadSingle(u"FontSize", 9), 9.0f);
  EXPECT_TRUE(bag.ReadBool(u"Border", true));
  EXPECT_FALSE(bag.ReadBool(u"Border", false));
}

TEST(MemoryPropertyBagTest, KeysMatchExactly) {
  MemoryPropertyBag bag;
  bag.WriteString(u"Text", u"x", u"");
  EXPECT_EQ(bag.ReadString(u"text", u"d"), u"d");
  EXPECT_EQ(bag.ReadString(u"Text", u"d"), u"x");
}

TEST(MemoryPropertyBagTest, KeepsFirstWriteOrderAndReplacesInPlace) {
  MemoryPropertyBag bag;
  bag.WriteString(u"B", u"1", u"");
  bag.WriteSingle(u"A", 2.5f, 9);
  bag.WriteBool(u"C", false, true);
  bag.WriteString(u"B", u"again", u"");
  ASSERT_EQ(bag.size(), 3u);
  EXPECT_EQ(bag.Entries()[0].key, u"B");
  EXPECT_EQ(bag.Entries()[1].key, u"A");
  EXPECT_EQ(bag.Entries()[2].key, u"C");
  EXPECT_EQ(bag.ReadString(u"B", u""), u"again");
}

TEST(MemoryPropertyBagTest, OmittingDefaultsLeavesThemOutAndRemovesOldValues) {
  MemoryPropertyBag bag(/*omit_defaults=*/true);
  bag.WriteSingle(u"FontSize", 12, 9);
  bag.WriteSingle(u"FontSize", 9, 9);
  bag.WriteString(u"Text", u"", u"");
  bag.WriteBool(u"Border", true, true);
  bag.WriteBool(u"AutoSize", false, true);
  ASSERT_EQ(bag.size(), 1u);
  EXPECT_EQ(bag.Entries()[0].key, u"AutoSize");
  EXPECT_EQ(bag.ReadSingle(u"FontSize", 9), 9.0f);

  MemoryPropertyBag keeping;
  keeping.WriteSingle(u"FontSize", 9, 9);
  EXPECT_EQ(keeping.size(), 1u);
}

struct StringCase {
  PropertyValue stored;
  std::u16string text;
};

TEST(MemoryPropertyBagTest, AnyValueReadsAsTextUnderAStringKey) {
  const StringCase cases[] = {
      {std::u16string(u"abc"), u"abc"},
      {std::u16string(u""), u""},
      {12.5f, u"12.5"},
      {9.0f, u"9"},
      {-0.25f, u"-0.25"},
      {1e20f, u"1E+20"},
      {0.1f, u"0.1"},
      {true, u"True"},
      {false, u"False"},
      {int16_t{-7}, u"-7"},
      {int16_t{9}, u"9"},
  };
  for (const auto& c : cases) {
    MemoryPropertyBag bag;
    bag.Set(u"K", c.stored);
    EXPECT_EQ(bag.ReadString(u"K", u"default"), c.text);
  }
}

struct NumberCase {
  std::u16string text;
  std::optional<double> value;
};

TEST(MemoryPropertyBagTest, NumberText) {
  const NumberCase cases[] = {
      {u"12", 12},        {u" 12.5 ", 12.5},   {u"\t-4", -4},     {u"+3", 3},
      {u".5", 0.5},       {u"5.", 5},          {u"1e3", 1000},    {u"2.5E-1", 0.25},
      {u"&HFF", 255},     {u"&h1f", 31},       {u"&O17", 15},     {u"&HFFFFFFFF", 4294967295.0},
      {u"1e-400", std::nullopt},     {u"", std::nullopt}, {u" ", std::nullopt}, {u"abc", std::nullopt},
      {u"1,5", std::nullopt}, {u"1e", std::nullopt}, {u"--1", std::nullopt}, {u".", std::nullopt},
      {u"&H", std::nullopt}, {u"&HG", std::nullopt}, {u"&O8", std::nullopt},
      {u"&H100000000", std::nullopt}, {u"1e400", std::nullopt}, {u"12abc", std::nullopt},
      {u"\uFF11", std::nullopt},  // a full-width digit is no digit here
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
    EXPECT_EQ(ParseNumberText(c.text), c.value);
  }
}

TEST(MemoryPropertyBagTest, SingleReadsConvertNumbersBooleansAndNumberText) {
  MemoryPropertyBag bag;
  bag.Set(u"f", 12.5f);
  bag.Set(u"i", int16_t{9});
  bag.Set(u"t", true);
  bag.Set(u"n", false);
  bag.Set(u"s", std::u16string(u" 7.25 "));
  EXPECT_EQ(bag.ReadSingle(u"f", 0), 12.5f);
  EXPECT_EQ(bag.ReadSingle(u"i", 0), 9.0f);
  EXPECT_EQ(bag.ReadSingle(u"t", 0), -1.0f);
  EXPECT_EQ(bag.ReadSingle(u"n", 5), 0.0f);
  EXPECT_EQ(bag.ReadSingle(u"s", 0), 7.25f);
}

TEST(MemoryPropertyBagTest, BoolReadsConvertNumbersAndTruthText) {
  MemoryPropertyBag bag;
  bag.Set(u"f0", 0.0f);
  bag.Set(u"f", 0.5f);
  bag.Set(u"i", int16_t{-1});
  bag.Set(u"true", std::u16string(u"tRUE"));
  bag.Set(u"false", std::u16string(u"FALSE"));
  bag.Set(u"zero", std::u16string(u"0"));
  bag.Set(u"num", std::u16string(u"-1"));
  ExpectBools(bag, {{u"f0", false}, {u"f", true}, {u"i", true}, {u"true", true},
                    {u"false", false}, {u"zero", false}, {u"num", true}});
}

TEST(MemoryPropertyBagTest, UnconvertibleValuesThrowTheTypeMismatch) {
  MemoryPropertyBag bag;
  bag.Set(u"abc", std::u16string(u"abc"));
  bag.Set(u"empty", std::u16string(u""));
  bag.Set(u"spaced", std::u16string(u" True"));
  bag.Set(u"huge", std::u16string(u"1e39"));
  EXPECT_EQ(ErrorCodeOf([&] { bag.ReadSingle(u"abc", 9); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorCodeOf([&] { bag.ReadSingle(u"empty", 9); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorCodeOf([&] { bag.ReadSingle(u"huge", 9); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorCodeOf([&] { bag.ReadBool(u"abc", true); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorCodeOf([&] { bag.ReadBool(u"empty", true); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorCodeOf([&] { bag.ReadBool(u"spaced", true); }), errc::kTypeMismatch);
}

}  // namespace
}  // namespace pelzorvick
