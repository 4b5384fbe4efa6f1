#include "tests/hardening/ResourceCounts.h"

#include <windows.h>

#include <cstdio>

namespace pelzorvick::test {

namespace {

long ProbeGdi() {
  long n = 0;
  for (UINT_PTR i = 1; i < 0x10000; ++i) n += GetObjectType(reinterpret_cast<HGDIOBJ>(i)) != 0;
  return n;
}

long ProbeUser() {
  // User handles are even values from 0x20; an icon or cursor draws, a
  // window and a menu answer their own tests.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 2, 2);
  HGDIOBJ old = SelectObject(dc, bitmap);
  long n = 0;
  for (UINT_PTR i = 0x20; i < 0x10000; i += 2) {
    n += IsWindow(reinterpret_cast<HWND>(i)) || IsMenu(reinterpret_cast<HMENU>(i)) ||
         DrawIconEx(dc, 0, 0, reinterpret_cast<HICON>(i), 1, 1, 0, nullptr, DI_NORMAL);
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return n;
}

long ProbeKernel() {
  long n = 0;
  DWORD flags = 0;
  for (UINT_PTR i = 4; i < 0x10000; i += 4) n += GetHandleInformation(reinterpret_cast<HANDLE>(i), &flags) != 0;
  return n;
}

}  // namespace

ResourceCounts CountResources() {
  ResourceCounts c;
  HANDLE self = GetCurrentProcess();
  c.gdi = static_cast<long>(GetGuiResources(self, GR_GDIOBJECTS));
  c.user = static_cast<long>(GetGuiResources(self, GR_USEROBJECTS));
  DWORD handles = 0;
  if (GetProcessHandleCount(self, &handles)) c.kernel = static_cast<long>(handles);
  if (c.gdi == 0 && c.user == 0) {
    c.probed = true;
    c.gdi = ProbeGdi();
    c.user = ProbeUser();
  }
  if (c.kernel == 0) c.kernel = ProbeKernel();
  return c;
}

std::string Describe(const ResourceCounts& c) {
  char text[128];
  snprintf(text, sizeof text, "GDI %ld, USER %ld, kernel handles %ld%s", c.gdi, c.user, c.kernel,
           c.probed ? " (probed)" : "");
  return text;
}

}  // namespace pelzorvick::test
