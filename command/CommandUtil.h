#pragma once
// Command resolution: which part of a command line names its program, and
// whether that program can be found and started directly.

#include <optional>
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

// The file that makes the program directly executable: the program itself
// when it exists and ends in a "PATHEXT" entry (compared case-insensitively),
// else the program followed by the first entry for which a file exists;
// nothing when neither. "PATHEXT" is read at every call. The path is as
// tested, so a relative one names a file in the current directory.
std::optional<std::u16string> FindExecutableFile(std::u16string_view program,
                                                 FileSystem& fs = SystemFileSystem());

// Whether FindExecutableFile finds a file.
bool IsExecutableFile(std::u16string_view program, FileSystem& fs = SystemFileSystem());

// The text of a command line after its program text (see GetProgram): what
// follows the closing quote of a quoted program, else from the space that
// ends it on; "" when the program text runs to the end.
std::u16string_view ArgumentsAfterProgram(std::u16string_view command_line);

// Whether a program text names a file that may lie on another machine,
// which Windows would sign in to with the user's credentials to reach:
// "\\host\..." and "//host/..." (either slash), the device paths
// ("\\?\UNC\...", and any other but a drive's "\\?\C:\..."), and
// file: URLs with a host ("file://host/...", "file:////host/...").
bool IsNetworkPath(std::u16string_view program);

// Whether the system runs the file itself rather than through an
// interpreter: a program image by its extension (".exe", ".com"), decided by
// name, not content, so that an .exe that is no program fails to start and
// says why, as the system would.
bool IsProgramImage(std::u16string_view path);

// The command line as the command interpreter must be given it for its start
// command to receive exactly that line: outside double quotes each of
// & | < > ^ ( ) and % is preceded by a caret, so the interpreter runs, pipes,
// redirects and expands none of them.
std::u16string EscapeForInterpreter(std::u16string_view command_line);

// Whether a command line is usable. Only drive paths ("C:...") reach the
// file system; every other non-empty line counts as found and is left to the
// platform to resolve when run.
bool CommandExists(std::u16string_view command_line, FileSystem& fs = SystemFileSystem());

}  // namespace pelzorvick
