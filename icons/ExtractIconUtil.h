#pragma once
// The shell's icon of a file as an OLE picture that owns the icon.

#include <windows.h>

#include <string_view>

#include "component/seams/Picture.h"

namespace pelzorvick {

// Exactly "SmallIcon" in any letter case; any other text means the large icon.
bool IsSmallIconMode(std::u16string_view mode);
// The SHGetFileInfoW flags for a mode: icon, display name and type name, plus
// the small-icon flag for the small mode (0x701 / 0x700).
UINT IconFlagsForMode(std::u16string_view mode);

// The shell's icon for the path, or failing that the icon
// ExtractAssociatedIconW finds (which has one size only); empty when neither
// yields one.
PicturePtr ExtractIconPicture(std::u16string_view path, std::u16string_view mode);

// A picture owning the icon: its last release destroys the icon. Empty for a
// null handle; when no picture can be made the icon is destroyed here.
PicturePtr IconToPicture(HICON icon);

}  // namespace pelzorvick
