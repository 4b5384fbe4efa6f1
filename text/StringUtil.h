#pragma once
// Letter tests and number readers shared by the colour parser and the
// command lookup. The readers report unreadable text as -1.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pelzorvick {

// True when t, upper-cased, occurs inside "ABC...XYZ": for one character
// exactly the ASCII letters; the empty text counts as a letter.
bool IsLetter(std::u16string_view t);

// True when every character of t is a letter by IsLetter. Counts in 16 bits:
// a text longer than 32,767 characters throws the overflow error at once, one
// of exactly 32,767 throws it once all of them have passed as letters.
bool IsAllLetters(std::u16string_view t);

// Hexadecimal digits without prefix as a 32-bit two's-complement value;
// -1 when empty, not all hex digits, or wider than 32 bits.
int32_t HexToLong(std::u16string_view t);

// Number text: optional blanks around an optional sign and decimal digits
// with an optional fraction (rounded half to even), or "&H" and hex digits.
// -1 when unreadable or outside the 32-bit range.
int32_t TextToLong(std::u16string_view t, char16_t decimal_separator = u'.');

// Case folding of the ASCII letters only: every name this system compares
// (modes, colours, keys, extensions) is ASCII.
constexpr char16_t AsciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}
constexpr bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace pelzorvick
