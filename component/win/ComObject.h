#pragma once
// The base of every COM object of ours: ComBase's list of interfaces, each
// implemented through its guarded entry points (Boundary.h, written from
// the interface headers). The object writes bodies that take `Guarded`
// first and may throw; it cannot write an entry point itself, since those
// are final.
//
//   class Thing : public ComObject<Thing, Implements<IOleObject>> {
//     HRESULT Close(Guarded, DWORD option);  // IOleObject::Close's body
//   };

#include "Boundary.h"
#include "component/ComBase.h"

namespace pelzorvick {

template <class D, class Entry>
struct Guarding : Entry {
  using Base = Boundary<D, typename Entry::Interface>;
};

template <class D, class... Entries>
using ComObject = ComBase<Guarding<D, Entries>...>;

}  // namespace pelzorvick
