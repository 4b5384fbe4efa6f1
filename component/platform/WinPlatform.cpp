#include "component/platform/WinPlatform.h"

#include "component/com/Handles.h"

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "command/CommandUtil.h"
#include "common/ComError.h"
#include "component/com/WideString.h"
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

namespace {

[[noreturn]] void ThrowLastError() {
  const DWORD error = GetLastError();
  const HRESULT hr = error ? HRESULT_FROM_WIN32(error) : E_FAIL;
  throw ComError(static_cast<int32_t>(hr), SystemErrorText(error ? error : ERROR_GEN_FAILURE));
}

std::wstring WithoutNul(std::u16string_view text) {
  if (text.find(u'\0') != std::u16string_view::npos) {
    throw ComError(static_cast<int32_t>(HRESULT_FROM_WIN32(ERROR_INVALID_NAME)),
                   SystemErrorText(ERROR_INVALID_NAME));
  }
  return ToWide(text);
}

// The absolute form of a path, against the current directory of this moment.
std::wstring FullPath(std::u16string_view path) {
  const std::wstring relative = WithoutNul(path);
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFullPathNameW(relative.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) ThrowLastError();
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.assign(length, L'\0');
  }
}

// The command interpreter of this system, by its full path.
std::wstring SystemCommandInterpreter() {
  std::wstring folder(MAX_PATH, L'\0');
  for (;;) {
    const UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (length == 0) ThrowLastError();
    if (length < folder.size()) {
      folder.resize(length);
      break;
    }
    folder.assign(length, L'\0');
  }
  if (!folder.empty() && folder.back() != L'\\') folder.push_back(L'\\');
  return folder + L"cmd.exe";
}

// CreateProcessW with the application named, so no search takes place.
void Launch(const std::wstring& application, std::u16string_view command_line, int show_style) {
  // CreateProcessW may write into the command line it is given.
  std::vector<wchar_t> line(command_line.begin(), command_line.end());
  line.push_back(L'\0');

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show_style);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ThrowLastError();
  }
  // Started processes belong to nobody.
  const UniqueKernelHandle thread(process.hThread), started(process.hProcess);
}

}  // namespace

void WinPlatform::StartProgram(std::u16string_view program_file, std::u16string_view command_line,
                               std::u16string_view arguments, int show_style) {
  const std::wstring program = FullPath(program_file);
  WithoutNul(command_line);
  WithoutNul(arguments);
  if (IsProgramImage(FromWide(program.data(), program.size()))) {
    Launch(program, command_line, show_style);
    return;
  }
  // A batch file or script: the system's interpreter runs it by its full,
  // quoted path with the line's own arguments, which it must hand on, not
  // act on. /s makes cmd drop just the outer pair of quotes.
  std::u16string line = u"cmd /s /c \"\"";
  line.append(program.begin(), program.end());
  line += u'"';
  line += EscapeForInterpreter(arguments);
  line += u'"';
  Launch(SystemCommandInterpreter(), line, show_style);
}

void WinPlatform::StartCommandInterpreter(std::u16string_view command_line, int show_style) {
  WithoutNul(command_line);
  Launch(SystemCommandInterpreter(), command_line, show_style);
}

void WinPlatform::OpenWithShell(std::u16string_view file, std::u16string_view parameters,
                                int show_style) {
  const std::wstring target = WithoutNul(file);
  const std::wstring rest = WithoutNul(parameters);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // No box of the shell's own: the failure is ours to report. NOASYNC: the
  // shell may hand the work to a thread that must finish before we return.
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.hwnd = owner_window_ ? owner_window_() : nullptr;
  info.lpVerb = L"open";
  info.lpFile = target.c_str();
  info.lpParameters = rest.empty() ? nullptr : rest.c_str();
  info.nShow = show_style;
  if (!ShellExecuteExW(&info)) ThrowLastError();
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

bool WinPlatform::HighContrast() {
  HIGHCONTRASTW hc{};
  hc.cbSize = sizeof hc;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) &&
         (hc.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace pelzorvick
