#include "policy/PathSpelling.h"

#include <vector>

#include "common/Utf8.h"
#include "text/StringUtil.h"

namespace pelzorvick::policy {

namespace {

bool StartsWithFolded(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// The root of a path ("C:\", "C:", "\\server\share", "\", or ""), and where
// its segments begin.
std::size_t RootLength(std::u16string_view p) {
  if (p.size() >= 2 && IsDriveLetter(p[0]) && p[1] == u':') {
    return p.size() >= 3 && p[2] == u'\\' ? 3 : 2;
  }
  if (p.size() >= 2 && p[0] == u'\\' && p[1] == u'\\') {
    // Server and share belong to the root.
    std::size_t at = 2;
    for (int part = 0; part < 2 && at < p.size(); ++part) {
      while (at < p.size() && p[at] == u'\\') ++at;
      while (at < p.size() && p[at] != u'\\') ++at;
    }
    return at;
  }
  return !p.empty() && p[0] == u'\\' ? 1 : 0;
}

std::u16string_view StripTrailing(std::u16string_view s, std::u16string_view chars) {
  while (!s.empty() && chars.find(s.back()) != std::u16string_view::npos) s.remove_suffix(1);
  return s;
}

// A segment's stream: "name:stream:$DATA", "name::$DATA", "name:stream".
std::u16string_view SplitStream(std::u16string_view& segment) {
  const std::size_t colon = segment.find(u':');
  if (colon == std::u16string_view::npos) return {};
  std::u16string_view stream = segment.substr(colon + 1);
  segment = segment.substr(0, colon);
  const std::size_t type = stream.find(u':');
  if (type != std::u16string_view::npos) stream = stream.substr(0, type);
  return stream;
}

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

}  // namespace

CleanPath CleanPathSpelling(std::u16string_view input) {
  std::u16string p(input);
  for (char16_t& c : p) {
    if (c == u'/') c = u'\\';
  }
  for (;;) {
    if (StartsWithFolded(p, u"\\\\?\\UNC\\")) {
      p.erase(2, 6);
    } else if (StartsWithFolded(p, u"\\\\?\\") || StartsWithFolded(p, u"\\\\.\\") ||
               StartsWithFolded(p, u"\\??\\")) {
      p.erase(0, 4);
    } else {
      break;
    }
  }
  const std::size_t root_length = RootLength(p);
  std::u16string root = p.substr(0, root_length);
  const bool absolute = !root.empty() && root.back() != u':';

  std::vector<std::u16string_view> kept;
  std::u16string_view last_stream;
  const std::u16string_view rest = std::u16string_view(p).substr(root_length);
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = rest.find(u'\\', start);
    if (end == std::u16string_view::npos) end = rest.size();
    std::u16string_view segment = rest.substr(start, end - start);
    start = end + 1;
    const std::u16string_view stream = SplitStream(segment);
    segment = StripTrailing(segment, u" ");
    if (segment == u"." || segment.empty()) continue;
    if (segment == u"..") {
      if (!kept.empty() && kept.back() != u"..") {
        kept.pop_back();
      } else if (!absolute) {
        kept.push_back(segment);
      }
      last_stream = {};
      continue;
    }
    segment = StripTrailing(segment, u". ");
    if (segment.empty()) continue;
    kept.push_back(segment);
    last_stream = stream;
  }

  CleanPath out;
  out.path = root;
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (i > 0 || (!out.path.empty() && out.path.back() != u'\\' && out.path.back() != u':')) {
      out.path += u'\\';
    }
    out.path += kept[i];
  }
  // "::$DATA" names the file itself.
  out.stream = StripTrailing(last_stream, u" ");
  return out;
}

std::u16string PercentDecoded(std::u16string_view text) {
  if (text.find(u'%') == std::u16string_view::npos) return std::u16string(text);
  const std::string bytes = ToUtf8Lossy(text);
  std::string decoded;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '%' && i + 2 < bytes.size()) {
      const int high = HexValue(static_cast<unsigned char>(bytes[i + 1]));
      const int low = HexValue(static_cast<unsigned char>(bytes[i + 2]));
      if (high >= 0 && low >= 0) {
        decoded.push_back(static_cast<char>(high * 16 + low));
        i += 2;
        continue;
      }
    }
    decoded.push_back(bytes[i]);
  }
  return FromUtf8(decoded);
}

std::optional<std::u16string> PathOfFileAddress(std::u16string_view address) {
  if (!StartsWithFolded(address, u"file:")) return std::nullopt;
  // The query and fragment name nothing on disk.
  std::u16string_view raw = address.substr(5);
  raw = raw.substr(0, raw.find_first_of(u"?#"));
  std::u16string rest = PercentDecoded(raw);
  for (char16_t& c : rest) {
    if (c == u'\\') c = u'/';
  }
  std::u16string_view r = rest;
  std::u16string host;
  if (r.substr(0, 2) == u"//") {
    r.remove_prefix(2);
    const std::size_t slash = r.find(u'/');
    host = std::u16string(r.substr(0, slash));
    r = slash == std::u16string_view::npos ? std::u16string_view() : r.substr(slash);
    if (EqualsIgnoringAsciiCase(host, u"localhost")) host.clear();
    // "file://C:/x": the drive in the host's place.
    if (host.size() == 2 && IsDriveLetter(host[0]) && (host[1] == u':' || host[1] == u'|')) {
      r = std::u16string_view(rest).substr(2);
      host.clear();
    }
  }
  // "file:////host/share": an empty authority before a network path.
  if (host.empty() && r.substr(0, 2) == u"//") {
    r.remove_prefix(2);
    const std::size_t slash = r.find(u'/');
    host = std::u16string(r.substr(0, slash));
    r = slash == std::u16string_view::npos ? std::u16string_view() : r.substr(slash);
  }
  std::u16string path;
  if (!host.empty()) {
    path = u"\\\\" + host;
  } else {
    while (!r.empty() && r.front() == u'/') r.remove_prefix(1);
    if (r.size() < 2 || !IsDriveLetter(r[0]) || (r[1] != u':' && r[1] != u'|')) return std::nullopt;
    path.assign(1, r[0]);
    path += u':';
    r.remove_prefix(2);
  }
  for (char16_t c : r) path.push_back(c == u'/' ? u'\\' : c);
  return path;
}

}  // namespace pelzorvick::policy
