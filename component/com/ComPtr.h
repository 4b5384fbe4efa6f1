#pragma once
// The one owner of COM interface pointers: the SDK's own ComPtr, which
// mingw-w64 ships. Every reference the code holds is a ComPtr, so AddRef and
// Release are written only there and in ComBase.

#include <wrl/client.h>

namespace pelzorvick {
using Microsoft::WRL::ComPtr;
}  // namespace pelzorvick
