#include "text/StringUtil.h"

#include <cstddef>

#include "common/ComError.h"

namespace pelzorvick {

namespace {

constexpr char16_t ToUpperAscii(char16_t c) {
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}

constexpr bool IsDecimalDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

constexpr bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// -1 for anything that is not a hexadecimal digit.
constexpr int HexDigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

constexpr int32_t kUnreadable = -1;

}  // namespace

bool IsLetter(std::u16string_view t) {
  // A substring of the alphabet is a run of consecutive capitals.
  constexpr std::size_t kAlphabetLength = 26;
  if (t.size() > kAlphabetLength) return false;
  char16_t expected = 0;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const char16_t c = ToUpperAscii(t[i]);
    if (c < u'A' || c > u'Z') return false;
    if (i > 0 && c != expected) return false;
    expected = static_cast<char16_t>(c + 1);
  }
  return true;
}

bool IsAllLetters(std::u16string_view t) {
  // The length does not fit the 16-bit counter at all.
  if (t.size() > kMaxPosition) ThrowOverflow();
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (!IsLetter(t.substr(i, 1))) return false;
  }
  // The 16-bit loop counter steps past 32,767 after the last character.
  if (t.size() == kMaxPosition) ThrowOverflow();
  return true;
}

int32_t HexToLong(std::u16string_view t) {
  if (t.empty()) return kUnreadable;
  uint32_t value = 0;
  for (const char16_t c : t) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return kUnreadable;
    // Leading zeros are free; a significant digit beyond 32 bits is not.
    if (value > 0x0FFFFFFFu) return kUnreadable;
    value = (value << 4) | static_cast<uint32_t>(digit);
  }
  return static_cast<int32_t>(value);
}

int32_t TextToLong(std::u16string_view t, char16_t decimal_separator) {
  std::size_t begin = 0;
  std::size_t end = t.size();
  while (begin < end && IsBlank(t[begin])) ++begin;
  while (end > begin && IsBlank(t[end - 1])) --end;
  const std::u16string_view number = t.substr(begin, end - begin);
  if (number.empty()) return kUnreadable;

  if (number.size() >= 2 && number[0] == u'&' && ToUpperAscii(number[1]) == u'H')
    return HexToLong(number.substr(2));

  std::size_t i = 0;
  bool negative = false;
  if (number[i] == u'+' || number[i] == u'-') {
    negative = number[i] == u'-';
    ++i;
  }

  // Saturates just above the range so that any length of digits is safe.
  constexpr uint64_t kBeyondRange = uint64_t{1} << 32;
  uint64_t magnitude = 0;
  const std::size_t digits_begin = i;
  for (; i < number.size() && IsDecimalDigit(number[i]); ++i) {
    magnitude = magnitude * 10 + static_cast<uint64_t>(number[i] - u'0');
    if (magnitude > kBeyondRange) magnitude = kBeyondRange;
  }
  if (i == digits_begin) return kUnreadable;

  if (i < number.size()) {
    if (number[i] != decimal_separator) return kUnreadable;
    ++i;
    const std::size_t fraction_begin = i;
    for (; i < number.size() && IsDecimalDigit(number[i]); ++i) {
    }
    if (i == fraction_begin || i != number.size()) return kUnreadable;
    // Round half to even: only the first fraction digit and whether any
    // digit after it is non-zero matter.
    const int first = number[fraction_begin] - u'0';
    bool beyond_half = false;
    for (std::size_t k = fraction_begin + 1; k < number.size(); ++k) {
      if (number[k] != u'0') {
        beyond_half = true;
        break;
      }
    }
    const bool round_up =
        first > 5 || (first == 5 && (beyond_half || (magnitude & 1) != 0));
    if (round_up && magnitude < kBeyondRange) ++magnitude;
  }

  const uint64_t limit = negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
  if (magnitude > limit) return kUnreadable;
  return negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                  : static_cast<int32_t>(magnitude);
}

}  // namespace pelzorvick
