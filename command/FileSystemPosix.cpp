// The file system of the native build: stat for files, getenv for variables.
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "command/FileSystem.h"
#include "common/Utf8.h"
#include "common/ComError.h"

namespace pelzorvick {

namespace {

class PosixFileSystem : public FileSystem {
 public:
  bool FileExists(std::u16string_view path) override {
    // A name that no byte string can spell (unpaired surrogate, embedded
    // NUL that would cut it short) names no file.
    const std::optional<std::string> bytes = ToUtf8(path);
    if (!bytes || bytes->find('\0') != std::string::npos) return false;
    struct stat info;
    if (stat(bytes->c_str(), &info) == 0) return S_ISREG(info.st_mode);
    switch (errno) {
      case ENOENT:
      case ENOTDIR:
      case ENAMETOOLONG:
      case ELOOP:
      case EACCES:
        return false;
      default:
        // The disk could not answer: saying "no file" would be a guess.
        throw ComError(errc::kFail, u"Cannot test whether a file exists: " + std::u16string(path));
    }
  }

  std::u16string GetEnvironment(std::u16string_view name) override {
    const std::optional<std::string> bytes = ToUtf8(name);
    if (!bytes || bytes->find('\0') != std::string::npos) return {};
    const char* value = std::getenv(bytes->c_str());
    return value ? FromUtf8(value) : std::u16string();
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace pelzorvick
