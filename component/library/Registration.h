#pragma once
// Self-registration of the control: its class keys and its type library,
// for the whole machine or for the current user only.

#include <windows.h>

namespace pelzorvick {

enum class RegistrationScope {
  kMachine,  // HKLM\Software\Classes and the machine's type library entries
  kUser,     // HKCU\Software\Classes and the user's type library entries
};

// Writes everything; on a failure removes what it wrote and returns the error.
HRESULT RegisterServer(RegistrationScope scope);

// Removes what RegisterServer writes; S_OK also when nothing was registered.
HRESULT UnregisterServer(RegistrationScope scope);

}  // namespace pelzorvick
