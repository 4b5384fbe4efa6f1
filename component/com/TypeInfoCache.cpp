#include "component/com/TypeInfoCache.h"

#include <mutex>
#include <string>

#include "component/com/Module.h"
#include "component/com/ComPtr.h"

namespace pelzorvick {
namespace {

std::mutex g_mutex;

// Kept for the life of the process, never destroyed: releasing it while the
// module is unloaded would call into oleaut32 under the loader lock.
ComPtr<ITypeLib>& CachedLibrary() {
  static auto* library = new ComPtr<ITypeLib>;
  return *library;
}

}  // namespace

HRESULT TypeInfoCache::Library(ITypeLib** library) {
  if (library == nullptr) return E_POINTER;
  *library = nullptr;
  std::lock_guard<std::mutex> lock(g_mutex);
  ComPtr<ITypeLib>& cached = CachedLibrary();
  if (!cached) {
    const std::wstring path = Module::Path();
    if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
    const HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &cached);
    if (FAILED(hr)) return hr;
  }
  return cached.CopyTo(library);
}

HRESULT TypeInfoCache::Get(REFGUID guid, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  ComPtr<ITypeLib> library;
  const HRESULT hr = Library(&library);
  if (FAILED(hr)) return hr;
  return library->GetTypeInfoOfGuid(guid, info);
}

}  // namespace pelzorvick
