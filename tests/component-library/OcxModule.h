#pragma once
// The built PelZorvick.ocx, loaded once for the whole test program, and a
// small owner for COM references.

#include <windows.h>

#include <string>

namespace pelzorvick::test {

// Windows path of the .ocx under test.
const std::wstring& OcxPath();

// The loaded .ocx (never unloaded during the run); fails the test if absent.
HMODULE Ocx();

template <class T>
class Ref {
 public:
  Ref() = default;
  ~Ref() { Reset(); }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  Ref(Ref&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  T** Out() {
    Reset();
    return &p_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void Reset() {
    if (p_ != nullptr) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

}  // namespace pelzorvick::test
