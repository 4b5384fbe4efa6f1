#pragma once
// What the hardening tests share beyond the component tests' fakes: the
// marker program, waiting for a file.

#include <windows.h>
#include <ole2.h>

#include <string>

#include "tests/support/Automation.h"
#include "tests/support/HostPath.h"
#include "tests/support/MemoryCanvas.h"

namespace pelzorvick::test {

// The marker program (see Marker.cpp).
std::wstring MarkerPath();

// Waits up to `ms` for the file to appear.
bool WaitForFile(const std::wstring& path, DWORD ms);

}  // namespace pelzorvick::test
