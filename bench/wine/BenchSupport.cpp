#include "bench/wine/BenchSupport.h"

#include <winternl.h>

#include <algorithm>
#include <cstdio>

#include "common/Stopwatch.h"

namespace pelzorvick::test {
namespace {

// One line of the table.
struct Row {
  std::string name;
  double median;
  std::string reference;
  double reference_median;
  double goal;
  double ratio;  // of the pairs; of the two medians where there are none
};

std::vector<Row> g_rows;

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count) {
  ++*reinterpret_cast<DWORD*>(count);
  EnumChildWindows(hwnd, CountWindow, count);
  return TRUE;
}

// Where the PEB points to the GDI handle table.
#ifdef _WIN64
constexpr size_t kGdiTableInPeb = 0xF8;
#else
constexpr size_t kGdiTableInPeb = 0x94;
#endif

}  // namespace

// Wine answers GetGuiResources with 0. Then the GDI objects are the used
// entries of the process's GDI handle table, which the PEB points to, and the
// USER objects are this thread's windows.
Handles Handles::Now() {
  Handles h{GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
            GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)};
  if (h.gdi == 0) {
    struct Entry {
      UINT64 object;
      ULONG owner;
      USHORT unique;
      UCHAR type, flags;
      UINT64 user;
    };
    static_assert(sizeof(Entry) == 24);
    auto* peb = reinterpret_cast<const BYTE*>(NtCurrentTeb()->ProcessEnvironmentBlock);
    const auto* table = *reinterpret_cast<const Entry* const*>(peb + kGdiTableInPeb);
    for (int i = 0; table && i < 0x10000; ++i) h.gdi += table[i].type != 0;
  }
  if (h.user == 0) {
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&h.user));
  }
  return h;
}

double Timed(const std::function<void()>& f) {
  const double start = Microseconds();
  f();
  return Microseconds() - start;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double MedianOf(int runs, const std::function<double()>& one) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) times.push_back(one());
  return Median(times);
}

void Pairs::Add(double reference, double subject) {
  reference_.push_back(reference);
  subject_.push_back(subject);
  ratio_.push_back(reference > 0 ? subject / reference : 0);
}

Pairs Interleaved(int runs, const std::function<double()>& reference,
                  const std::function<double()>& subject) {
  Pairs pairs;
  for (int i = 0; i < runs; ++i) {
    const double r = reference();
    pairs.Add(r, subject());
  }
  return pairs;
}

void Report(const std::string& name, double median, const std::string& reference,
            double reference_median, double goal) {
  const double ratio = goal >= 0 && reference_median > 0 ? median / reference_median : 0;
  g_rows.push_back({name, median, reference, reference_median, goal, ratio});
}

void Report(const std::string& name, const Pairs& pairs, const std::string& reference,
            double goal) {
  g_rows.push_back({name, pairs.Subject(), reference, pairs.Reference(), goal, pairs.Ratio()});
}

// The ratio column is the median of the pairs' ratios, which need not be the
// ratio of the two medians beside it.
void PrintTable() {
  std::printf("%-56s %10s  %-22s %10s %7s  %s\n", "measurement (us, medians)", "median", "reference",
              "ref", "ratio", "goal");
  for (const Row& r : g_rows) {
    char goal[32] = "";
    if (r.goal > 0) {
      std::snprintf(goal, sizeof goal, "%s (<= %gx)", r.ratio <= r.goal ? "met" : "NOT met", r.goal);
    } else if (r.goal < 0) {
      std::snprintf(goal, sizeof goal, "%s", r.median <= 0 ? "met (flat)" : "NOT met (flat)");
    }
    char ratio[16] = "";
    if (r.ratio > 0) std::snprintf(ratio, sizeof ratio, "%.2f", r.ratio);
    std::printf("%-56s %10.0f  %-22s %10.0f %7s  %s\n", r.name.c_str(), r.median, r.reference.c_str(),
                r.reference_median, ratio, goal);
  }
  for (const Row& r : g_rows) {
    std::printf("row|%s|%.1f|%s|%.1f|%g|%.3f\n", r.name.c_str(), r.median, r.reference.c_str(),
                r.reference_median, r.goal, r.ratio);
  }
}

}  // namespace pelzorvick::test
