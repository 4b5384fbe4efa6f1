// The control's eighteen stored properties through the stream codec: one
// save (encode) and one load (decode) of a typical button.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "component/persist/PropertyStream.h"
#include "tests/support/ButtonBag.h"

namespace {

using pelzorvick::MemoryPropertyBag;
using pelzorvick::test::ButtonBag;

void EncodeEighteen(benchmark::State& state) {
  const MemoryPropertyBag bag = ButtonBag();
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::vector<uint8_t> out = pelzorvick::EncodePropertyStream(bag);
    bytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["stream_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(EncodeEighteen);

void DecodeEighteen(benchmark::State& state) {
  const std::vector<uint8_t> stream = pelzorvick::EncodePropertyStream(ButtonBag());
  for (auto _ : state) {
    auto bag = pelzorvick::DecodePropertyStream(stream);
    if (!bag || bag->size() != 18) state.SkipWithError("the stream did not load");
    benchmark::DoNotOptimize(bag);
  }
  state.counters["stream_bytes"] = static_cast<double>(stream.size());
}
BENCHMARK(DecodeEighteen);

}  // namespace
