#pragma once
// Display-mode names and the one comparison every mode test uses.

#include <array>
#include <string_view>

#include "text/StringUtil.h"

namespace pelzorvick::mode {

inline constexpr std::u16string_view kImage = u"Image";
inline constexpr std::u16string_view kIcon = u"Icon";
inline constexpr std::u16string_view kSmallIcon = u"SmallIcon";
inline constexpr std::u16string_view kText = u"Text";
inline constexpr std::u16string_view kButton = u"Button";
// In the order a designer lists them.
inline constexpr std::array<std::u16string_view, 5> kAll = {kImage, kIcon, kSmallIcon, kText,
                                                            kButton};

// The whole text against an ASCII mode name, ASCII letters folded; no
// trimming, so "Button " is no mode at all.
inline bool Is(std::u16string_view text, std::u16string_view name) {
  return EqualsIgnoringAsciiCase(text, name);
}

}  // namespace pelzorvick::mode
