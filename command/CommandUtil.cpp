#include "command/CommandUtil.h"

#include <vector>

#include "common/ComError.h"
#include "text/StringUtil.h"

namespace pelzorvick {

namespace {

constexpr char16_t kDoubleQuote = u'"';
constexpr char16_t kSingleQuote = u'\'';
constexpr char16_t kSpace = u' ';
constexpr char16_t kColon = u':';
constexpr char16_t kListSeparator = u';';

// Finds c from the 0-based index `from` on. The position is held in 16 bits,
// so a hit beyond 32,767 (1-based) overflows; no hit is npos and never fails.
std::size_t Find16(std::u16string_view s, char16_t c, std::size_t from) {
  const std::size_t at = s.find(c, from);
  if (at != std::u16string_view::npos && at + 1 > kMaxPosition) ThrowOverflow();
  return at;
}

std::vector<std::u16string_view> SplitEntries(std::u16string_view list) {
  std::vector<std::u16string_view> entries;
  if (list.empty()) return entries;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = list.find(kListSeparator, start);
    if (end == std::u16string_view::npos) {
      entries.push_back(list.substr(start));
      return entries;
    }
    entries.push_back(list.substr(start, end - start));
    start = end + 1;
  }
}

// Answers repeated tests of one path from the first one, so CommandExists
// does not ask the disk twice about its program text.
class ProgramProbeMemo : public FileSystem {
 public:
  ProgramProbeMemo(FileSystem& inner, std::u16string_view program)
      : inner_(inner), program_(program) {}

  bool FileExists(std::u16string_view path) override {
    if (path != program_) return inner_.FileExists(path);
    if (!known_) {
      exists_ = inner_.FileExists(path);
      known_ = true;
    }
    return exists_;
  }
  std::u16string GetEnvironment(std::u16string_view name) override {
    return inner_.GetEnvironment(name);
  }

 private:
  FileSystem& inner_;
  std::u16string_view program_;
  bool known_ = false;
  bool exists_ = false;
};

}  // namespace

namespace {

// Where GetProgram's program text lies in a command line, and where the
// rest begins.
struct ProgramSpan {
  std::size_t start;
  std::size_t length;
  std::size_t rest;
};

ProgramSpan FindProgram(std::u16string_view s) {
  if (s.empty()) return {0, 0, 0};
  const char16_t first = s[0];
  if (first == kDoubleQuote || first == kSingleQuote) {
    // An empty quoted text ("") does not count: fall through to the space.
    const std::size_t close = Find16(s, first, 1);
    if (close != std::u16string_view::npos && close >= 2) return {1, close - 1, close + 1};
    const std::size_t space = Find16(s, kSpace, 1);
    if (space != std::u16string_view::npos && space >= 2) return {1, space - 1, space};
    return {1, s.size() - 1, s.size()};
  }
  const std::size_t space = Find16(s, kSpace, 0);
  if (space != std::u16string_view::npos && space >= 1) return {0, space, space};
  return {0, s.size(), s.size()};
}

}  // namespace

std::u16string GetProgram(std::u16string_view s) {
  const ProgramSpan span = FindProgram(s);
  return std::u16string(s.substr(span.start, span.length));
}

std::u16string_view ArgumentsAfterProgram(std::u16string_view command_line) {
  return command_line.substr(FindProgram(command_line).rest);
}

std::u16string GetScheme(std::u16string_view program) {
  const std::size_t colon = Find16(program, kColon, 0);
  if (colon == std::u16string_view::npos || colon == 0) return {};
  const std::u16string_view letters = program.substr(0, colon);
  return IsAllLetters(letters) ? std::u16string(letters) : std::u16string();
}

std::optional<std::u16string> FindExecutableFile(std::u16string_view program, FileSystem& fs) {
  const std::u16string pathext = fs.GetEnvironment(u"PATHEXT");
  const std::vector<std::u16string_view> entries = SplitEntries(pathext);
  if (fs.FileExists(program)) {
    for (const std::u16string_view entry : entries) {
      const std::size_t tail = entry.size() < program.size() ? entry.size() : program.size();
      if (EqualsIgnoringAsciiCase(program.substr(program.size() - tail), entry)) {
        return std::u16string(program);
      }
    }
    return std::nullopt;
  }
  std::u16string candidate;
  for (const std::u16string_view entry : entries) {
    candidate.assign(program);
    candidate.append(entry);
    if (fs.FileExists(candidate)) return candidate;
  }
  return std::nullopt;
}

bool IsExecutableFile(std::u16string_view program, FileSystem& fs) {
  return FindExecutableFile(program, fs).has_value();
}

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool StartsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace

bool IsNetworkPath(std::u16string_view program) {
  if (StartsWithIgnoringCase(program, u"file:")) {
    std::u16string_view rest = program.substr(5);
    constexpr std::u16string_view kThisMachine = u"//localhost";
    if (StartsWithIgnoringCase(rest, kThisMachine) && rest.size() > kThisMachine.size() &&
        IsSeparator(rest[kThisMachine.size()])) {
      rest.remove_prefix(kThisMachine.size());
    }
    std::size_t slashes = 0;
    while (slashes < rest.size() && IsSeparator(rest[slashes])) ++slashes;
    // Two begin a host; four or more, a host behind the empty one.
    return slashes == 2 || slashes >= 4;
  }
  if (program.size() < 2 || !IsSeparator(program[0]) || !IsSeparator(program[1])) return false;
  const bool local_drive = program.size() >= 6 && (program[2] == u'?' || program[2] == u'.') &&
                           IsSeparator(program[3]) && GetScheme(program.substr(4, 2)).size() == 1;
  return !local_drive;
}

bool IsProgramImage(std::u16string_view path) {
  const std::size_t dot = path.find_last_of(u".\\/");
  if (dot == std::u16string_view::npos || path[dot] != u'.') return false;
  const std::u16string_view ext = path.substr(dot);
  return EqualsIgnoringAsciiCase(ext, u".exe") || EqualsIgnoringAsciiCase(ext, u".com");
}

std::u16string EscapeForInterpreter(std::u16string_view command_line) {
  std::u16string out;
  out.reserve(command_line.size());
  bool quoted = false;
  for (const char16_t c : command_line) {
    if (c == kDoubleQuote) {
      quoted = !quoted;
    } else if (!quoted && std::u16string_view(u"&|<>^()%").find(c) != std::u16string_view::npos) {
      out.push_back(u'^');
    }
    out.push_back(c);
  }
  return out;
}

bool CommandExists(std::u16string_view command_line, FileSystem& fs) {
  if (command_line.empty()) return false;
  const std::u16string program = GetProgram(command_line);
  // Only a one-letter scheme is a drive; anything else is left to the
  // platform to resolve when the command runs.
  if (GetScheme(program).size() != 1) return true;
  ProgramProbeMemo memo(fs, program);
  if (IsExecutableFile(program, memo)) return true;
  return memo.FileExists(program);
}

}  // namespace pelzorvick
