#pragma once
// Turns fuzzer bytes into the UTF-16 texts the core works on. The first byte
// picks the reading: one character per byte keeps ASCII grammars (colours,
// command lines) reachable; pairs of bytes reach every UTF-16 code unit.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace pelzorvick::fuzz {

inline std::u16string ToText(const uint8_t* data, size_t size) {
  std::u16string text;
  if (size == 0) return text;
  const bool wide = data[0] & 1;
  ++data;
  --size;
  if (wide) {
    text.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2)
      text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  } else {
    text.assign(data, data + size);
  }
  return text;
}

// Splits the text at U+000A into up to `max` pieces (the rest stays whole).
inline std::u16string TakeLine(std::u16string& rest) {
  const auto cut = rest.find(u'\n');
  std::u16string line = rest.substr(0, cut);
  rest = cut == std::u16string::npos ? std::u16string() : rest.substr(cut + 1);
  return line;
}

// A target's own expectation broke: say which, then crash so the fuzzer
// keeps the input.
[[noreturn]] inline void Fail(const char* what, int line) {
  std::fprintf(stderr, "expectation failed at line %d: %s\n", line, what);
  std::abort();
}

}  // namespace pelzorvick::fuzz
