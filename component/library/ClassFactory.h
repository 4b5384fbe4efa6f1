#pragma once
// The class factories of the library's classes: the control and its
// property pages.

#include <windows.h>

namespace pelzorvick {

// A new factory of the class `clsid` answering for `riid` (IClassFactory
// or IUnknown); CLASS_E_CLASSNOTAVAILABLE for a class not of this library.
HRESULT CreateClassFactory(REFCLSID clsid, REFIID riid, void** ppv);

}  // namespace pelzorvick
