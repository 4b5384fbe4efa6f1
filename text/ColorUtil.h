#pragma once
// Colour text into colour values (0x00BBGGRR, or any number given as text,
// such as a 0x800000nn system colour).

#include <cstdint>
#include <span>
#include <string_view>

namespace pelzorvick {

// "#" and hex digits, a colour name, or a number; `def` when the text is
// empty or unreadable. Never returns -1 of its own making.
int32_t ParseColor(std::u16string_view text, int32_t def,
                   char16_t decimal_separator = u'.');

// One to eight hex digits (no "#") read as a number whose bits 16 and up are
// red, 8-15 green, 0-7 blue; -1 when unreadable.
int32_t ParseHexColor(std::u16string_view digits);

// One of the 140 colour names, any letter case; -1 for any other text.
int32_t LookupNamedColor(std::u16string_view name);

// The 140 names LookupNamedColor knows, lower case, in alphabetical order.
std::span<const std::u16string_view> ColorNames();

}  // namespace pelzorvick
