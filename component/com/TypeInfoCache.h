#pragma once
// The type library embedded in this module, loaded once per process (without
// registering anything) and kept for the dispatch and class-info calls.

#include <windows.h>
#include <oaidl.h>

namespace pelzorvick {

class TypeInfoCache {
 public:
  // A new reference to the type info of `guid` (an interface, dispinterface
  // or the coclass), or the failure of loading the library or finding it.
  static HRESULT Get(REFGUID guid, ITypeInfo** info);
  // A new reference to the library itself.
  static HRESULT Library(ITypeLib** library);
};

}  // namespace pelzorvick
