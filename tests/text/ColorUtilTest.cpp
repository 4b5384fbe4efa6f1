#include "text/ColorUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace pelzorvick {
namespace {

constexpr int32_t kDefault = 0x00123456;

struct ColorCase {
  std::u16string_view text;
  int32_t expected;
};

TEST(ParseColorTest, Readings) {
  const ColorCase cases[] = {
      {u"", kDefault},
      {u"#", kDefault},
      {u"#FF0000", 0x0000FF},
      {u"#ff0000", 0x0000FF},
      {u"#0000FF", 0xFF0000},
      {u"#00FF00", 0x00FF00},
      {u"#FFFFFF", 0xFFFFFF},
      {u"#000000", 0},
      {u"#123456", 0x563412},
      {u"#FF", 0xFF0000},
      {u"#FFF", 0xFF0F00},
      {u"#123", 0x230100},
      {u"#FFFF", 0xFFFF00},
      {u"#1000000", 0x0000FF},
      {u"#7FFFFFFF", 0xFFFFFF},
      {u"#123456789", kDefault},
      {u"#GG0000", kDefault},
      {u"#FFFFFFFF", kDefault},
      {u"# FF", kDefault},
      {u"##FF", kDefault},
      {u"red", 0x0000FF},
      {u"Red", 0x0000FF},
      {u"RED", 0x0000FF},
      {u"navy", 0x800000},
      {u"darkseagreen", 0x8BBC8F},
      {u"aqua", 0xFFFF00},
      {u"cyan", 0xFFFF00},
      {u"fuchsia", 0xFF00FF},
      {u"magenta", 0xFF00FF},
      {u"lightgrey", 0xD3D3D3},
      {u"lightgray", kDefault},
      {u"grey", kDefault},
      {u"light blue", kDefault},
      {u" red", kDefault},
      {u"red ", kDefault},
      {u"FF0000", kDefault},
      {u"255", 255},
      {u"0", 0},
      {u"-1", kDefault},
      {u"2147483663", kDefault},  // beyond the 32-bit range
      {u"-2147483633", static_cast<int32_t>(0x8000000F)},
      {u"&H8000000F", static_cast<int32_t>(0x8000000F)},
      {u"&HFF", 255},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseColor(c.text, kDefault), c.expected)
        << std::string(c.text.begin(), c.text.end());
}

TEST(ParseColorTest, PassesTheDecimalSeparatorOn) {
  EXPECT_EQ(ParseColor(u"2,5", kDefault, u','), 2);
  EXPECT_EQ(ParseColor(u"2,5", kDefault), kDefault);
}

TEST(ParseHexColorTest, NegativeChannelsCountAsZero) {
  // Eight digits from 8 up read as a negative number; it must still give a
  // valid colour and never the failure value.
  EXPECT_EQ(ParseHexColor(u"80000000"), 0);
  EXPECT_EQ(ParseHexColor(u"FFFFFF00"), 0);
  EXPECT_EQ(ParseHexColor(u"FFFFFFFE"), 0);
  EXPECT_EQ(ParseHexColor(u"FFFFFFFF"), -1);
  EXPECT_EQ(ParseHexColor(u""), -1);
  EXPECT_EQ(ParseHexColor(u"123456789"), -1);
}

}  // namespace
}  // namespace pelzorvick
