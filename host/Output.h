#pragma once
// The host's printed lines. Every line is written at once, whole and in
// order, from whichever thread prints it (the message watcher has its own).

#include <string>
#include <string_view>

namespace pelzorvick {

class Output {
 public:
  // With the log on, notifications, events and message boxes are printed
  // and errors join them on standard output; otherwise errors go to
  // standard error alone.
  static void SetLogging(bool on);
  static bool Logging();

  static void Line(std::u16string_view text);   // standard output, always
  static void Log(std::u16string_view text);    // standard output, with the log on
  static void Error(std::u16string_view text);  // "error: " + text
};

std::u16string ToU16(std::string_view ascii);
std::u16string HexCode(long code);  // 0x800A000D

}  // namespace pelzorvick
