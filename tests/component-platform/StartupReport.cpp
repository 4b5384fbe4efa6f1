// Started by the process-start tests: writes how it was started (the show
// flag, the show style and its whole command line, as UTF-8) into the file
// that PZ_PLATFORM_CHILD_REPORT names, and ends.
#include <windows.h>

#include <string>

int wmain() {
  wchar_t report[MAX_PATH * 2];
  if (!GetEnvironmentVariableW(L"PZ_PLATFORM_CHILD_REPORT", report, MAX_PATH * 2)) return 2;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  const std::wstring text = std::to_wstring(startup.dwFlags & STARTF_USESHOWWINDOW) + L" " +
                            std::to_wstring(startup.wShowWindow) + L"\n" + GetCommandLineW();
  std::string utf8(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), static_cast<int>(utf8.size()),
                      nullptr, nullptr);
  utf8.pop_back();
  HANDLE file = CreateFileW(report, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
  return 0;
}
