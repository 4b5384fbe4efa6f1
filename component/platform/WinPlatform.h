#pragma once
// The platform seam on Windows: processes, the message box, icons and the
// user's number format.

#include <windows.h>

#include <functional>

#include "component/seams/Platform.h"

namespace pelzorvick {

class WinPlatform : public Platform {
 public:
  // owner_window gives the window that owns message boxes at the time one is
  // shown (the container's); null or an empty function means none.
  explicit WinPlatform(std::function<HWND()> owner_window = {});

  // CreateProcessW with the application always named, so nothing is
  // searched for; show_style becomes the window's initial show state.
  // A found program image runs as itself, a found batch file or script
  // through the system's cmd.exe by its full path. Throws ComError with
  // HRESULT_FROM_WIN32(GetLastError()) and the system's message.
  void StartProgram(std::u16string_view program_file, std::u16string_view command_line,
                    std::u16string_view arguments, int show_style) override;
  // The system folder's cmd.exe (GetSystemDirectoryW).
  void StartCommandInterpreter(std::u16string_view command_line, int show_style) override;
  // ShellExecuteExW's "open", without the shell's own error boxes: a
  // failure is thrown like a failed start.
  void OpenWithShell(std::u16string_view file, std::u16string_view parameters,
                     int show_style) override;
  void ShowMessageBox(std::u16string_view text, int style, std::u16string_view title) override;
  PicturePtr ExtractIconPicture(std::u16string_view path, std::u16string_view mode) override;
  char16_t DecimalSeparator() override;
  // SPI_GETHIGHCONTRAST, asked each time: the user switches it at will.
  bool HighContrast() override;

 private:
  std::function<HWND()> owner_window_;
};

// The system's text for a Win32 error code, without the trailing line break;
// a generic text naming the code when the system has none.
std::u16string SystemErrorText(DWORD error);

}  // namespace pelzorvick
