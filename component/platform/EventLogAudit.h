#pragma once
// The audit trail in the Application event log, under the source whose
// message table the library carries.

#include <string>

#include "component/seams/AuditLog.h"

namespace pelzorvick {

class EventLogAudit : public AuditLog {
 public:
  // ReportEventW with the record's five strings. A malformed value is
  // written once per process: every click reads the policy again.
  void Write(const AuditRecord& record) override;
};

// The executable of this process and the user it runs as, for the record.
std::u16string ContainerExecutable();
std::u16string UserName();

}  // namespace pelzorvick
