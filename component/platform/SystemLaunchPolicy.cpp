#include "component/platform/SystemLaunchPolicy.h"

#include "component/platform/EventLogAudit.h"
#include "component/platform/WinPathNames.h"
#include "component/platform/WinPolicySource.h"

namespace pelzorvick {

policy::LaunchPolicy& SystemLaunchPolicy() {
  // Nothing here keeps state between calls: every read goes to the system.
  static WinPolicySource source;
  static WinPathNames names;
  static EventLogAudit log;
  static policy::LaunchPolicy launch_policy(source, names, log);
  return launch_policy;
}

}  // namespace pelzorvick
