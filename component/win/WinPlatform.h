#pragma once
// The platform seam on Windows: processes, the message box, icons and the
// user's number format.

#include <windows.h>

#include <functional>

#include "component/Platform.h"

namespace pelzorvick {

class WinPlatform : public Platform {
 public:
  // owner_window gives the window that owns message boxes at the time one is
  // shown (the container's); null or an empty function means none.
  explicit WinPlatform(std::function<HWND()> owner_window = {});

  // CreateProcessW on a writable copy of the line, with no application name
  // so that the system's program search applies; show_style becomes the
  // window's initial show state. Throws ComError with
  // HRESULT_FROM_WIN32(GetLastError()) and the system's message.
  void StartProcess(std::u16string_view command_line, int show_style) override;
  void ShowMessageBox(std::u16string_view text, int style, std::u16string_view title) override;
  PicturePtr ExtractIconPicture(std::u16string_view path, std::u16string_view mode) override;
  char16_t DecimalSeparator() override;

 private:
  std::function<HWND()> owner_window_;
};

// The system's text for a Win32 error code, without the trailing line break;
// a generic text naming the code when the system has none.
std::u16string SystemErrorText(DWORD error);

}  // namespace pelzorvick
