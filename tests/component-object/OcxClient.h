#pragma once
// The built .ocx, loaded through LoadLibrary and reached through its
// exports only, as a container reaches it; a control of it placed in a
// container window, and what must be left once it is gone.

#include <windows.h>
#include <ole2.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/component-object/Fakes.h"
#include "tests/support/NonCopyable.h"

namespace pelzorvick::test {

class OcxLibrary : NonCopyable {
 public:
  OcxLibrary();
  ~OcxLibrary();

  HMODULE module() const { return module_; }
  bool Loaded() const { return module_ && get_class_object_ && can_unload_; }
  // A new object of the library's class (the control unless said), asked
  // for T; null on failure.
  template <class T>
  ComPtr<T> Create(REFCLSID clsid = CLSID_ZorvickCtrl) {
    ComPtr<T> out;
    CreateRaw(clsid, __uuidof(T), reinterpret_cast<void**>(out.GetAddressOf()));
    return out;
  }
  HRESULT CreateRaw(REFCLSID clsid, REFIID riid, void** out);
  HRESULT ClassObject(REFCLSID clsid, IClassFactory** factory) const;
  HRESULT CanUnloadNow() const { return can_unload_(); }
  HRESULT Call(const char* export_name) const;  // an export without arguments
  HRESULT Install(BOOL install, const wchar_t* command_line) const;
  void Unload();

 private:
  using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();
  HMODULE module_ = nullptr;
  GetClassObjectFn get_class_object_ = nullptr;
  CanUnloadFn can_unload_ = nullptr;
};

// A test through the built library, which is loaded before the body runs.
class OcxTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ocx.Loaded()); }
  OcxLibrary ocx;
};

inline constexpr wchar_t kControlClass[] = L"PelZorvickControl";
inline constexpr wchar_t kRunnable[] = L"C:\\windows\\system32\\cmd.exe /c exit";
inline constexpr wchar_t kMissing[] = L"C:\\no\\such\\folder\\program.exe";

// A button of the library that runs `command`, loaded from a bag and active
// in place in `window`.
SitedControl PlaceButton(OcxLibrary& ocx, const ParentWindow& window, const wchar_t* command);

// Windows of this thread whose class is `name` (any class when null),
// top-level or child of any.
int CountThreadWindows(const wchar_t* name = nullptr);
// Closes this thread's message box, if one shows; true if one did.
bool CloseMessageBox();
// Once the last control is gone: the library may unload and no window of
// the control's is left.
void ExpectNothingLeft(OcxLibrary& ocx);

}  // namespace pelzorvick::test
