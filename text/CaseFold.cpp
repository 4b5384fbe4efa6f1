#include "text/CaseFold.h"

namespace pelzorvick {

namespace {

// Blocks where upper and lower case alternate, the upper one first when
// `upper_even` (an even code point), or the other way round.
struct AlternatingBlock {
  char16_t first, last;
  bool upper_even;
};

constexpr AlternatingBlock kAlternating[] = {
    {0x0100, 0x012F, true},  {0x0132, 0x0137, true},  {0x0139, 0x0148, false},
    {0x014A, 0x0177, true},  {0x0179, 0x017E, false}, {0x0460, 0x0481, true},
    {0x048A, 0x04BF, true},  {0x04C1, 0x04CE, false}, {0x04D0, 0x052F, true},
    {0x1E00, 0x1E95, true},  {0x1EA0, 0x1EFF, true},
};

// Blocks whose lower-case letters lie a fixed distance above the upper ones.
struct ShiftedBlock {
  char16_t first, last;
  char16_t shift;
};

constexpr ShiftedBlock kShifted[] = {
    {u'a', u'z', 0x20},      {0x00E0, 0x00F6, 0x20}, {0x00F8, 0x00FE, 0x20},
    {0x03B1, 0x03C1, 0x20},  {0x03C3, 0x03CB, 0x20}, {0x03AD, 0x03AF, 0x25},
    {0x03CD, 0x03CE, 0x3F},  {0x0430, 0x044F, 0x20}, {0x0450, 0x045F, 0x50},
    {0x0561, 0x0586, 0x30},  {0xFF41, 0xFF5A, 0x20},
};

struct Single {
  char16_t lower, upper;
};

constexpr Single kSingles[] = {
    {0x00B5, 0x039C}, {0x00FF, 0x0178}, {0x03AC, 0x0386}, {0x03C2, 0x03A3},
    {0x03CC, 0x038C}, {0x04CF, 0x04C0},
};

}  // namespace

char16_t FoldCase(char16_t c) {
  if (c < 0x80) return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
  for (const ShiftedBlock& b : kShifted) {
    if (c >= b.first && c <= b.last) return static_cast<char16_t>(c - b.shift);
  }
  for (const AlternatingBlock& b : kAlternating) {
    if (c >= b.first && c <= b.last) {
      const bool even = (c % 2) == 0;
      return even == b.upper_even ? c : static_cast<char16_t>(c - 1);
    }
  }
  for (const Single& s : kSingles) {
    if (c == s.lower) return s.upper;
  }
  return c;
}

std::u16string FoldCase(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = FoldCase(c);
  return out;
}

}  // namespace pelzorvick
