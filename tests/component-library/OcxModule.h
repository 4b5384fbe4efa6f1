#pragma once
// The built PelZorvick.ocx, loaded once for the whole test program.

#include <windows.h>

#include <string>

#include "component/com/ComPtr.h"

namespace pelzorvick::test {

// Windows path of the .ocx under test.
const std::wstring& OcxPath();

// The loaded .ocx (never unloaded during the run); fails the test if absent.
HMODULE Ocx();

}  // namespace pelzorvick::test
