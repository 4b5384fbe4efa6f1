#pragma once
// Where the control's audit records go: the system's event log on Windows.

#include <string>

#include "policy/AuditEvents.h"

namespace pelzorvick {

struct AuditRecord {
  policy::AuditEvent event;
  std::u16string command_line;  // or the picture's address
  std::u16string target;        // what the command opens, as the policy saw it
  std::u16string detail;        // the refusing value, the system's error, the malformed value
};

class AuditLog {
 public:
  virtual ~AuditLog() = default;
  // Adds the container's executable and the user. Never throws: a record
  // that cannot be written is lost, the command is not.
  virtual void Write(const AuditRecord& record) = 0;
};

}  // namespace pelzorvick
