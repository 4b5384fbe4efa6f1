#pragma once
// The one spelling of a path, as the system resolves it: what the policy
// compares, so that no other spelling of a file escapes its pattern.

#include <optional>
#include <string>
#include <string_view>

namespace pelzorvick {

class PathNames {
 public:
  virtual ~PathNames() = default;
  // The absolute form of a path (relative ones against the current
  // directory, "." and ".." resolved) with its short 8.3 names expanded where
  // they exist; nothing when the system cannot form one. Never throws.
  virtual std::optional<std::u16string> FullName(std::u16string_view path) = 0;
  // The file the start command would open for a bare name: the current
  // directory, then PATH, each with the name as given and with PATHEXT's
  // extensions, then the shell's App Paths; nothing when none exists.
  virtual std::optional<std::u16string> Search(std::u16string_view name) = 0;
};

}  // namespace pelzorvick
