#include "tests/hardening/Support.h"

namespace pelzorvick::test {

std::wstring MarkerPath() { return FromHostPath(PZ_MARKER_PATH); }

bool WaitForFile(const std::wstring& path, DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (GetTickCount() - start > ms) return false;
    Sleep(20);
  }
  return true;
}

}  // namespace pelzorvick::test
