#pragma once
// Process start, the message box and icon pictures: the rest of what the
// control needs from the operating system.

#include <string_view>

#include "component/seams/Picture.h"

namespace pelzorvick {

inline constexpr int kShowNormal = 1;  // normal window that gets the focus
inline constexpr int kShowHidden = 0;

class Platform {
 public:
  virtual ~Platform() = default;
  // Each start runs a file named here, never one a search for a name would
  // find first (the container's folder, the current directory), and hands
  // it the command line unchanged. Neither waits; both throw ComError on
  // failure.
  //
  // program_file: the file the command lookup found, as it tested it (a
  // relative path means the current directory of this moment); arguments:
  // what follows the program text in command_line, for a file that is no
  // program image and has to be handed to an interpreter by its path.
  virtual void StartProgram(std::u16string_view program_file, std::u16string_view command_line,
                            std::u16string_view arguments, int show_style) = 0;
  // The system's own command interpreter, with a line such as "cmd /c ...".
  virtual void StartCommandInterpreter(std::u16string_view command_line, int show_style) = 0;
  // The shell's "open" of a document, folder, address or program, with the
  // parameters a program gets; no command interpreter of ours in between.
  virtual void OpenWithShell(std::u16string_view file, std::u16string_view parameters,
                             int show_style) = 0;
  // Modal; returns when the user closes the box.
  virtual void ShowMessageBox(std::u16string_view text, int style,
                              std::u16string_view title) = 0;
  // The shell's icon of the file as a picture: the small one for the mode
  // "SmallIcon" (any case), the large one otherwise; empty when none.
  virtual PicturePtr ExtractIconPicture(std::u16string_view path,
                                        std::u16string_view mode) = 0;
  // The user's decimal separator, for colour numbers such as "2.5".
  virtual char16_t DecimalSeparator() { return u'.'; }
  // The system's high-contrast mode is on: the control then draws in the
  // system's colours, whatever its colour properties say.
  virtual bool HighContrast() { return false; }
};

}  // namespace pelzorvick
