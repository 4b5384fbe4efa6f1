#include "control/ZorvickCtrl.h"

#include "command/CommandUtil.h"
#include "common/ComError.h"

namespace pelzorvick {

namespace {
constexpr std::u16string_view kStartPrefix = u"cmd /c Start ";
// Start takes a leading quoted argument as the new window's title; an empty
// title first keeps a quoted target the thing that is opened.
constexpr std::u16string_view kStartPrefixQuoted = u"cmd /c Start \"\" ";
constexpr std::u16string_view kNotFoundText = u"Command not found!";
constexpr std::u16string_view kBlockedText = u"This command was blocked by your administrator.";
constexpr std::u16string_view kMessageTitle = u"PelZorvick";
constexpr int kMessageBoxOk = 0;
// What a script sees when Execute is refused: the system's own code for a
// program that policy blocks.
constexpr int32_t kBlockedByPolicy = static_cast<int32_t>(0x800704EC);

constexpr std::u16string_view kDirectly = u"started directly";
constexpr std::u16string_view kThroughInterpreter = u"started through cmd /c Start";
constexpr std::u16string_view kThroughShell = u"opened through the shell";
}  // namespace

std::u16string ZorvickCtrl::FindAvailableCommand() const {
  const std::u16string candidates[] = {Command(),  Command1(), Command2(), Command3(),
                                       Command4(), Command5(), Command6(), Command7(),
                                       Command8(), Command9()};
  for (const std::u16string& candidate : candidates) {
    if (CommandExists(candidate, file_system_)) return candidate;
  }
  return {};
}

ZorvickCtrl::RunOutcome ZorvickCtrl::RunCommand() {
  using policy::AuditEvent;
  const std::u16string line = FindAvailableCommand();
  if (line.empty()) {
    platform_.ShowMessageBox(kNotFoundText, kMessageBoxOk, kMessageTitle);
    return RunOutcome::kNotFound;
  }
  // Read at every run: a refreshed policy applies without a restart.
  const policy::PolicySettings settings = launch_policy_.Read(line);
  // The file the lookup judged is the one started, not whatever a search
  // for the same name would reach first.
  const std::optional<std::u16string> program_file =
      FindExecutableFile(GetProgram(line), file_system_);
  // Naming the target asks the file system; with no policy set, nothing
  // needs it.
  policy::Target target;
  if (settings.Restricts() || settings.audit || settings.no_interpreter) {
    target = program_file ? launch_policy_.FileTarget(*program_file) : launch_policy_.CommandTarget(line);
  }
  const std::u16string_view refusal = policy::LaunchPolicy::Refusal(settings, target);
  if (!refusal.empty()) {
    launch_policy_.Record(AuditEvent::kRefused, line, target, refusal);
    platform_.ShowMessageBox(kBlockedText, kMessageBoxOk, kMessageTitle);
    return RunOutcome::kRefused;
  }
  std::u16string_view how;
  try {
    how = Start(line, program_file, target, settings.no_interpreter);
  } catch (const ComError& e) {
    if (settings.audit) launch_policy_.Record(AuditEvent::kStartFailed, line, target, e.text());
    throw;
  }
  if (settings.audit) launch_policy_.Record(AuditEvent::kStarted, line, target, how);
  return RunOutcome::kStarted;
}

std::u16string_view ZorvickCtrl::Start(std::u16string_view line,
                                       const std::optional<std::u16string>& program_file,
                                       const policy::Target& target, bool no_interpreter) {
  if (program_file) {
    if (!no_interpreter || IsProgramImage(*program_file)) {
      platform_.StartProgram(*program_file, line, ArgumentsAfterProgram(line), kShowNormal);
      return kDirectly;
    }
    platform_.OpenWithShell(*program_file, ArgumentsAfterProgram(line), kShowNormal);
    return kThroughShell;
  }
  if (no_interpreter) {
    // The shell opens what the policy judged; a stream or an address goes
    // as written.
    const std::u16string_view trimmed = policy::WithoutLeadingBlanks(line);
    const bool judged = target.kind == policy::Target::Kind::kPath && !target.names_stream;
    platform_.OpenWithShell(judged ? std::u16string(target.text) : GetProgram(trimmed),
                            ArgumentsAfterProgram(trimmed), kShowNormal);
    return kThroughShell;
  }
  std::u16string hidden(line.front() == u'"' ? kStartPrefixQuoted : kStartPrefix);
  hidden += EscapeForInterpreter(line);
  platform_.StartCommandInterpreter(hidden, kShowHidden);
  return kThroughInterpreter;
}

void ZorvickCtrl::Execute() {
  if (RunCommand() == RunOutcome::kRefused) throw ComError(kBlockedByPolicy, std::u16string(kBlockedText));
}

void ZorvickCtrl::CanvasClick() {
  RunCommand();
  container_.RaiseClick();
}

}  // namespace pelzorvick
