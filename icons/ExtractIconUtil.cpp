#include "icons/ExtractIconUtil.h"

#include <ole2.h>
#include <olectl.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "component/win/Handles.h"
#include "component/win/OlePicture.h"
#include "component/win/WideString.h"
#include "text/StringUtil.h"

namespace pelzorvick {

namespace {

// The module this code is linked into (the control library, or a test
// executable), found by an address inside it.
HINSTANCE OwnModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&OwnModule), &module);
  return module;
}

HICON AssociatedIcon(const std::wstring& path) {
  // The call may write a longer path back into the buffer; it assumes room
  // for MAX_PATH characters.
  std::vector<wchar_t> buffer(std::max<std::size_t>(path.size() + 1, MAX_PATH), L'\0');
  std::copy(path.begin(), path.end(), buffer.begin());
  WORD index = 0;
  return ExtractAssociatedIconW(OwnModule(), buffer.data(), &index);
}

}  // namespace

bool IsSmallIconMode(std::u16string_view mode) {
  return EqualsIgnoringAsciiCase(mode, u"SmallIcon");
}

UINT IconFlagsForMode(std::u16string_view mode) {
  UINT flags = SHGFI_ICON | SHGFI_DISPLAYNAME | SHGFI_TYPENAME;
  if (IsSmallIconMode(mode)) flags |= SHGFI_SMALLICON;
  return flags;
}

PicturePtr ExtractIconPicture(std::u16string_view path, std::u16string_view mode) {
  const std::wstring wide_path = ToWide(path);
  HICON icon = nullptr;
  SHFILEINFOW info{};
  if (SHGetFileInfoW(wide_path.c_str(), 0, &info, sizeof info, IconFlagsForMode(mode)) != 0) {
    icon = info.hIcon;
  } else {
    icon = AssociatedIcon(wide_path);
  }
  return IconToPicture(icon);
}

PicturePtr IconToPicture(HICON icon) {
  if (!icon) return nullptr;
  PICTDESC desc{};
  desc.cbSizeofstruct = sizeof desc;
  desc.picType = PICTYPE_ICON;
  desc.icon.hicon = icon;
  UniqueIcon owned(icon);
  ComPtr<IPicture> picture;
  const HRESULT hr = OleCreatePictureIndirect(&desc, IID_IPicture, TRUE,
                                              reinterpret_cast<void**>(picture.GetAddressOf()));
  if (FAILED(hr) || !picture) return nullptr;
  owned.release();  // the picture owns the icon now; its last release destroys it
  return MakeOlePicture(picture.Get());
}

}  // namespace pelzorvick
