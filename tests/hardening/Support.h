#pragma once
// What the hardening tests share beyond the component tests' fakes: paths
// from the build, variants, waiting for a file.

#include <windows.h>
#include <ole2.h>

#include <string>

#include "tests/support/HostPath.h"
#include "tests/support/MemoryCanvas.h"

namespace pelzorvick::test {

// The marker program (see Marker.cpp).
std::wstring MarkerPath();

VARIANT BstrVariant(const wchar_t* text);

// The property's value as text or number through IDispatch, by name.
std::wstring GetText(IDispatch* object, const wchar_t* name);
HRESULT PutText(IDispatch* object, const wchar_t* name, const std::wstring& text);

// Waits up to `ms` for the file to appear.
bool WaitForFile(const std::wstring& path, DWORD ms);

}  // namespace pelzorvick::test
