#include "component/com/Module.h"

#include <atomic>

namespace pelzorvick {
namespace {

std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
std::atomic<bool> g_pinned{false};

}  // namespace

HMODULE Module::Handle() {
  // Found from an address inside this module, so no DllMain is needed and the
  // answer is right whether we are linked into a DLL or an executable.
  static const HMODULE handle = [] {
    HMODULE h = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&g_objects), &h)) {
      h = nullptr;
    }
    return h;
  }();
  return handle;
}

std::wstring Module::Path() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(Handle(), path.data(),
                                       static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

void Module::ObjectCreated() { ++g_objects; }
void Module::ObjectDestroyed() { --g_objects; }

void Module::Lock() { ++g_locks; }
void Module::Unlock() { --g_locks; }

bool Module::CanUnload() { return g_objects.load() == 0 && g_locks.load() == 0; }

void Module::Pin() {
  if (g_pinned.exchange(true)) return;
  HMODULE h = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(&g_objects), &h);
}

}  // namespace pelzorvick
