#pragma once
// The records of the audit trail: fixed event ids, documented for the
// administrator, with the message text the library's message table holds.
// Every record carries the same five strings, the %1 .. %5 of its message.
// Plain C++17 and ASCII, for the build tool.

#include <cstddef>
#include <cstdint>

namespace pelzorvick::policy {

inline constexpr char kEventSource[] = "PelZorvick";  // in the Application log

enum class AuditEvent : uint16_t {
  kStarted = 1000,
  kRefused = 1001,
  kStartFailed = 1002,
  kImageRefused = 1003,
  kMalformedValue = 1004,
};

enum class AuditSeverity { kInformation, kWarning, kError };

struct AuditEventDefinition {
  AuditEvent id;
  const char* symbol;  // the message table's symbolic name
  AuditSeverity severity;
  const char* when;     // the README's description
  const char* message;  // first line of the record; the five fields follow it
};

inline constexpr AuditEventDefinition kAuditEvents[] = {
    {AuditEvent::kStarted, "PZ_EVENT_STARTED", AuditSeverity::kInformation,
     "a command started (with `AuditLaunches`)", "PelZorvick started a command."},
    {AuditEvent::kRefused, "PZ_EVENT_REFUSED", AuditSeverity::kWarning,
     "a command was refused by policy; the detail names the value that refused it",
     "PelZorvick refused to start a command: the administrator's policy does not allow it."},
    {AuditEvent::kStartFailed, "PZ_EVENT_START_FAILED", AuditSeverity::kError,
     "a command failed to start (with `AuditLaunches`); the detail is the system's error",
     "PelZorvick could not start a command."},
    {AuditEvent::kImageRefused, "PZ_EVENT_IMAGE_REFUSED", AuditSeverity::kWarning,
     "an `ImageURL` was refused by `AllowedImageHosts`",
     "PelZorvick refused to fetch a picture: the administrator's policy does not allow the "
     "address."},
    {AuditEvent::kMalformedValue, "PZ_EVENT_MALFORMED_VALUE", AuditSeverity::kWarning,
     "a policy value is malformed and was ignored; the detail names it and says why",
     "PelZorvick ignored a malformed policy value."},
};

// The labels of the five strings, in their order.
inline constexpr const char* kAuditFields[] = {"Command line", "Target", "Detail", "Container",
                                               "User"};

}  // namespace pelzorvick::policy
