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

void Report(const std::string& name, double median, const std::string& reference,
            double reference_median, double goal) {
  g_rows.push_back({name, median, reference, reference_median, goal});
}

void PrintTable() {
  std::printf("%-52s %10s  %-22s %10s %7s  %s\n", "measurement (us, medians)", "median", "reference",
              "ref", "ratio", "goal");
  for (const Row& r : g_rows) {
    std::string goal;
    double ratio = 0;
    if (r.goal > 0) {
      ratio = r.reference_median > 0 ? r.median / r.reference_median : 0;
      goal = (ratio <= r.goal ? "met (<= " : "NOT met (<= ") + std::to_string(int(r.goal)) + "x)";
    } else if (r.goal < 0) {
      goal = r.median <= 0 ? "met (flat)" : "NOT met (flat)";
    }
    std::printf("%-52s %10.0f  %-22s %10.0f %7.2f  %s\n", r.name.c_str(), r.median, r.reference.c_str(),
                r.reference_median, ratio, goal.c_str());
  }
  for (const Row& r : g_rows) {
    std::printf("row|%s|%.1f|%s|%.1f|%g\n", r.name.c_str(), r.median, r.reference.c_str(),
                r.reference_median, r.goal);
  }
}

}  // namespace pelzorvick::test
