#pragma once
// COM boilerplate written once. A class lists the interfaces it implements;
// QueryInterface, AddRef and Release come from that one list, and every live
// object is counted by the Module so that DllCanUnloadNow can answer.
//
//   class Thing : public ComBase<Implements<IOleInPlaceObject, IOleWindow>,
//                                Implements<IPersistStreamInit, IPersist>> ...
//
// Implements<I, Bases...> derives from I and also answers for each of the
// named base interfaces, reached through I. IUnknown always answers, with the
// first listed interface as the object's identity.

#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <utility>

#include "component/com/Module.h"
#include "component/com/ComPtr.h"
#include "component/com/ErrorInfo.h"

namespace pelzorvick {

template <class I, class... Bases>
struct Implements {
  using Interface = I;
  using Base = I;  // what the object derives from to implement I

  template <class Self>
  static void* Find(Self* self, REFIID riid) {
    I* itf = static_cast<I*>(self);
    if (riid == __uuidof(I)) return itf;
    void* found = nullptr;
    ((found == nullptr && riid == __uuidof(Bases)
          ? (found = static_cast<Bases*>(itf), true)
          : false),
     ...);
    return found;
  }
};

template <class... Entries>
class ComBase : public Entries::Base... {
 public:
  ComBase() { Module::ObjectCreated(); }
  virtual ~ComBase() { Module::ObjectDestroyed(); }
  ComBase(const ComBase&) = delete;
  ComBase& operator=(const ComBase&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    void* found = nullptr;
    if (riid == IID_IUnknown) {
      found = Identity();
    } else {
      ((found == nullptr ? (found = Entries::Find(this, riid), true) : false), ...);
    }
    if (found == nullptr) return E_NOINTERFACE;
    AddRef();
    *ppv = found;
    return S_OK;
  }

  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }

  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  // The controlling IUnknown: the same pointer for every interface asked.
  IUnknown* Identity() { return static_cast<FirstInterface*>(this); }

 private:
  template <class E, class...>
  struct First {
    using type = typename E::Interface;
  };
  using FirstInterface = typename First<Entries...>::type;

  std::atomic<ULONG> refs_{0};
};

// Creates T with the arguments and hands out the interface asked; the new
// object lives exactly as long as that reference.
template <class T, class... Args>
HRESULT CreateComObject(REFIID riid, void** ppv, Args&&... args) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  return GuardedCall(riid, [&] {
    // Held while it is asked for the interface; a refusal destroys it.
    const Microsoft::WRL::ComPtr<T> object(new T(std::forward<Args>(args)...));
    return object->QueryInterface(riid, ppv);
  });
}

}  // namespace pelzorvick
