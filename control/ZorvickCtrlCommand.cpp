#include "control/ZorvickCtrl.h"

#include "command/CommandUtil.h"

namespace pelzorvick {

namespace {
constexpr std::u16string_view kStartPrefix = u"cmd /c Start ";
// Start takes a leading quoted argument as the new window's title; an empty
// title first keeps a quoted target the thing that is opened.
constexpr std::u16string_view kStartPrefixQuoted = u"cmd /c Start \"\" ";
constexpr std::u16string_view kNotFoundText = u"Command not found!";
constexpr std::u16string_view kMessageTitle = u"PelZorvick";
constexpr int kMessageBoxOk = 0;
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

void ZorvickCtrl::RunCommand() {
  const std::u16string line = FindAvailableCommand();
  if (line.empty()) {
    platform_.ShowMessageBox(kNotFoundText, kMessageBoxOk, kMessageTitle);
    return;
  }
  // The file the lookup judged is the one started, not whatever a search
  // for the same name would reach first.
  if (const auto program_file = FindExecutableFile(GetProgram(line), file_system_)) {
    platform_.StartProgram(*program_file, line, ArgumentsAfterProgram(line), kShowNormal);
    return;
  }
  std::u16string hidden(line.front() == u'"' ? kStartPrefixQuoted : kStartPrefix);
  hidden += line;
  platform_.StartCommandInterpreter(hidden, kShowHidden);
}

void ZorvickCtrl::Execute() { RunCommand(); }

void ZorvickCtrl::CanvasClick() {
  RunCommand();
  container_.RaiseClick();
}

}  // namespace pelzorvick
