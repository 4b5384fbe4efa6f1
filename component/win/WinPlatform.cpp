#include "component/win/WinPlatform.h"

#include <cstdio>
#include <string>
#include <vector>

#include "common/ComError.h"
#include "component/win/WideString.h"
#include "icons/ExtractIconUtil.h"

namespace pelzorvick {

std::u16string SystemErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string text;
  if (length && buffer) text = FromWide(buffer, length);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) text.pop_back();
  if (text.empty()) {
    char generic[48];
    std::snprintf(generic, sizeof generic, "System error %lu", static_cast<unsigned long>(error));
    for (const char* p = generic; *p; ++p) text.push_back(static_cast<unsigned char>(*p));
  }
  return text;
}

WinPlatform::WinPlatform(std::function<HWND()> owner_window) : owner_window_(std::move(owner_window)) {}

void WinPlatform::StartProcess(std::u16string_view command_line, int show_style) {
  // CreateProcessW may write into the command line it is given.
  std::vector<wchar_t> line(command_line.begin(), command_line.end());
  line.push_back(L'\0');

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show_style);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    DWORD error = GetLastError();
    HRESULT hr = error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    throw ComError(static_cast<int32_t>(hr), SystemErrorText(error ? error : ERROR_GEN_FAILURE));
  }
  // Started processes belong to nobody.
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

void WinPlatform::ShowMessageBox(std::u16string_view text, int style, std::u16string_view title) {
  HWND owner = owner_window_ ? owner_window_() : nullptr;
  MessageBoxW(owner, ToWide(text).c_str(), ToWide(title).c_str(), static_cast<UINT>(style));
}

PicturePtr WinPlatform::ExtractIconPicture(std::u16string_view path, std::u16string_view mode) {
  return pelzorvick::ExtractIconPicture(path, mode);
}

char16_t WinPlatform::DecimalSeparator() {
  wchar_t separator[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) < 2 || separator[0] == L'\0') {
    return u'.';
  }
  return static_cast<char16_t>(separator[0]);
}

}  // namespace pelzorvick
