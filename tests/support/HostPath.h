#pragma once
// Paths the build hands to Windows tests, as Wine reaches them.

#include <string>

namespace pelzorvick::test {

// A host path given by the build, through Wine's Z: drive.
std::wstring FromHostPath(const char* host);

}  // namespace pelzorvick::test
