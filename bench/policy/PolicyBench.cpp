// What judging the policy costs a click beyond reading the registry: both
// hives' values judged and a program's target matched, with nothing set and
// with two lists of twenty patterns.
#include <benchmark/benchmark.h>

#include "policy/LaunchPolicy.h"
#include "tests/support/PolicyFakes.h"

namespace pelzorvick {
namespace {

void Judge(benchmark::State& state, bool lists) {
  test::PolicyRig rig;
  if (lists) {
    std::vector<std::u16string> allowed, denied;
    for (int i = 0; i < 20; ++i) {
      allowed.push_back(u"C:\\Allowed" + std::u16string(1, u'A' + i) + u"\\*.exe");
      denied.push_back(u"C:\\Denied" + std::u16string(1, u'A' + i) + u"\\*\\tool?.exe");
    }
    rig.source.Patterns(PolicyHive::kMachine, u"AllowedPrograms", allowed);
    rig.source.Patterns(PolicyHive::kMachine, u"DeniedPrograms", denied);
  }
  const std::u16string program = u"C:\\Program Files\\Some Vendor\\Some Product\\app.exe";
  for (auto _ : state) {
    const policy::PolicySettings settings = rig.policy.Read(program);
    if (settings.Restricts()) {
      benchmark::DoNotOptimize(policy::LaunchPolicy::Refusal(settings, rig.policy.FileTarget(program)));
    }
  }
}
BENCHMARK_CAPTURE(Judge, NothingSet, false);
BENCHMARK_CAPTURE(Judge, TwoListsOf20, true);

}  // namespace
}  // namespace pelzorvick
