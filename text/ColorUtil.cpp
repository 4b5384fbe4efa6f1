#include "text/ColorUtil.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "text/StringUtil.h"

namespace pelzorvick {

namespace {

struct NamedColor {
  std::u16string_view name;  // lower-case ASCII
  std::u16string_view text;  // "#RRGGBB"
};

// Sorted by name for the binary search below; built by the compiler, so a
// lookup neither builds nor allocates anything.
constexpr std::array<NamedColor, 140> kNamedColors{{
    {u"aliceblue", u"#F0F8FF"},
    {u"antiquewhite", u"#FAEBD7"},
    {u"aqua", u"#00FFFF"},
    {u"aquamarine", u"#7FFFD4"},
    {u"azure", u"#F0FFFF"},
    {u"beige", u"#F5F5DC"},
    {u"bisque", u"#FFE4C4"},
    {u"black", u"#000000"},
    {u"blanchedalmond", u"#FFEBCD"},
    {u"blue", u"#0000FF"},
    {u"blueviolet", u"#8A2BE2"},
    {u"brown", u"#A52A2A"},
    {u"burlywood", u"#DEB887"},
    {u"cadetblue", u"#5F9EA0"},
    {u"chartreuse", u"#7FFF00"},
    {u"chocolate", u"#D2691E"},
    {u"coral", u"#FF7F50"},
    {u"cornflowerblue", u"#6495ED"},
    {u"cornsilk", u"#FFF8DC"},
    {u"crimson", u"#DC143C"},
    {u"cyan", u"#00FFFF"},
    {u"darkblue", u"#00008B"},
    {u"darkcyan", u"#008B8B"},
    {u"darkgoldenrod", u"#B8860B"},
    {u"darkgray", u"#A9A9A9"},
    {u"darkgreen", u"#006400"},
    {u"darkkhaki", u"#BDB76B"},
    {u"darkmagenta", u"#8B008B"},
    {u"darkolivegreen", u"#556B2F"},
    {u"darkorange", u"#FF8C00"},
    {u"darkorchid", u"#9932CC"},
    {u"darkred", u"#8B0000"},
    {u"darksalmon", u"#E9967A"},
    {u"darkseagreen", u"#8FBC8B"},
    {u"darkslateblue", u"#483D8B"},
    {u"darkslategray", u"#2F4F4F"},
    {u"darkturquoise", u"#00CED1"},
    {u"darkviolet", u"#9400D3"},
    {u"deeppink", u"#FF1493"},
    {u"deepskyblue", u"#00BFFF"},
    {u"dimgray", u"#696969"},
    {u"dodgerblue", u"#1E90FF"},
    {u"firebrick", u"#B22222"},
    {u"floralwhite", u"#FFFAF0"},
    {u"forestgreen", u"#228B22"},
    {u"fuchsia", u"#FF00FF"},
    {u"gainsboro", u"#DCDCDC"},
    {u"ghostwhite", u"#F8F8FF"},
    {u"gold", u"#FFD700"},
    {u"goldenrod", u"#DAA520"},
    {u"gray", u"#808080"},
    {u"green", u"#008000"},
    {u"greenyellow", u"#ADFF2F"},
    {u"honeydew", u"#F0FFF0"},
    {u"hotpink", u"#FF69B4"},
    {u"indianred", u"#CD5C5C"},
    {u"indigo", u"#4B0082"},
    {u"ivory", u"#FFFFF0"},
    {u"khaki", u"#F0E68C"},
    {u"lavender", u"#E6E6FA"},
    {u"lavenderblush", u"#FFF0F5"},
    {u"lawngreen", u"#7CFC00"},
    {u"lemonchiffon", u"#FFFACD"},
    {u"lightblue", u"#ADD8E6"},
    {u"lightcoral", u"#F08080"},
    {u"lightcyan", u"#E0FFFF"},
    {u"lightgoldenrodyellow", u"#FAFAD2"},
    {u"lightgreen", u"#90EE90"},
    {u"lightgrey", u"#D3D3D3"},
    {u"lightpink", u"#FFB6C1"},
    {u"lightsalmon", u"#FFA07A"},
    {u"lightseagreen", u"#20B2AA"},
    {u"lightskyblue", u"#87CEFA"},
    {u"lightslategray", u"#778899"},
    {u"lightsteelblue", u"#B0C4DE"},
    {u"lightyellow", u"#FFFFE0"},
    {u"lime", u"#00FF00"},
    {u"limegreen", u"#32CD32"},
    {u"linen", u"#FAF0E6"},
    {u"magenta", u"#FF00FF"},
    {u"maroon", u"#800000"},
    {u"mediumaquamarine", u"#66CDAA"},
    {u"mediumblue", u"#0000CD"},
    {u"mediumorchid", u"#BA55D3"},
    {u"mediumpurple", u"#9370DB"},
    {u"mediumseagreen", u"#3CB371"},
    {u"mediumslateblue", u"#7B68EE"},
    {u"mediumspringgreen", u"#00FA9A"},
    {u"mediumturquoise", u"#48D1CC"},
    {u"mediumvioletred", u"#C71585"},
    {u"midnightblue", u"#191970"},
    {u"mintcream", u"#F5FFFA"},
    {u"mistyrose", u"#FFE4E1"},
    {u"moccasin", u"#FFE4B5"},
    {u"navajowhite", u"#FFDEAD"},
    {u"navy", u"#000080"},
    {u"oldlace", u"#FDF5E6"},
    {u"olive", u"#808000"},
    {u"olivedrab", u"#6B8E23"},
    {u"orange", u"#FFA500"},
    {u"orangered", u"#FF4500"},
    {u"orchid", u"#DA70D6"},
    {u"palegoldenrod", u"#EEE8AA"},
    {u"palegreen", u"#98FB98"},
    {u"paleturquoise", u"#AFEEEE"},
    {u"palevioletred", u"#DB7093"},
    {u"papayawhip", u"#FFEFD5"},
    {u"peachpuff", u"#FFDAB9"},
    {u"peru", u"#CD853F"},
    {u"pink", u"#FFC0CB"},
    {u"plum", u"#DDA0DD"},
    {u"powderblue", u"#B0E0E6"},
    {u"purple", u"#800080"},
    {u"red", u"#FF0000"},
    {u"rosybrown", u"#BC8F8F"},
    {u"royalblue", u"#4169E1"},
    {u"saddlebrown", u"#8B4513"},
    {u"salmon", u"#FA8072"},
    {u"sandybrown", u"#F4A460"},
    {u"seagreen", u"#2E8B57"},
    {u"seashell", u"#FFF5EE"},
    {u"sienna", u"#A0522D"},
    {u"silver", u"#C0C0C0"},
    {u"skyblue", u"#87CEEB"},
    {u"slateblue", u"#6A5ACD"},
    {u"slategray", u"#708090"},
    {u"snow", u"#FFFAFA"},
    {u"springgreen", u"#00FF7F"},
    {u"steelblue", u"#4682B4"},
    {u"tan", u"#D2B48C"},
    {u"teal", u"#008080"},
    {u"thistle", u"#D8BFD8"},
    {u"tomato", u"#FF6347"},
    {u"turquoise", u"#40E0D0"},
    {u"violet", u"#EE82EE"},
    {u"wheat", u"#F5DEB3"},
    {u"white", u"#FFFFFF"},
    {u"whitesmoke", u"#F5F5F5"},
    {u"yellow", u"#FFFF00"},
    {u"yellowgreen", u"#9ACD32"},
}};

static_assert(std::is_sorted(kNamedColors.begin(), kNamedColors.end(),
                             [](const NamedColor& a, const NamedColor& b) {
                               return a.name < b.name;
                             }),
              "the lookup needs the names in order");
static_assert(std::adjacent_find(kNamedColors.begin(), kNamedColors.end(),
                                 [](const NamedColor& a, const NamedColor& b) {
                                   return a.name == b.name;
                                 }) == kNamedColors.end(),
              "names are unique");

constexpr auto kColorNames = [] {
  std::array<std::u16string_view, kNamedColors.size()> names{};
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = kNamedColors[i].name;
  return names;
}();

// Compares the name folded to lower case with a lower-case table name. Only
// ASCII letters fold, so a name with any other letter simply misses.
int CompareFolded(std::u16string_view name, std::u16string_view table_name) {
  const std::size_t common = std::min(name.size(), table_name.size());
  for (std::size_t i = 0; i < common; ++i) {
    const char16_t a = AsciiLower(name[i]);
    const char16_t b = table_name[i];
    if (a != b) return a < b ? -1 : 1;
  }
  if (name.size() == table_name.size()) return 0;
  return name.size() < table_name.size() ? -1 : 1;
}

int32_t ComposeRgb(int32_t red, int32_t green, int32_t blue) {
  const auto channel = [](int32_t c) { return std::clamp(c, 0, 255); };
  return channel(red) + 256 * channel(green) + 65536 * channel(blue);
}

constexpr std::size_t kMaxHexColorDigits = 8;
constexpr int32_t kUnreadable = -1;

}  // namespace

int32_t ParseColor(std::u16string_view text, int32_t def,
                   char16_t decimal_separator) {
  if (text.empty()) return def;
  int32_t color;
  if (text[0] == u'#')
    color = ParseHexColor(text.substr(1));
  else if (IsLetter(text.substr(0, 1)))
    color = LookupNamedColor(text);
  else
    color = TextToLong(text, decimal_separator);
  return color == kUnreadable ? def : color;
}

int32_t ParseHexColor(std::u16string_view digits) {
  if (digits.empty() || digits.size() > kMaxHexColorDigits) return kUnreadable;
  const int32_t n = HexToLong(digits);
  if (n == kUnreadable) return kUnreadable;
  // Truncating division, so that eight digits from 8 upwards (a negative n)
  // give zero or negative channels; those count as 0, as channels above 255
  // count as 255. Such text therefore reads as black.
  const int32_t blue = n % 256;
  const int32_t m = (n - blue) / 256;
  const int32_t green = m % 256;
  const int32_t red = (m - green) / 256;
  return ComposeRgb(red, green, blue);
}

int32_t LookupNamedColor(std::u16string_view name) {
  std::size_t low = 0;
  std::size_t high = kNamedColors.size();
  while (low < high) {
    const std::size_t mid = low + (high - low) / 2;
    const int order = CompareFolded(name, kNamedColors[mid].name);
    if (order == 0) return ParseHexColor(kNamedColors[mid].text.substr(1));
    if (order < 0)
      high = mid;
    else
      low = mid + 1;
  }
  return kUnreadable;
}

std::span<const std::u16string_view> ColorNames() { return kColorNames; }

}  // namespace pelzorvick
