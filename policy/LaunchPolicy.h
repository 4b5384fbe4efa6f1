#pragma once
// The administrator's say over what the control starts and fetches: the
// policy of this moment, the target a command or picture would open, the
// value that refuses it, and the records of the audit trail.

#include <string>
#include <string_view>

#include "component/seams/AuditLog.h"
#include "component/seams/PathNames.h"
#include "component/seams/PolicySource.h"
#include "policy/Pattern.h"
#include "policy/PolicySettings.h"

namespace pelzorvick::policy {

class LaunchPolicy {
 public:
  LaunchPolicy(PolicySource& source, PathNames& names, AuditLog& log)
      : source_(source), names_(names), log_(log) {}

  // Read afresh; every malformed value is recorded, with the command line
  // (or address) it was read for.
  PolicySettings Read(std::u16string_view command_line);

  // A file the command lookup found, started directly.
  Target FileTarget(std::u16string_view file);
  // What the start command or the shell opens for a command line: a
  // document's or folder's full path, a local file's for a file: address,
  // the address itself, the file a search finds for a bare name.
  Target CommandTarget(std::u16string_view command_line);
  // What an address or a path names: a picture's, or a command's program
  // text that has a scheme or a folder in it.
  Target AddressTarget(std::u16string_view address);

  // The name of the value that refuses starting the target; "" when none.
  static std::u16string_view Refusal(const PolicySettings& settings, const Target& target);
  // Whether the picture at the address may be fetched; a refusal is
  // recorded.
  bool AllowsPicture(std::u16string_view address);

  void Record(AuditEvent event, std::u16string_view command_line, const Target& target,
              std::u16string_view detail);

 private:
  Target PathTarget(std::u16string_view path);

  PolicySource& source_;
  PathNames& names_;
  AuditLog& log_;
};

// The command line without the blanks the start command skips.
std::u16string_view WithoutLeadingBlanks(std::u16string_view command_line);

}  // namespace pelzorvick::policy
