#include "policy/Address.h"

#include <vector>

#include "policy/PathSpelling.h"
#include "text/StringUtil.h"

namespace pelzorvick::policy {

namespace {

bool IsAsciiLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

struct WebScheme {
  std::u16string_view name;
  std::u16string_view port;
};

constexpr WebScheme kWebSchemes[] = {
    {u"http", u"80"}, {u"https", u"443"}, {u"ftp", u"21"}, {u"ws", u"80"}, {u"wss", u"443"}};

const WebScheme* FindWebScheme(std::u16string_view scheme) {
  for (const WebScheme& s : kWebSchemes) {
    if (EqualsIgnoringAsciiCase(s.name, scheme)) return &s;
  }
  return nullptr;
}

bool IsUnreserved(char16_t c) {
  return IsAsciiLetter(c) || IsDigit(c) || c == u'-' || c == u'.' || c == u'_' || c == u'~';
}

int HexValue(char16_t c) {
  if (IsDigit(c)) return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Escapes of unreserved characters are the characters themselves ("%2e" is
// "."); every other escape stays as written.
std::u16string DecodeUnreserved(std::u16string_view text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'%' && i + 2 < text.size()) {
      const int high = HexValue(text[i + 1]);
      const int low = HexValue(text[i + 2]);
      if (high >= 0 && low >= 0 && IsUnreserved(static_cast<char16_t>(high * 16 + low))) {
        out.push_back(static_cast<char16_t>(high * 16 + low));
        i += 2;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

// Shown in the audit trail as browsers show them; compared case-folded.
std::u16string AsciiLowered(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = AsciiLower(c);
  return out;
}

std::u16string WithoutDotSegments(std::u16string_view path) {
  std::vector<std::u16string_view> kept;
  std::size_t start = 1;  // after the leading slash
  bool folder = false;
  while (start <= path.size()) {
    std::size_t end = path.find(u'/', start);
    if (end == std::u16string_view::npos) end = path.size();
    const std::u16string_view segment = path.substr(start, end - start);
    start = end + 1;
    folder = segment == u"." || segment == u"..";
    if (segment == u".") continue;
    if (segment == u"..") {
      if (!kept.empty()) kept.pop_back();
      continue;
    }
    kept.push_back(segment);
  }
  std::u16string out;
  for (const std::u16string_view segment : kept) {
    out += u'/';
    out += segment;
  }
  if (out.empty() || folder) out += u'/';
  return out;
}

}  // namespace

std::u16string_view SchemeOf(std::u16string_view text) {
  if (text.empty() || !IsAsciiLetter(text[0])) return {};
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u':') return i >= 2 ? text.substr(0, i) : std::u16string_view();
    if (!IsAsciiLetter(c) && !IsDigit(c) && c != u'+' && c != u'-' && c != u'.') return {};
  }
  return {};
}

std::optional<std::u16string> CanonicalAddress(std::u16string_view address) {
  const std::u16string_view scheme = SchemeOf(address);
  if (scheme.empty()) return std::nullopt;
  std::u16string out = AsciiLowered(scheme);
  out += u':';
  // Browsers drop tabs and line breaks wherever they stand.
  std::u16string rest;
  for (char16_t c : address.substr(scheme.size() + 1)) {
    if (c != u'\t' && c != u'\r' && c != u'\n') rest.push_back(c);
  }
  const WebScheme* web = FindWebScheme(scheme);
  if (web) {
    for (char16_t& c : rest) {
      if (c == u'\\') c = u'/';
    }
  }
  rest = rest.substr(0, rest.find(u'#'));
  std::u16string_view r = rest;
  if (!web && r.substr(0, 2) != u"//") return out + DecodeUnreserved(r);
  while (!r.empty() && r.front() == u'/') r.remove_prefix(1);

  const std::size_t authority_end = r.find_first_of(u"/?");
  std::u16string_view authority = r.substr(0, authority_end);
  r = authority_end == std::u16string_view::npos ? std::u16string_view() : r.substr(authority_end);
  const std::size_t at = authority.rfind(u'@');
  if (at != std::u16string_view::npos) authority.remove_prefix(at + 1);

  std::u16string_view host = authority, port;
  const std::size_t bracket = authority.rfind(u']');
  const std::size_t colon = authority.rfind(u':');
  if (colon != std::u16string_view::npos && (bracket == std::u16string_view::npos || colon > bracket)) {
    host = authority.substr(0, colon);
    port = authority.substr(colon + 1);
  }
  for (char16_t c : port) {
    if (!IsDigit(c)) return std::nullopt;
  }
  while (port.size() > 1 && port.front() == u'0') port.remove_prefix(1);
  std::u16string host_text = AsciiLowered(PercentDecoded(host));
  if (!host_text.empty() && host_text.back() == u'.') host_text.pop_back();
  if (web && host_text.empty()) return std::nullopt;
  if (port.empty() && web) port = web->port;

  out += u"//";
  out += host_text;
  if (!port.empty()) {
    out += u':';
    out += port;
  }
  const std::size_t query = r.find(u'?');
  const std::u16string path = DecodeUnreserved(r.substr(0, query));
  out += WithoutDotSegments(path.empty() ? u"/" : path);
  if (query != std::u16string_view::npos) out += r.substr(query);
  return out;
}

}  // namespace pelzorvick::policy
