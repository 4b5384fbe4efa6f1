#pragma once
// The launch policy of this process: the registry's policy keys, the file
// system's names and the event log, shared by every control.

#include "policy/LaunchPolicy.h"

namespace pelzorvick {

policy::LaunchPolicy& SystemLaunchPolicy();

}  // namespace pelzorvick
