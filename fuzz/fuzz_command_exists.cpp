// CommandExists and IsExecutableFile over a fake file system whose files and
// PATHEXT come from the input: first line PATHEXT, then existing files, and
// the last line the command.
#include <cstdlib>
#include <set>

#include "command/CommandUtil.h"
#include "common/ComError.h"
#include "fuzz/FuzzInput.h"

using namespace pelzorvick;

namespace {
class FakeFiles : public FileSystem {
 public:
  std::u16string pathext;
  std::set<std::u16string> files;
  size_t probes = 0;
  bool FileExists(std::u16string_view path) override {
    ++probes;
    return files.count(std::u16string(path)) != 0;
  }
  std::u16string GetEnvironment(std::u16string_view name) override {
    return name == u"PATHEXT" ? pathext : std::u16string();
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string rest = fuzz::ToText(data, size);
  FakeFiles fs;
  fs.pathext = fuzz::TakeLine(rest);
  std::u16string command;
  while (!rest.empty()) {
    command = fuzz::TakeLine(rest);
    if (!rest.empty()) fs.files.insert(command);
  }
  size_t entries = 1;
  for (char16_t c : fs.pathext) entries += c == u';';
  try {
    CommandExists(command, fs);
    // At most one probe per PATHEXT entry, one for the program and one more.
    if (fs.probes > entries + 2) std::abort();
    fs.probes = 0;
    IsExecutableFile(command, fs);
    if (fs.probes > entries + 1) std::abort();
  } catch (const ComError& e) {
    if (e.code() != errc::kOverflow) std::abort();
  }
  return 0;
}
