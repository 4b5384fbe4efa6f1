// Leaves a file behind to show it ran, and ends at once: the file named by
// its first argument, or "<its own path>.ran".
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
  std::wstring target;
  // Planted under another program's name it is started with that program's
  // arguments; then only its own path tells which copy ran.
  const bool by_own_path = GetEnvironmentVariableW(L"PZ_MARKER_OWN_PATH", nullptr, 0) != 0;
  if (argc > 1 && !by_own_path) {
    target = argv[1];
  } else {
    wchar_t self[MAX_PATH * 2] = {};
    if (GetModuleFileNameW(nullptr, self, MAX_PATH * 2) == 0) return 2;
    target = std::wstring(self) + L".ran";
  }
  if (target == L"-") return 0;  // nothing to leave: a start alone
  HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, "ran", 3, &written, nullptr);
  CloseHandle(file);
  return 0;
}
