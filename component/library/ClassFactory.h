#pragma once
// The class factory of ZorvickCtrl, the library's one creatable class.

#include <windows.h>

namespace pelzorvick {

// A new factory answering for `riid` (IClassFactory or IUnknown).
HRESULT CreateClassFactory(REFIID riid, void** ppv);

}  // namespace pelzorvick
