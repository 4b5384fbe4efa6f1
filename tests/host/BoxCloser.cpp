// The user before a container that leaves message boxes to its user (a
// script host): closes each box titled PelZorvick that appears, printing
// "message: [PelZorvick] text", until COUNT were closed or SECONDS passed.
//   pz_box_closer COUNT SECONDS
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  const int count = _wtoi(argv[1]);
  const DWORD until = GetTickCount() + 1000u * static_cast<DWORD>(_wtoi(argv[2]));
  int closed = 0;
  while (closed < count && static_cast<int>(until - GetTickCount()) > 0) {
    HWND box = FindWindowW(L"#32770", L"PelZorvick");
    if (!box) {
      Sleep(50);
      continue;
    }
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    char utf8[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    std::printf("message: [PelZorvick] %s\n", utf8);
    std::fflush(stdout);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    while (IsWindow(box) && static_cast<int>(until - GetTickCount()) > 0) Sleep(20);
    ++closed;
  }
  return closed == count ? 0 : 1;
}
