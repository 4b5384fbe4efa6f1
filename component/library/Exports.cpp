// The library's exports (see PelZorvick.def). No exception may leave them:
// each runs inside the one translator and answers with an HRESULT. Each that
// runs our code pins the module first (Module::Pin says why), so the library
// is unloaded only if it was never used; DllCanUnloadNow still answers for
// our objects and locks, and a container that frees us then only drops its
// reference.

#include <windows.h>
#include <objbase.h>

#include "PelZorvick_h.h"
#include "component/com/Module.h"
#include "component/library/ClassFactory.h"
#include "component/library/Registration.h"
#include "component/com/ErrorInfo.h"

using pelzorvick::RegistrationScope;

namespace {

template <class F>
HRESULT Guarded(F&& body) {
  pelzorvick::Module::Pin();
  return pelzorvick::GuardedCall(GUID_NULL, std::forward<F>(body));
}

}  // namespace

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  return Guarded([&] { return pelzorvick::CreateClassFactory(clsid, riid, ppv); });
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return pelzorvick::Module::CanUnload() ? S_OK : S_FALSE;
}

HRESULT STDAPICALLTYPE DllRegisterServer() {
  return Guarded([] { return pelzorvick::RegisterServer(RegistrationScope::kMachine); });
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return Guarded([] { return pelzorvick::UnregisterServer(RegistrationScope::kMachine); });
}

// regsvr32 /n /i:user registers for the current user only, which needs no
// administrator rights; without a command line it registers machine-wide.
HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR command_line) {
  return Guarded([&] {
    RegistrationScope scope = RegistrationScope::kMachine;
    if (command_line != nullptr && command_line[0] != L'\0') {
      if (CompareStringOrdinal(command_line, -1, L"user", -1, TRUE) != CSTR_EQUAL) {
        return E_INVALIDARG;
      }
      scope = RegistrationScope::kUser;
    }
    return install ? pelzorvick::RegisterServer(scope) : pelzorvick::UnregisterServer(scope);
  });
}

}  // extern "C"
