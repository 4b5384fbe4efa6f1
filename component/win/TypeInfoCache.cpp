#include "component/win/TypeInfoCache.h"

#include <mutex>
#include <string>

#include "component/Module.h"

namespace pelzorvick {
namespace {

std::mutex g_mutex;
ITypeLib* g_library = nullptr;  // kept for the life of the module

}  // namespace

HRESULT TypeInfoCache::Library(ITypeLib** library) {
  if (library == nullptr) return E_POINTER;
  *library = nullptr;
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_library == nullptr) {
    const std::wstring path = Module::Path();
    if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
    ITypeLib* loaded = nullptr;
    const HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &loaded);
    if (FAILED(hr)) return hr;
    g_library = loaded;
  }
  g_library->AddRef();
  *library = g_library;
  return S_OK;
}

HRESULT TypeInfoCache::Get(REFGUID guid, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  ITypeLib* library = nullptr;
  HRESULT hr = Library(&library);
  if (FAILED(hr)) return hr;
  hr = library->GetTypeInfoOfGuid(guid, info);
  library->Release();
  return hr;
}

}  // namespace pelzorvick
