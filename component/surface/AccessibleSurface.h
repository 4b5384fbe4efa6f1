#pragma once
// The surface as a screen reader sees it: an IAccessible over the window
// system's standard object for the control's window, answering name, role,
// state, description, default action and the surface's place from the
// control. It holds no reference to the control: the surface disconnects it
// as its window goes, and every call after that fails with
// RPC_E_DISCONNECTED.

#include <windows.h>
#include <oleacc.h>

#include <functional>
#include <string>

#include "component/com/ComObject.h"
#include "component/com/ComPtr.h"

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

class AccessibleSurface : public ComObject<AccessibleSurface, Implements<IAccessible, IDispatch>>,
                          private NoTypeInfo {
 public:
  // `location`: the surface's rectangle on the screen. Throws ComError when
  // the standard object cannot be made.
  AccessibleSurface(HWND window, AccessibleSource& source, std::function<RECT()> location);

  void Disconnect();
  // The answer to WM_GETOBJECT: a reference the client takes.
  LRESULT Lresult(WPARAM wparam);

  // IDispatch: not offered; clients use the vtable.
  using NoTypeInfo::GetTypeInfoCount;
  using NoTypeInfo::GetTypeInfo;
  using NoTypeInfo::GetIDsOfNames;
  HRESULT Invoke(Guarded, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                 EXCEPINFO*, UINT*);

  HRESULT get_accParent(Guarded, IDispatch** parent);
  HRESULT get_accChildCount(Guarded, long* count);
  HRESULT get_accChild(Guarded, VARIANT child, IDispatch** out);
  HRESULT get_accName(Guarded, VARIANT child, BSTR* name);
  HRESULT get_accValue(Guarded, VARIANT child, BSTR* value);
  HRESULT get_accDescription(Guarded, VARIANT child, BSTR* description);
  HRESULT get_accRole(Guarded, VARIANT child, VARIANT* role);
  HRESULT get_accState(Guarded, VARIANT child, VARIANT* state);
  HRESULT get_accHelp(Guarded, VARIANT child, BSTR* help);
  HRESULT get_accHelpTopic(Guarded, BSTR* file, VARIANT child, long* topic);
  HRESULT get_accKeyboardShortcut(Guarded, VARIANT child, BSTR* shortcut);
  HRESULT get_accFocus(Guarded, VARIANT* focus);
  HRESULT get_accSelection(Guarded, VARIANT* selection);
  HRESULT get_accDefaultAction(Guarded, VARIANT child, BSTR* action);
  HRESULT accSelect(Guarded, long flags, VARIANT child);
  HRESULT accLocation(Guarded, long* left, long* top, long* width, long* height,
                      VARIANT child);
  HRESULT accNavigate(Guarded, long direction, VARIANT start, VARIANT* end);
  HRESULT accHitTest(Guarded, long x, long y, VARIANT* child);
  HRESULT accDoDefaultAction(Guarded, VARIANT child);
  HRESULT put_accName(Guarded, VARIANT child, BSTR name);
  HRESULT put_accValue(Guarded, VARIANT child, BSTR value);

 private:
  // The body of every call on the object itself: disconnected, another
  // child, or the work.
  template <class F>
  HRESULT OnSelf(const VARIANT& child, F&& f);
  template <class F>
  HRESULT Text(const VARIANT& child, BSTR* out, F&& pick);

  HWND window_;
  AccessibleSource* source_;  // null once disconnected
  std::function<RECT()> location_;
  ComPtr<IAccessible> standard_;
};

}  // namespace pelzorvick
