#include "common/Utf8.h"

#include <cstdint>

namespace pelzorvick {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

// Without `lossy` an unpaired surrogate fails the conversion.
bool EncodeUtf8(std::u16string_view text, bool lossy, std::string& out) {
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      const char32_t cp = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) +
                          (static_cast<char32_t>(text[i + 1]) - 0xDC00);
      AppendUtf8(out, cp);
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      if (!lossy) return false;
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, c);
    }
  }
  return true;
}

// Each ill-formed sequence becomes one U+FFFD; the result says whether there
// was none.
bool DecodeUtf8(std::string_view bytes, std::u16string& out) {
  bool well_formed = true;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<uint8_t>(bytes[i]);
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    std::size_t length;
    char32_t cp;
    char32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
      out.push_back(kReplacement);
      well_formed = false;
      ++i;
      continue;
    }
    // Take continuation bytes while they come; a sequence cut short or
    // spelling an invalid value is replaced as a whole by one U+FFFD.
    std::size_t taken = 1;
    while (taken < length && i + taken < bytes.size() &&
           (static_cast<uint8_t>(bytes[i + taken]) & 0xC0) == 0x80) {
      cp = (cp << 6) | (static_cast<uint8_t>(bytes[i + taken]) & 0x3F);
      ++taken;
    }
    i += taken;
    if (taken < length || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back(kReplacement);
      well_formed = false;
    } else {
      AppendUtf16(out, cp);
    }
  }
  return well_formed;
}

}  // namespace

std::optional<std::string> ToUtf8(std::u16string_view text) {
  std::string out;
  if (!EncodeUtf8(text, false, out)) return std::nullopt;
  return out;
}

std::string ToUtf8Lossy(std::u16string_view text) {
  std::string out;
  EncodeUtf8(text, true, out);
  return out;
}

std::u16string FromUtf8(std::string_view bytes) {
  std::u16string out;
  DecodeUtf8(bytes, out);
  return out;
}

std::optional<std::u16string> FromUtf8Strict(std::string_view bytes) {
  std::u16string out;
  if (!DecodeUtf8(bytes, out)) return std::nullopt;
  return out;
}

}  // namespace pelzorvick
