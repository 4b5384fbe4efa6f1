#pragma once
// The built .ocx, loaded through LoadLibrary and reached through its
// exports only, as a container reaches it; and a container window whose
// posted messages run test code inside whatever loop is pumping.

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <string>

namespace pelzorvick::test {

class OcxLibrary {
 public:
  OcxLibrary();
  ~OcxLibrary();
  OcxLibrary(const OcxLibrary&) = delete;
  OcxLibrary& operator=(const OcxLibrary&) = delete;

  HMODULE module() const { return module_; }
  bool Loaded() const { return module_ && get_class_object_ && can_unload_; }
  // A new control, asked for T; null on failure.
  template <class T>
  T* Create() {
    T* out = nullptr;
    CreateRaw(__uuidof(T), reinterpret_cast<void**>(&out));
    return out;
  }
  HRESULT CreateRaw(REFIID riid, void** out);
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

// A top-level window; Post(f) runs f when the window receives the message,
// from whichever message loop gets it first.
class ContainerWindow {
 public:
  ContainerWindow();
  ~ContainerWindow();
  HWND hwnd() const { return hwnd_; }
  // Destroys the window now (as a container may, before deactivating us).
  void Destroy();
  void Post(std::function<void()> f);

 private:
  static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
  HWND hwnd_ = nullptr;
};

// Windows of this thread whose class is `name`, top-level or child of any.
int CountThreadWindows(const wchar_t* name);
// Closes this thread's message box, if one shows; true if one did.
bool CloseMessageBox();

}  // namespace pelzorvick::test
