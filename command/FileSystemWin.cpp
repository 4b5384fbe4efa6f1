// The file system of the Windows builds: file attributes and the process
// environment through the wide Win32 calls.
#include <windows.h>

#include <string>

#include "command/FileSystem.h"
#include "common/ComError.h"

namespace pelzorvick {

namespace {

std::wstring ToWide(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

// Errors that say the path leads to no file, as opposed to a disk or
// permission failure that leaves the question open.
bool MeansNoFile(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
      return true;
    default:
      return false;
  }
}

bool IsFile(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0; }

class WindowsFileSystem : public FileSystem {
 public:
  bool FileExists(std::u16string_view path) override {
    // An embedded NUL would silently shorten the name to another one.
    if (path.find(u'\0') != std::u16string_view::npos) return false;
    const std::wstring wide = ToWide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return IsFile(attributes);
    const DWORD error = GetLastError();
    if (MeansNoFile(error)) return false;
    if (error == ERROR_SHARING_VIOLATION) {
      // A file held open exclusively (a page file) exists all the same; its
      // directory entry still tells what it is.
      WIN32_FIND_DATAW found;
      const HANDLE search = FindFirstFileW(wide.c_str(), &found);
      if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        return IsFile(found.dwFileAttributes);
      }
    }
    throw ComError(static_cast<int32_t>(HRESULT_FROM_WIN32(error)),
                   u"Cannot test whether a file exists: " + std::u16string(path));
  }

  std::u16string GetEnvironment(std::u16string_view name) override {
    if (name.find(u'\0') != std::u16string_view::npos) return {};
    const std::wstring wide_name = ToWide(name);
    std::wstring value(256, L'\0');
    for (;;) {
      SetLastError(ERROR_SUCCESS);
      const DWORD result =
          GetEnvironmentVariableW(wide_name.c_str(), value.data(), static_cast<DWORD>(value.size()));
      // 0 is unset, or set to the empty text.
      if (result == 0) return {};
      if (result < value.size()) {
        value.resize(result);
        return std::u16string(reinterpret_cast<const char16_t*>(value.data()), value.size());
      }
      // Too small: result is the size needed, terminator included. The value
      // may grow in between, so ask again rather than trust one answer.
      value.assign(result, L'\0');
    }
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static WindowsFileSystem fs;
  return fs;
}

}  // namespace pelzorvick
