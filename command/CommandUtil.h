#pragma once
// Command resolution: which part of a command line names its program, and
// whether that program can be found and started directly.

#include <string>
#include <string_view>

#include "command/FileSystem.h"

namespace pelzorvick {

// The program text of a command line: a quoted first word without its
// quotes, else the text before the first space, else the whole line. Never
// trims. Throws the overflow error when the deciding quote or space lies
// beyond position 32,767.
std::u16string GetProgram(std::u16string_view command_line);

// The letters before the first colon ("C", "shell"), or "" when there is no
// colon, the colon comes first, or a non-letter precedes it. Throws the
// overflow error for a first colon beyond position 32,767.
std::u16string GetScheme(std::u16string_view program);

// True when the program names an existing file ending in a "PATHEXT" entry
// (compared case-insensitively), or when the program followed by an entry
// exists. "PATHEXT" is read at every call.
bool IsExecutableFile(std::u16string_view program, FileSystem& fs = SystemFileSystem());

// Whether a command line is usable. Only drive paths ("C:...") reach the
// file system; every other non-empty line counts as found and is left to the
// platform to resolve when run.
bool CommandExists(std::u16string_view command_line, FileSystem& fs = SystemFileSystem());

}  // namespace pelzorvick
