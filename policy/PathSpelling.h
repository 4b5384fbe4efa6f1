#pragma once
// The spellings under which Windows opens the same file, brought to one:
// what a pattern is compared with, so that no spelling escapes it.

#include <optional>
#include <string>
#include <string_view>

namespace pelzorvick::policy {

struct CleanPath {
  std::u16string path;
  std::u16string stream;  // a named alternate stream of the file; "" for the file itself
};

// Forward slashes become backslashes; the \\?\, \\.\ and \??\ prefixes go
// (\\?\UNC\ becomes \\); repeated separators, "." and ".." segments,
// trailing dots and spaces of every segment and a trailing separator go;
// ":stream" and "::$DATA" leave each segment, the last one's stream kept
// apart. A relative path stays relative (leading ".." kept).
CleanPath CleanPathSpelling(std::u16string_view path);

// The local path of a file: address ("file:///C:/x", "file://localhost/C:/x",
// "file:/C:/x", "file:C:/x", "|" for ":"), percent-escapes decoded as UTF-8;
// "file://host/share/x" is \\host\share\x. Nothing for any other address.
std::optional<std::u16string> PathOfFileAddress(std::u16string_view address);

// "%XX" escapes as UTF-8 bytes; an escape that is not two hex digits stays.
std::u16string PercentDecoded(std::u16string_view text);

}  // namespace pelzorvick::policy
