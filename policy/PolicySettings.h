#pragma once
// The administrator's policy of this moment, judged from what the registry
// holds: the machine's value wins over the user's, a malformed value is
// ignored and named, and nothing unreadable lifts a restriction.

#include <string>
#include <vector>

#include "component/seams/PolicySource.h"
#include "policy/Pattern.h"

namespace pelzorvick::policy {

struct PatternList {
  bool in_force = false;      // the key holds a value (or cannot be read)
  bool everything = false;    // matches every target: a deny list that cannot be read
  std::vector<Pattern> patterns;

  bool Matches(const Target& target) const;
};

struct PolicySettings {
  bool disable_launch = false;
  bool no_interpreter = false;
  bool audit = false;
  PatternList allowed;
  PatternList denied;
  PatternList image_hosts;
  // One line for every value ignored, naming its key and why.
  std::vector<std::u16string> malformed;

  // Whether a start may be refused at all.
  bool Restricts() const { return disable_launch || allowed.in_force || denied.in_force; }
};

// Reads both hives afresh. A switch is a REG_DWORD (0 off, anything else
// on); each value of a pattern key is one REG_SZ pattern, and a key whose
// values are all malformed is in force all the same. A policy key that
// cannot be read turns every switch on and allows no picture address.
PolicySettings ReadPolicySettings(PolicySource& source);

}  // namespace pelzorvick::policy
