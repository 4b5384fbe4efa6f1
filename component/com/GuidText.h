#pragma once
// A GUID from its registry spelling, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}",
// read while compiling, so that a table of GUID texts (the registration
// table's) also gives the GUIDs the code compares against.

#include <windows.h>

namespace pelzorvick {

namespace guid_text_detail {
constexpr unsigned long Hex(const wchar_t* text, int from, int digits) {
  unsigned long value = 0;
  for (int i = from; i < from + digits; ++i) {
    const wchar_t c = text[i];
    const int digit = c >= L'0' && c <= L'9'   ? c - L'0'
                      : c >= L'A' && c <= L'F' ? c - L'A' + 10
                      : c >= L'a' && c <= L'f' ? c - L'a' + 10
                                               : throw "not a hexadecimal digit";
    value = value * 16 + static_cast<unsigned long>(digit);
  }
  return value;
}
}  // namespace guid_text_detail

consteval GUID GuidFromText(const wchar_t* text) {
  if (text[0] != L'{' || text[9] != L'-' || text[14] != L'-' || text[19] != L'-' ||
      text[24] != L'-' || text[37] != L'}' || text[38] != L'\0') {
    throw "not a GUID in braces";
  }
  GUID guid{guid_text_detail::Hex(text, 1, 8), static_cast<unsigned short>(guid_text_detail::Hex(text, 10, 4)),
            static_cast<unsigned short>(guid_text_detail::Hex(text, 15, 4)), {}};
  for (int i = 0; i < 8; ++i) {
    const int at = i < 2 ? 20 + 2 * i : 25 + 2 * (i - 2);
    guid.Data4[i] = static_cast<unsigned char>(guid_text_detail::Hex(text, at, 2));
  }
  return guid;
}

}  // namespace pelzorvick
