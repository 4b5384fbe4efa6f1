#include "component/platform/EventLogAudit.h"

#include <windows.h>

#include <iterator>
#include <mutex>
#include <set>

#include "component/com/WideString.h"

namespace pelzorvick {

namespace {

using policy::AuditEvent;
using policy::AuditSeverity;

WORD EventType(AuditEvent event) {
  for (const auto& definition : policy::kAuditEvents) {
    if (definition.id != event) continue;
    switch (definition.severity) {
      case AuditSeverity::kInformation: return EVENTLOG_INFORMATION_TYPE;
      case AuditSeverity::kWarning: return EVENTLOG_WARNING_TYPE;
      case AuditSeverity::kError: return EVENTLOG_ERROR_TYPE;
    }
  }
  return EVENTLOG_ERROR_TYPE;
}

// Whether this malformed value was written before by this process.
bool ReportedBefore(const std::u16string& detail) {
  static std::mutex mutex;
  static std::set<std::u16string> reported;
  std::lock_guard lock(mutex);
  return !reported.insert(detail).second;
}

}  // namespace

std::u16string ContainerExecutable() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return FromWide(path.data(), length);
    path.assign(path.size() * 2, L'\0');
  }
}

std::u16string UserName() {
  wchar_t name[256 + 1] = {};
  DWORD size = 256 + 1;
  std::u16string user = GetUserNameW(name, &size) ? FromWide(name) : std::u16string();
  wchar_t domain[256 + 1] = {};
  const DWORD length = GetEnvironmentVariableW(L"USERDOMAIN", domain, 256 + 1);
  if (length > 0 && length <= 256 && !user.empty()) return FromWide(domain) + u"\\" + user;
  return user;
}

void EventLogAudit::Write(const AuditRecord& record) {
  if (record.event == AuditEvent::kMalformedValue && ReportedBefore(record.detail)) return;
  static const std::wstring name(std::begin(policy::kEventSource), std::end(policy::kEventSource) - 1);
  const HANDLE source = RegisterEventSourceW(nullptr, name.c_str());
  if (source == nullptr) return;
  // A process's executable stays; the user may change with impersonation.
  static const std::wstring container = ToWide(ContainerExecutable());
  const std::wstring fields[] = {ToWide(record.command_line), ToWide(record.target),
                                 ToWide(record.detail), container,
                                 ToWide(UserName())};
  const wchar_t* strings[std::size(fields)];
  for (std::size_t i = 0; i < std::size(fields); ++i) strings[i] = fields[i].c_str();
  ReportEventW(source, EventType(record.event), 0, static_cast<DWORD>(record.event), nullptr,
               static_cast<WORD>(std::size(fields)), 0, strings, nullptr);
  DeregisterEventSource(source);
}

}  // namespace pelzorvick
