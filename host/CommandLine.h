#pragma once
// The host's command line.

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/PropertyFile.h"

namespace pelzorvick {

struct SetRequest {
  std::u16string control;  // section name; empty: the target control
  std::u16string name;
  FileValue value;
};

struct HostOptions {
  std::u16string file;  // empty: one control, freshly initialised
  std::u16string save;
  std::u16string screenshot;
  std::u16string screenshot_pressed;
  std::vector<SetRequest> sets;
  std::u16string target;  // --control: whom --press, --execute, --set address
  bool press = false;
  bool execute = false;
  bool design = false;
  bool dismiss_messages = false;
  bool log = false;
  bool describe = false;
  bool help = false;
  int exit_after = -1;  // milliseconds; -1: until the window is closed
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// `args` without the program name. Throws UsageError.
HostOptions ParseHostCommandLine(const std::vector<std::u16string>& args);
// --set's value: the property file's syntax, or else the text as a string.
FileValue ParseSetValue(std::u16string_view text);

extern const char kHostUsage[];

}  // namespace pelzorvick
