#include "icons/ExtractIconUtil.h"

#include <ole2.h>
#include <olectl.h>
#include <shellapi.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "component/com/Handles.h"
#include "icons/OlePicture.h"
#include "component/com/WideString.h"
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

// A program's icon is a resource of the file itself, so the shell answers the
// same for it while the file stays as it is: its icons are kept per process,
// by path, size, write time and length, and looked up afresh once the file
// changes. Other files take theirs from associations, which may change
// unseen, and are asked every time. Each picture gets a copy, as it destroys
// its icon.
class ProgramIcons {
 public:
  static bool Keeps(std::u16string_view path, const std::wstring& wide_path,
                    WIN32_FILE_ATTRIBUTE_DATA* file) {
    constexpr std::u16string_view kProgram = u".exe";
    return path.size() > kProgram.size() &&
           EqualsIgnoringAsciiCase(path.substr(path.size() - kProgram.size()), kProgram) &&
           GetFileAttributesExW(wide_path.c_str(), GetFileExInfoStandard, file) &&
           !(file->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  HICON Copy(const std::wstring& path, UINT flags, const WIN32_FILE_ATTRIBUTE_DATA& file) {
    const std::lock_guard<std::mutex> hold(lock_);
    for (const Entry& e : entries_) {
      if (e.flags == flags && e.path == path && SameFile(e.file, file)) {
        return CopyIcon(e.icon.get());
      }
    }
    return nullptr;
  }

  void Keep(const std::wstring& path, UINT flags, const WIN32_FILE_ATTRIBUTE_DATA& file, HICON icon) {
    UniqueIcon kept(CopyIcon(icon));
    if (!kept) return;
    // Held by its guard: a failed allocation must not leave it taken.
    const std::lock_guard<std::mutex> hold(lock_);
    std::erase_if(entries_, [&](const Entry& e) { return e.flags == flags && e.path == path; });
    constexpr size_t kKept = 32;
    if (entries_.size() == kKept) entries_.erase(entries_.begin());
    entries_.push_back({path, flags, file, std::move(kept)});
  }

 private:
  struct Entry {
    std::wstring path;
    UINT flags;
    WIN32_FILE_ATTRIBUTE_DATA file;
    UniqueIcon icon;
  };
  static bool SameFile(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b) {
    return CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0 &&
           a.nFileSizeHigh == b.nFileSizeHigh && a.nFileSizeLow == b.nFileSizeLow;
  }

  std::mutex lock_;
  std::vector<Entry> entries_;
};

ProgramIcons& KeptIcons() {
  static ProgramIcons icons;
  return icons;
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
  const UINT flags = IconFlagsForMode(mode);
  WIN32_FILE_ATTRIBUTE_DATA file{};
  const bool kept = ProgramIcons::Keeps(path, wide_path, &file);
  if (kept) {
    if (HICON copy = KeptIcons().Copy(wide_path, flags, file)) return IconToPicture(copy);
  }
  HICON icon = nullptr;
  SHFILEINFOW info{};
  if (SHGetFileInfoW(wide_path.c_str(), 0, &info, sizeof info, flags) != 0) {
    icon = info.hIcon;
    if (kept && icon) KeptIcons().Keep(wide_path, flags, file, icon);
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
