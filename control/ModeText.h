#pragma once
// Display-mode names and the one comparison every mode test uses.

#include <string_view>

namespace pelzorvick::mode {

inline constexpr std::u16string_view kImage = u"Image";
inline constexpr std::u16string_view kIcon = u"Icon";
inline constexpr std::u16string_view kSmallIcon = u"SmallIcon";
inline constexpr std::u16string_view kText = u"Text";
inline constexpr std::u16string_view kButton = u"Button";

// The whole text against an ASCII mode name, ASCII letters folded; no
// trimming, so "Button " is no mode at all.
inline bool Is(std::u16string_view text, std::u16string_view name) {
  if (text.size() != name.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t a = text[i];
    char16_t b = name[i];
    if (a >= u'a' && a <= u'z') a = static_cast<char16_t>(a - u'a' + u'A');
    if (b >= u'a' && b <= u'z') b = static_cast<char16_t>(b - u'a' + u'A');
    if (a != b) return false;
  }
  return true;
}

}  // namespace pelzorvick::mode
