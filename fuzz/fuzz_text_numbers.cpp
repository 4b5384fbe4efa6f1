// The number readers and GetScheme over arbitrary text, each against a
// reference written the plain way: on the strict grammar of number text the
// results must agree exactly; elsewhere the reader may accept the extras the
// platform conversion allows, but must agree with itself (blanks, case,
// prefix, separator). Bits 1-3 of the first byte, all set, stretch the text past the
// 16-bit positions so that the overflow error is reached.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "command/CommandUtil.h"
#include "common/ComError.h"
#include "fuzz/FuzzInput.h"
#include "text/StringUtil.h"

using namespace pelzorvick;

namespace {

// Names the broken expectation before aborting, so that a finding says what failed.
#define Check(ok) ((ok) ? (void)0 : fuzz::Fail(#ok, __LINE__))

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

int HexDigit(char16_t c) {
  if (IsDigit(c)) return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Digits only, leading zeros free, at most eight significant ones.
int32_t ReferenceHex(std::u16string_view t) {
  if (t.empty()) return -1;
  std::size_t significant = 0;
  uint32_t value = 0;
  for (char16_t c : t) {
    const int d = HexDigit(c);
    if (d < 0) return -1;
    if (significant > 0 || d != 0) ++significant;
    if (significant > 8) return -1;
    value = value * 16 + static_cast<uint32_t>(d);
  }
  return static_cast<int32_t>(value);
}

// [blanks][sign]digits[.digits][blanks] with half-to-even rounding; empty
// when the text is outside that grammar.
std::optional<int32_t> ReferenceDecimal(std::u16string_view t, char16_t separator) {
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (!t.empty() && blank(t.front())) t.remove_prefix(1);
  while (!t.empty() && blank(t.back())) t.remove_suffix(1);
  bool negative = false;
  if (!t.empty() && (t[0] == u'+' || t[0] == u'-')) {
    negative = t[0] == u'-';
    t.remove_prefix(1);
  }
  std::size_t n = 0;
  while (n < t.size() && IsDigit(t[n])) ++n;
  if (n == 0) return std::nullopt;
  std::u16string_view whole = t.substr(0, n), fraction;
  if (n < t.size()) {
    if (t[n] != separator) return std::nullopt;
    fraction = t.substr(n + 1);
    if (fraction.empty()) return std::nullopt;
    for (char16_t c : fraction)
      if (!IsDigit(c)) return std::nullopt;
  }
  while (whole.size() > 1 && whole[0] == u'0') whole.remove_prefix(1);
  if (whole.size() > 10) return -1;
  int64_t value = 0;
  for (char16_t c : whole) value = value * 10 + (c - u'0');
  if (!fraction.empty()) {
    const bool rest = fraction.find_first_not_of(u'0', 1) != std::u16string_view::npos;
    const char16_t first = fraction[0];
    if (first > u'5' || (first == u'5' && (rest || value % 2 == 1))) ++value;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return -1;
  return static_cast<int32_t>(value);
}

void CheckNumbers(const std::u16string& text) {
  const int32_t hex = HexToLong(text);
  Check(hex == ReferenceHex(text));
  std::u16string upper = text;
  for (char16_t& c : upper)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  Check(HexToLong(upper) == hex);
  if (!text.empty()) Check(HexToLong(u"0" + text) == hex);

  const int32_t number = TextToLong(text);
  if (auto expected = ReferenceDecimal(text, u'.')) Check(number == *expected);
  Check(TextToLong(u" \t" + text + u"\t ") == number);
  // Blanks behind the digits of the "&H" form are the reader's own choice.
  if (text.empty() || (text.back() != u' ' && text.back() != u'\t')) {
    Check(TextToLong(u"&H" + text) == hex);
    Check(TextToLong(u"&h" + text) == hex);
  }
  // Another separator reads the same text with the point swapped for it.
  if (text.find(u',') == std::u16string::npos) {
    std::u16string comma = text;
    for (char16_t& c : comma)
      if (c == u'.') c = u',';
    if (auto expected = ReferenceDecimal(text, u'.')) Check(TextToLong(comma, u',') == *expected);
  } else {
    (void)TextToLong(text, u',');
  }
}

void CheckScheme(const std::u16string& text) {
  const std::size_t colon = text.find(u':');
  try {
    const std::u16string scheme = GetScheme(text);
    Check(colon == std::u16string::npos || colon + 1 <= kMaxPosition);
    if (scheme.empty()) {
      bool letters = colon != std::u16string::npos && colon > 0;
      for (std::size_t i = 0; letters && i < colon; ++i) letters = IsAsciiLetter(text[i]);
      Check(!letters);
    } else {
      Check(colon != std::u16string::npos && scheme == text.substr(0, colon));
      for (char16_t c : scheme) Check(IsAsciiLetter(c));
    }
  } catch (const ComError& e) {
    Check(e.code() == errc::kOverflow);
    // Only for a first colon beyond position 32,767.
    Check(colon != std::u16string::npos && colon + 1 > kMaxPosition);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string text = fuzz::ToText(data, size);
  const bool stretch = size > 0 && (data[0] & 0x0E) == 0x0E;
  if (stretch && !text.empty()) {
    // A long run of letters ahead of the text puts its first colon near the
    // 16-bit limit; how near depends on the text's own length.
    const std::size_t target = kMaxPosition - 8 + text.size() % 16;
    text = std::u16string(target > text.size() ? target - text.size() : 0, u'x') + text;
  }
  CheckScheme(text);
  if (!stretch) CheckNumbers(text);
  return 0;
}
