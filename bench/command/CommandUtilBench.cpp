// Cost of splitting a long quoted command line, and of looking up a missing
// drive path against a long "PATHEXT" list.
#include <benchmark/benchmark.h>

#include "command/CommandUtil.h"

namespace pelzorvick {
namespace {

class CountingFileSystem : public FileSystem {
 public:
  std::u16string pathext;
  long long probes = 0;
  bool FileExists(std::u16string_view) override {
    ++probes;
    return false;
  }
  std::u16string GetEnvironment(std::u16string_view) override { return pathext; }
};

void BM_GetProgramQuoted200(benchmark::State& state) {
  // A quoted program of 120 characters with spaces, then 78 of arguments.
  std::u16string line = u"\"C:\\Program Files\\Some Vendor\\Some Product";
  while (line.size() < 120) line += u"\\sub dir";
  line += u"\\app.exe\"";
  while (line.size() < 200) line += u" /x";
  line.resize(200);
  for (auto _ : state) {
    benchmark::DoNotOptimize(GetProgram(line));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(line.size() * 2));
}
BENCHMARK(BM_GetProgramQuoted200);

void BM_CommandExistsMissingDrivePath(benchmark::State& state) {
  CountingFileSystem fs;
  fs.pathext = u".COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH;.MSC;.PY";
  const std::u16string line = u"C:\\Program Files\\App\\app /s";
  for (auto _ : state) {
    benchmark::DoNotOptimize(CommandExists(line, fs));
  }
  state.counters["probes_per_call"] =
      benchmark::Counter(static_cast<double>(fs.probes), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_CommandExistsMissingDrivePath);

}  // namespace
}  // namespace pelzorvick
