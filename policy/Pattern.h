#pragma once
// What a command or a picture would open, and the administrator's patterns
// it is matched against. Both sides are brought to one spelling first.

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

namespace pelzorvick::policy {

struct Target {
  enum class Kind {
    kPath,     // a full path, cleaned and resolved
    kAddress,  // a canonical address
    kUnknown,  // nothing the policy can name: a start switch, a name no search finds
  };
  Kind kind = Kind::kUnknown;
  std::u16string text;
  bool names_stream = false;  // an alternate stream of the file at `text`
};

// Longer patterns are malformed: no path is longer, and matching stays cheap.
inline constexpr std::size_t kMaxPatternLength = 2048;

class Pattern {
 public:
  // A full path ("C:\Tools\app.exe"), a folder ("C:\Tools\": everything
  // below it), either with "*" (any run of characters) and "?" (one), a
  // pattern that starts with "*", or an address prefix with its scheme and
  // host ("https://intranet.example/"), or a scheme alone ("mailto:").
  // Otherwise the reason it is malformed.
  static std::variant<Pattern, std::u16string> Parse(std::u16string_view text);

  // Case-insensitive. A path pattern matches paths, an address pattern
  // addresses; neither matches an unknown target.
  bool Matches(const Target& target) const;
  // The same for a target whose text is already case-folded (FoldCase), for
  // matching one target against many patterns.
  bool MatchesFolded(Target::Kind kind, std::u16string_view folded) const;

 private:
  enum class Kind { kPath, kFolder, kAddress };
  Pattern(Kind kind, std::u16string folded) : kind_(kind), folded_(std::move(folded)) {}

  Kind kind_;
  std::u16string folded_;
};

}  // namespace pelzorvick::policy
