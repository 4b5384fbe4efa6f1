#pragma once
// The surface as a screen reader sees it: an IAccessible over the window
// system's standard object for the surface's window, answering name, role,
// state, description and default action from the control. It holds no
// reference to the control: the surface disconnects it as its window goes,
// and every call after that fails with RPC_E_DISCONNECTED.

#include <windows.h>
#include <oleacc.h>

#include <string>

#include "component/ComBase.h"
#include "component/win/ComPtr.h"

namespace pelzorvick {

struct AccessibleFacts {
  std::u16string name;
  std::u16string description;
  std::u16string default_action;
  bool link = false;  // a link, else a push button
  bool pressed = false;
  bool focused = false;
};

// What the object asks, each time afresh. Either may throw ComError.
class AccessibleSource {
 public:
  virtual ~AccessibleSource() = default;
  virtual AccessibleFacts DescribeSurface() = 0;
  virtual void DoSurfaceDefaultAction() = 0;
  // What a drawing pass may change, cheap to ask after each: whether it is
  // pressed, and the caption it shows.
  virtual bool SurfacePressed() = 0;
  virtual std::u16string SurfaceCaption() = 0;
};

class AccessibleSurface : public ComBase<Implements<IAccessible, IDispatch>> {
 public:
  // Throws ComError when the standard object cannot be made.
  AccessibleSurface(HWND window, AccessibleSource& source);

  void Disconnect();
  // The answer to WM_GETOBJECT: a reference the client takes.
  LRESULT Lresult(WPARAM wparam);

  // IDispatch: not offered; clients use the vtable.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                   EXCEPINFO*, UINT*) override;

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

 private:
  // The body of every call on the object itself: disconnected, another
  // child, or the guarded work.
  template <class F>
  HRESULT OnSelf(const VARIANT& child, F&& f);
  template <class F>
  HRESULT Text(const VARIANT& child, BSTR* out, F&& pick);

  HWND window_;
  AccessibleSource* source_;  // null once disconnected
  ComPtr<IAccessible> standard_;
};

}  // namespace pelzorvick
