#pragma once
// What the command lookup needs of the platform: whether a file exists and
// the value of an environment variable. A seam, so the lookup is testable
// against a fake and runs the same on every platform.

#include <string>
#include <string_view>

namespace pelzorvick {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // True for a regular file at the path, taken unchanged; false for a folder
  // or nothing. Relative paths resolve against the current directory; the
  // program search path is never consulted. May throw ComError.
  virtual bool FileExists(std::u16string_view path) = 0;
  // The variable's value, or "" when it is not set.
  virtual std::u16string GetEnvironment(std::u16string_view name) = 0;
};

// The platform's file system: POSIX on the native build, Win32 on Windows.
FileSystem& SystemFileSystem();

}  // namespace pelzorvick
