#pragma once
// What a click would do with each of the ten command lines, as a designer
// shows it beside each while it is typed. The judgement is the click's own:
// CommandExists picks the line, FindExecutableFile of its program text
// decides between starting that file and handing the line to the shell.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "command/FileSystem.h"

namespace pelzorvick {

struct CommandPreview {
  // "runs C:\Tools\app.exe", "opens through the shell", "not found"; empty
  // for an empty line.
  std::u16string text;
  bool runs_on_click = false;  // the line a click would run
};

// `lines` in the order a click tries them; none for a line whose value
// differs between controls edited together: it reads "differs", and as it
// may be found on some of them, no later line is marked. A line the lookup
// fails on reads "fails: " and the failure, and ends the search as it ends
// a click.
std::vector<CommandPreview> PreviewCommands(std::span<const std::optional<std::u16string>> lines,
                                            FileSystem& fs);

// A command line that runs the file `path` with no arguments: quoted when it
// holds a space, so that its program text is the whole path.
std::u16string CommandLineForFile(std::u16string_view path);

}  // namespace pelzorvick
