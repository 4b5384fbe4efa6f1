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
//
// ComPart is the same for an object that lives inside another and shares its
// count (a connection point inside its control): its own interfaces answer,
// AddRef and Release go to the owner.

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

namespace detail {

template <class Self, class... Entries>
void* FindInterface(Self* self, REFIID riid) {
  void* found = nullptr;
  ((found == nullptr ? (found = Entries::Find(self, riid), true) : false), ...);
  return found;
}

template <class E, class...>
struct First {
  using type = typename E::Interface;
};

}  // namespace detail

template <class... Entries>
class ComBase : public Entries::Base... {
 public:
  ComBase() { Module::ObjectCreated(); }
  virtual ~ComBase() { Module::ObjectDestroyed(); }
  ComBase(const ComBase&) = delete;
  ComBase& operator=(const ComBase&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    void* found =
        riid == IID_IUnknown ? Identity() : detail::FindInterface<ComBase, Entries...>(this, riid);
    *ppv = found;
    if (found == nullptr) return E_NOINTERFACE;
    AddRef();
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
  using FirstInterface = typename detail::First<Entries...>::type;

  std::atomic<ULONG> refs_{0};
};

template <class... Entries>
class ComPart : public Entries::Base... {
 public:
  // `owner` is the identity of the object this one lives in; not referenced.
  explicit ComPart(IUnknown& owner) : owner_(owner) {}
  ComPart(const ComPart&) = delete;
  ComPart& operator=(const ComPart&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    // A part is an object of its own to COM: its IUnknown is its first
    // interface, not its owner's.
    void* found = riid == IID_IUnknown ? static_cast<FirstInterface*>(this)
                                       : detail::FindInterface<ComPart, Entries...>(this, riid);
    *ppv = found;
    if (found == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }

  ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

 protected:
  ~ComPart() = default;  // destroyed with its owner, never through COM

 private:
  using FirstInterface = typename detail::First<Entries...>::type;

  IUnknown& owner_;
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
