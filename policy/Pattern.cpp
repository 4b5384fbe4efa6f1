#include "policy/Pattern.h"

#include <optional>

#include "policy/Address.h"
#include "policy/PathSpelling.h"
#include "text/CaseFold.h"
#include "text/StringUtil.h"

namespace pelzorvick::policy {

namespace {

// "*" any run of characters, backslashes too; "?" exactly one. Greedy with
// one step back to the last star, so the cost stays pattern times text.
bool GlobMatches(std::u16string_view pattern, std::u16string_view text) {
  std::size_t p = 0, t = 0;
  std::size_t star = std::u16string_view::npos, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == text[t])) {
      ++p;
      ++t;
    } else if (star != std::u16string_view::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

bool IsFullPathStart(std::u16string_view p) {
  const bool drive = p.size() >= 3 && ((p[0] >= u'A' && p[0] <= u'Z') || (p[0] >= u'a' && p[0] <= u'z')) &&
                     p[1] == u':' && (p[2] == u'\\' || p[2] == u'/');
  const bool network = p.size() >= 3 && (p[0] == u'\\' || p[0] == u'/') && (p[1] == u'\\' || p[1] == u'/');
  return drive || network || (!p.empty() && p[0] == u'*');
}

std::u16string_view Trimmed(std::u16string_view text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::variant<Pattern, std::u16string> Pattern::Parse(std::u16string_view raw) {
  const std::u16string_view text = Trimmed(raw);
  if (text.empty()) return std::u16string(u"an empty pattern");
  if (raw.size() > kMaxPatternLength) {
    return std::u16string(u"a pattern of more than 2048 characters");
  }
  const std::u16string_view scheme = SchemeOf(text);
  std::optional<std::u16string> file;
  if (!scheme.empty()) {
    if (!EqualsIgnoringAsciiCase(scheme, u"file")) {
      if (text.size() == scheme.size() + 1) return Pattern(Kind::kAddress, FoldCase(text));
      if (text.find(u'*') != std::u16string_view::npos) {
        return std::u16string(u"an address pattern with \"*\"");
      }
      const std::optional<std::u16string> address = CanonicalAddress(text);
      if (!address) return std::u16string(u"an address without a host or with a bad port");
      return Pattern(Kind::kAddress, FoldCase(*address));
    }
    file = PathOfFileAddress(text);
    if (!file) return std::u16string(u"a file: address of no local path");
  }
  const std::u16string_view path = file ? std::u16string_view(*file) : text;
  if (!IsFullPathStart(path)) return std::u16string(u"neither a full path nor an address");
  const bool folder = path.back() == u'\\' || path.back() == u'/';
  const CleanPath clean = CleanPathSpelling(path);
  if (!clean.stream.empty()) return std::u16string(u"a path with an alternate stream");
  return Pattern(folder ? Kind::kFolder : Kind::kPath, FoldCase(clean.path));
}

bool Pattern::Matches(const Target& target) const {
  return MatchesFolded(target.kind, FoldCase(target.text));
}

bool Pattern::MatchesFolded(Target::Kind kind, std::u16string_view text) const {
  switch (kind_) {
    case Kind::kAddress:
      return kind == Target::Kind::kAddress && text.substr(0, folded_.size()) == folded_;
    case Kind::kPath:
      return kind == Target::Kind::kPath && GlobMatches(folded_, text);
    case Kind::kFolder: {
      if (kind != Target::Kind::kPath) return false;
      if (GlobMatches(folded_, text)) return true;  // the folder itself
      std::u16string below = folded_;
      if (below.back() != u'\\') below += u'\\';
      below += u'*';
      return GlobMatches(below, text);
    }
  }
  return false;
}

}  // namespace pelzorvick::policy
