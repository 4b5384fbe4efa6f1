#pragma once
// Full and long names of paths, and the start command's search for a bare
// name, through the file system's own calls.

#include "component/seams/PathNames.h"

namespace pelzorvick {

class WinPathNames : public PathNames {
 public:
  // GetFullPathNameW, then GetLongPathNameW of the longest part that exists.
  std::optional<std::u16string> FullName(std::u16string_view path) override;
  std::optional<std::u16string> Search(std::u16string_view name) override;
};

}  // namespace pelzorvick
