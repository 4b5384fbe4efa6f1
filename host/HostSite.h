#pragma once
// The host's side of one placed control: its client site, in-place site,
// control site and ambient properties.

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <string>

#include "component/com/ComObject.h"
#include "component/com/ComPtr.h"

namespace pelzorvick {

class HostFrame;

class HostSite : public ComObject<HostSite, Implements<IOleClientSite>,
                                  Implements<IOleInPlaceSite, IOleWindow>,
                                  Implements<IOleControlSite>, Implements<IDispatch>>,
                 private NoTypeInfo {
 public:
  // `display_name` is the ambient DisplayName; `user_mode` the ambient
  // UserMode (false while the form is being designed).
  HostSite(HostFrame& frame, std::wstring display_name, bool user_mode);

  void SetObject(IOleObject* object);
  // The control's size in pixels, as it last asked for or was given.
  SIZE Size() const;
  void SetSize(SIZE size) { size_ = size; }
  const RECT& Rect() const { return rect_; }
  // Gives the control its place on the form (through SetObjectRects once it
  // is active in place).
  void MoveTo(const RECT& rect);
  // The control's own window, once it is active in place.
  HWND ControlWindow() const;
  bool InPlaceActive() const { return inplace_ != nullptr; }

  // IOleClientSite
  HRESULT SaveObject(Guarded);
  HRESULT GetMoniker(Guarded, DWORD, DWORD, IMoniker**);
  HRESULT GetContainer(Guarded, IOleContainer**);
  HRESULT ShowObject(Guarded);
  HRESULT OnShowWindow(Guarded, BOOL);
  HRESULT RequestNewObjectLayout(Guarded);
  // IOleWindow
  HRESULT GetWindow(Guarded, HWND*);
  HRESULT ContextSensitiveHelp(Guarded, BOOL);
  // IOleInPlaceSite
  HRESULT CanInPlaceActivate(Guarded);
  HRESULT OnInPlaceActivate(Guarded);
  HRESULT OnUIActivate(Guarded);
  HRESULT GetWindowContext(Guarded, IOleInPlaceFrame**, IOleInPlaceUIWindow**, LPRECT, LPRECT,
                           LPOLEINPLACEFRAMEINFO);
  HRESULT Scroll(Guarded, SIZE);
  HRESULT OnUIDeactivate(Guarded, BOOL);
  HRESULT OnInPlaceDeactivate(Guarded);
  HRESULT DiscardUndoState(Guarded);
  HRESULT DeactivateAndUndo(Guarded);
  HRESULT OnPosRectChange(Guarded, LPCRECT);
  // IOleControlSite
  HRESULT OnControlInfoChanged(Guarded);
  HRESULT LockInPlaceActive(Guarded, BOOL);
  HRESULT GetExtendedControl(Guarded, IDispatch**);
  HRESULT TransformCoords(Guarded, POINTL*, POINTF*, DWORD);
  HRESULT TranslateAccelerator(Guarded, MSG*, DWORD);
  HRESULT OnFocus(Guarded, BOOL);
  HRESULT ShowPropertyFrame(Guarded);
  // IDispatch: the ambient properties
  using NoTypeInfo::GetTypeInfoCount;
  using NoTypeInfo::GetTypeInfo;
  HRESULT GetIDsOfNames(Guarded, REFIID, LPOLESTR*, UINT, LCID, DISPID*);
  HRESULT Invoke(Guarded, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                 UINT*);

 private:
  HostFrame& frame_;
  std::wstring display_name_;
  bool user_mode_;
  IOleObject* object_ = nullptr;  // borrowed: the control owns its site, not the other way
  ComPtr<IOleInPlaceObject> inplace_;
  RECT rect_{0, 0, 0, 0};
  SIZE size_{120, 30};
};

}  // namespace pelzorvick
