#include "component/platform/WinPathNames.h"

#include <windows.h>

#include <vector>

#include "component/com/Handles.h"
#include "component/com/WideString.h"

namespace pelzorvick {

namespace {

// Calls `get(buffer, size)` with a buffer large enough for its answer.
template <class Get>
std::optional<std::wstring> Grown(Get&& get) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (int tries = 0; tries < 4; ++tries) {
    const DWORD length = get(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::nullopt;
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.assign(length, L'\0');
  }
  return std::nullopt;
}

std::optional<std::wstring> LongName(const std::wstring& path) {
  return Grown([&](wchar_t* out, DWORD size) { return GetLongPathNameW(path.c_str(), out, size); });
}

// Short names expand only where the file or folder exists: the longest part
// that does is expanded, the rest kept as written. The system's short names
// all hold a "~" (only an administrator can give a file another), so a path
// without one is asked nothing.
std::wstring WithLongNames(const std::wstring& full) {
  if (full.find(L'~') == std::wstring::npos) return full;
  std::size_t end = full.size();
  for (;;) {
    if (const auto expanded = LongName(full.substr(0, end))) return *expanded + full.substr(end);
    const std::size_t slash = full.rfind(L'\\', end - 1);
    if (slash == std::wstring::npos || slash < 3) return full;
    end = slash;
  }
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring Variable(const wchar_t* name) {
  return Grown([&](wchar_t* out, DWORD size) { return GetEnvironmentVariableW(name, out, size); })
      .value_or(L"");
}

std::vector<std::wstring> Split(const std::wstring& list) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(L';', start);
    if (end == std::wstring::npos) end = list.size();
    std::wstring part = list.substr(start, end - start);
    if (part.size() >= 2 && part.front() == L'"' && part.back() == L'"') part = part.substr(1, part.size() - 2);
    if (!part.empty()) parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

// The shell's App Paths registration of a program name, as the start
// command consults it: the machine's, then the user's.
std::optional<std::wstring> AppPath(const std::wstring& name) {
  const std::wstring key_name = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + name;
  for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    UniqueKey key;
    if (RegOpenKeyExW(hive, key_name.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) continue;
    std::vector<wchar_t> data(MAX_PATH * 4);
    DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t)) - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
      continue;
    }
    std::wstring path(data.data());
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
    if (type == REG_EXPAND_SZ) {
      path = Grown([&](wchar_t* out, DWORD n) { return ExpandEnvironmentStringsW(path.c_str(), out, n); })
                 .value_or(path);
      if (!path.empty() && path.back() == L'\0') path.pop_back();
    }
    if (!path.empty()) return path;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::u16string> WinPathNames::FullName(std::u16string_view path) {
  if (path.empty() || path.find(u'\0') != std::u16string_view::npos) return std::nullopt;
  const std::wstring relative = ToWide(path);
  const auto full = Grown(
      [&](wchar_t* out, DWORD size) { return GetFullPathNameW(relative.c_str(), size, out, nullptr); });
  if (!full) return std::nullopt;
  const std::wstring expanded = WithLongNames(*full);
  return FromWide(expanded.data(), expanded.size());
}

std::optional<std::u16string> WinPathNames::Search(std::u16string_view name) {
  if (name.empty() || name.find(u'\0') != std::u16string_view::npos) return std::nullopt;
  const std::wstring wide = ToWide(name);
  std::vector<std::wstring> folders = {L"."};
  for (std::wstring& folder : Split(Variable(L"PATH"))) folders.push_back(std::move(folder));
  const std::vector<std::wstring> extensions = Split(Variable(L"PATHEXT"));
  for (const std::wstring& folder : folders) {
    std::wstring base = folder;
    if (base.back() != L'\\' && base.back() != L'/') base += L'\\';
    base += wide;
    if (IsFile(base)) return FullName(AsU16(base.c_str()));
    for (const std::wstring& extension : extensions) {
      if (IsFile(base + extension)) return FullName(AsU16((base + extension).c_str()));
    }
  }
  for (const std::wstring& candidate : {wide, wide + L".exe"}) {
    if (const auto registered = AppPath(candidate)) return FullName(AsU16(registered->c_str()));
  }
  return std::nullopt;
}

}  // namespace pelzorvick
