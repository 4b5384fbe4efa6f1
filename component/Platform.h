#pragma once
// Process start, the message box and icon pictures: the rest of what the
// control needs from the operating system.

#include <string_view>

#include "component/Picture.h"

namespace pelzorvick {

inline constexpr int kShowNormal = 1;  // normal window that gets the focus
inline constexpr int kShowHidden = 0;

class Platform {
 public:
  virtual ~Platform() = default;
  // Starts the command line without waiting; throws ComError on failure.
  virtual void StartProcess(std::u16string_view command_line, int show_style) = 0;
  // Modal; returns when the user closes the box.
  virtual void ShowMessageBox(std::u16string_view text, int style,
                              std::u16string_view title) = 0;
  // The shell's icon of the file as a picture: the small one for the mode
  // "SmallIcon" (any case), the large one otherwise; empty when none.
  virtual PicturePtr ExtractIconPicture(std::u16string_view path,
                                        std::u16string_view mode) = 0;
  // The user's decimal separator, for colour numbers such as "2.5".
  virtual char16_t DecimalSeparator() { return u'.'; }
};

}  // namespace pelzorvick
