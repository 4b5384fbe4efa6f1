// ParseColor per form of colour text, with the heap allocations per call.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string_view>

#include "text/ColorUtil.h"

namespace {
std::atomic<long long> g_allocations{0};
}  // namespace

// Every allocation of the executable passes here, so the counter sees any
// allocation the parser might make. GCC takes the malloc/free pair behind a
// replaced new and delete for a mismatch.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

void ParseColorOf(benchmark::State& state, std::u16string_view text) {
  const long long before = g_allocations.load();
  for (auto _ : state) {
    std::u16string_view input = text;
    benchmark::DoNotOptimize(input);
    benchmark::DoNotOptimize(pelzorvick::ParseColor(input, 0));
  }
  state.counters["allocs_per_call"] = benchmark::Counter(
      static_cast<double>(g_allocations.load() - before),
      benchmark::Counter::kAvgIterations);
}

BENCHMARK_CAPTURE(ParseColorOf, named, u"lightgoldenrodyellow");
BENCHMARK_CAPTURE(ParseColorOf, hex, u"#FF8800");
BENCHMARK_CAPTURE(ParseColorOf, number, u"255");

}  // namespace
