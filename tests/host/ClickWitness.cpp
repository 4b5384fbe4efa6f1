// A program for the control to start: it leaves its command line in a file
// beside itself (its own name with ".ran"), so a test can see that it ran.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring out = path;
  const size_t dot = out.find_last_of(L'.');
  out = (dot == std::wstring::npos ? out : out.substr(0, dot)) + L".ran";

  const wchar_t* line = GetCommandLineW();
  char utf8[4096] = {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8, sizeof utf8, nullptr, nullptr);
  // Written under a temporary name and renamed, so the test never reads half a file.
  const std::wstring tmp = out + L".tmp";
  HANDLE f = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(f, utf8, n > 0 ? static_cast<DWORD>(n - 1) : 0, &written, nullptr);
  CloseHandle(f);
  return MoveFileExW(tmp.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
