#include "component/surface/WindowClass.h"

#include "component/com/Module.h"

namespace pelzorvick {
namespace {

// The module's own class names (string literals): few, so a fixed table.
const wchar_t* g_registered[8] = {};

void Remember(const wchar_t* name) {
  for (const wchar_t*& slot : g_registered) {
    if (slot == name) return;
    if (slot == nullptr) {
      slot = name;
      return;
    }
  }
}

}  // namespace

void UnregisterWindowClasses() {
  for (const wchar_t*& slot : g_registered) {
    if (slot != nullptr) UnregisterClassW(slot, Module::Handle());
    slot = nullptr;
  }
}

bool EnsureWindowClass(const wchar_t* name, WNDPROC procedure) {
  const HINSTANCE instance = Module::Handle();
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, name, &existing)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  // No CS_DBLCLKS: a quick second press is a press like any other.
  wc.style = 0;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = name;
  if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  Remember(name);
  return true;
}

}  // namespace pelzorvick
