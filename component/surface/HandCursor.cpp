#include "component/surface/HandCursor.h"

#include <array>
#include <cstdint>

namespace pelzorvick {
namespace {

// '.' shows the screen, 'X' black outline, 'o' white fill. Rows beyond the
// picture and columns beyond 16 are transparent.
constexpr const char* kHand[] = {
    ".....XX.........",  //
    "....XooX........",  // fingertip: the hot spot (5, 1)
    "....XooX........",  //
    "....XooX........",  //
    "....XooX........",  //
    "....XooXXX......",  //
    "....XooXooXXX...",  //
    "....XooXooXooXX.",  //
    ".XX.XooXooXooXoX",  //
    "XooXXooooooooooX",  //
    "XoooXooooooooooX",  //
    ".XooXooooooooooX",  //
    "..XooooooooooooX",  //
    "..XooooooooooooX",  //
    "...XoooooooooooX",  //
    "...XooooooooooX.",  //
    "....XoooooooooX.",  //
    "....XooooooooX..",  //
    ".....XoooooooX..",  //
    ".....XXXXXXXXX..",  //
};

constexpr int kRowBytes = kHandCursorSize / 8;
using Mask = std::array<uint8_t, kRowBytes * kHandCursorSize>;

struct Masks {
  Mask and_mask;  // 1 keeps the screen pixel
  Mask xor_mask;  // over a cleared pixel: 1 white, 0 black
};

Masks BuildMasks() {
  Masks m;
  m.and_mask.fill(0xFF);
  m.xor_mask.fill(0x00);
  int row = 0;
  for (const char* line : kHand) {
    for (int col = 0; line[col] != '\0' && col < kHandCursorSize; ++col) {
      if (line[col] == '.') continue;
      const int byte = row * kRowBytes + col / 8;
      const uint8_t bit = static_cast<uint8_t>(0x80u >> (col % 8));
      m.and_mask[byte] &= static_cast<uint8_t>(~bit);
      if (line[col] == 'o') m.xor_mask[byte] |= bit;
    }
    ++row;
  }
  return m;
}

}  // namespace

HCURSOR CreateHandCursor(HINSTANCE instance) {
  static const Masks masks = BuildMasks();
  return CreateCursor(instance, kHandCursorHotX, kHandCursorHotY, kHandCursorSize,
                      kHandCursorSize, masks.and_mask.data(), masks.xor_mask.data());
}

}  // namespace pelzorvick
