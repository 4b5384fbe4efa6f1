#pragma once
// A file system of named files and variables that records every existence
// test, so tests can say exactly what the lookup asked.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "command/FileSystem.h"

namespace pelzorvick::test {

class RecordingFileSystem : public FileSystem {
 public:
  std::set<std::u16string> files;
  std::map<std::u16string, std::u16string> environment;
  std::vector<std::u16string> probes;

  bool FileExists(std::u16string_view path) override {
    probes.emplace_back(path);
    return files.count(std::u16string(path)) != 0;
  }
  std::u16string GetEnvironment(std::u16string_view name) override {
    const auto found = environment.find(std::u16string(name));
    return found == environment.end() ? std::u16string() : found->second;
  }
};

}  // namespace pelzorvick::test
