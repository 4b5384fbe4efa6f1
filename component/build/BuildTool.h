#pragma once
// What every build tool of ours does around its work: read the input, write
// the output whole, and on any failure say why, leave no output behind and
// exit 1, so that make never takes a half-written file for a finished one.

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelzorvick::build_tool {

struct Fail : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline std::vector<unsigned char> ReadBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Fail(std::string("cannot read ") + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const char* path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw Fail(std::string("cannot write ") + path);
}

inline void WriteText(const std::string& path, const std::string& text) {
  WriteBytes(path.c_str(), std::vector<unsigned char>(text.begin(), text.end()));
}

// Runs `work`; what it throws is printed as "tool: reason" and removes every
// one of `outputs`, also those already written. Returns the exit code.
template <class F>
int Run(const char* tool, const std::vector<std::string>& outputs, F&& work) {
  try {
    work();
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", tool, e.what());
    for (const std::string& output : outputs) std::remove(output.c_str());
    return 1;
  }
}

}  // namespace pelzorvick::build_tool
