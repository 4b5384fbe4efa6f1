#pragma once
// The host's side of one placed control: its client site, in-place site,
// control site and ambient properties.

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <string>

#include "component/ComBase.h"
#include "component/win/ComPtr.h"

namespace pelzorvick {

class HostFrame;

class HostSite : public ComBase<Implements<IOleClientSite>,
                                Implements<IOleInPlaceSite, IOleWindow>,
                                Implements<IOleControlSite>, Implements<IDispatch>> {
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
  STDMETHODIMP SaveObject() override;
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override;
  STDMETHODIMP GetContainer(IOleContainer**) override;
  STDMETHODIMP ShowObject() override;
  STDMETHODIMP OnShowWindow(BOOL) override;
  STDMETHODIMP RequestNewObjectLayout() override;
  // IOleWindow
  STDMETHODIMP GetWindow(HWND*) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override;
  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override;
  STDMETHODIMP OnInPlaceActivate() override;
  STDMETHODIMP OnUIActivate() override;
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame**, IOleInPlaceUIWindow**, LPRECT, LPRECT,
                                LPOLEINPLACEFRAMEINFO) override;
  STDMETHODIMP Scroll(SIZE) override;
  STDMETHODIMP OnUIDeactivate(BOOL) override;
  STDMETHODIMP OnInPlaceDeactivate() override;
  STDMETHODIMP DiscardUndoState() override;
  STDMETHODIMP DeactivateAndUndo() override;
  STDMETHODIMP OnPosRectChange(LPCRECT) override;
  // IOleControlSite
  STDMETHODIMP OnControlInfoChanged() override;
  STDMETHODIMP LockInPlaceActive(BOOL) override;
  STDMETHODIMP GetExtendedControl(IDispatch**) override;
  STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override;
  STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override;
  STDMETHODIMP OnFocus(BOOL) override;
  STDMETHODIMP ShowPropertyFrame() override;
  // IDispatch: the ambient properties
  STDMETHODIMP GetTypeInfoCount(UINT*) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override;

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
