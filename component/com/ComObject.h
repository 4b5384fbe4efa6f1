#pragma once
// The base of every COM object of ours: ComBase's (or ComPart's) list of
// interfaces, each implemented through its guarded entry points (Boundary.h,
// written from the interface headers). The object writes bodies that take `Guarded`
// first and may throw; it cannot write an entry point itself, since those
// are final.
//
//   class Thing : public ComObject<Thing, Implements<IOleObject>> {
//     HRESULT Close(Guarded, DWORD option);  // IOleObject::Close's body
//   };

#include "Boundary.h"
#include "component/com/ComBase.h"

namespace pelzorvick {

template <class D, class Entry>
struct Guarding : Entry {
  using Base = Boundary<D, typename Entry::Interface>;
};

template <class D, class... Entries>
using ComObject = ComBase<Guarding<D, Entries>...>;

// The same for an object that shares its owner's count (ComPart).
template <class D, class... Entries>
using ComObjectPart = ComPart<Guarding<D, Entries>...>;

// IDispatch bodies for objects called by dispatch id alone (event sinks,
// ambient properties, the accessible object): no type information and no
// names. An object derives from it and names the bodies it takes with
// `using`, which also keeps them apart from the entry points.
struct NoTypeInfo {
  static HRESULT GetTypeInfoCount(Guarded, UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  static HRESULT GetTypeInfo(Guarded, UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
  }
  static HRESULT GetIDsOfNames(Guarded, REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
  }
};

}  // namespace pelzorvick
