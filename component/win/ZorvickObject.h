#pragma once
// The control's COM object: one per instance, created by the class factory.
// Its interfaces are implemented one group per ZorvickObject*.cpp file.

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>
#include <olectl.h>

#include "PelZorvick_h.h"
#include "command/FileSystem.h"
#include "component/ComBase.h"
#include "component/win/ComPtr.h"
#include "component/win/ConnectionPoint.h"
#include "component/win/ControlGeometry.h"
#include "component/win/Handles.h"
#include "component/win/WinCanvas.h"
#include "component/win/WinContainerServices.h"
#include "component/win/WinPlatform.h"
#include "control/ZorvickCtrl.h"

namespace pelzorvick {

// The version-independent ProgID's misc status.
inline constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
                                     OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                                     OLEMISC_RECOMPOSEONRESIZE;
static_assert(kMiscStatus == 0x00020191);

class ZorvickObject
    : public ComBase<Implements<_ZorvickCtrl, IDispatch>, Implements<ISupportErrorInfo>,
                     Implements<IProvideClassInfo2, IProvideClassInfo>,
                     Implements<IConnectionPointContainer>, Implements<IOleObject>,
                     Implements<IOleInPlaceObject, IOleWindow>,
                     Implements<IOleInPlaceActiveObject>, Implements<IOleControl>,
                     Implements<IViewObject2, IViewObject>,
                     Implements<IPersistStreamInit, IPersist>, Implements<IPersistPropertyBag>,
                     Implements<IPersistStorage>>,
      public CanvasEvents,
      public ContainerLink {
 public:
  ZorvickObject();
  ~ZorvickObject() override;

  // _ZorvickCtrl and IDispatch.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* arg_error) override;
  HRESULT STDMETHODCALLTYPE Execute() override;
  HRESULT STDMETHODCALLTYPE get_FontSize(float* value) override;
  HRESULT STDMETHODCALLTYPE put_FontSize(float value) override;
  HRESULT STDMETHODCALLTYPE get_Command(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Command(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Control(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Control(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Text(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Text(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_BackColor(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_BackColor(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_ForeColor(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_ForeColor(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_ImageURL(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_ImageURL(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Command1(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Command1(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Command2(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Command2(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Command3(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Command3(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Command4(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Command4(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Command5(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Command5(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Command6(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Command6(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Command7(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Command7(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Command8(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Command8(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Command9(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Command9(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_AutoSize(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_AutoSize(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_Border(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_Border(VARIANT_BOOL value) override;

  // ISupportErrorInfo.
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

  // IProvideClassInfo2.
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override;

  // IConnectionPointContainer.
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

  // IOleObject.
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR app, LPCOLESTR object) override;
  HRESULT STDMETHODCALLTYPE Close(DWORD save_option) override;
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) override;
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG msg, IOleClientSite* active_site, LONG index,
                                   HWND parent, LPCRECT pos_rect) override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
  HRESULT STDMETHODCALLTYPE Update() override;
  HRESULT STDMETHODCALLTYPE IsUpToDate() override;
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* type) override;
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) override;
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) override;
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) override;

  // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE UIDeactivate() override;
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT pos, LPCRECT clip) override;
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override;
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) override;
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override;
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                                         BOOL frame) override;
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;

  // IOleControl.
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* msg) override;
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID dispid) override;
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

  // IViewObject2.
  HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* device,
                                 HDC target_dc, HDC dc, LPCRECTL bounds, LPCRECTL window_bounds,
                                 BOOL(STDMETHODCALLTYPE* progress)(ULONG_PTR), ULONG_PTR argument) override;
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD aspect, LONG index, void* aspect_info,
                                        DVTARGETDEVICE* device, HDC target_dc,
                                        LOGPALETTE** colors) override;
  HRESULT STDMETHODCALLTYPE Freeze(DWORD aspect, LONG index, void* aspect_info, DWORD* freeze) override;
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD freeze) override;
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device,
                                      LPSIZEL size) override;

  // IPersist, IPersistStreamInit, IPersistPropertyBag, IPersistStorage.
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override;
  HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
  HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clear_dirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
  HRESULT STDMETHODCALLTYPE InitNew() override;
  HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
  HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clear_dirty, BOOL save_all) override;
  HRESULT STDMETHODCALLTYPE InitNew(IStorage* storage) override;
  HRESULT STDMETHODCALLTYPE Load(IStorage* storage) override;
  HRESULT STDMETHODCALLTYPE Save(IStorage* storage, BOOL same_as_load) override;
  HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage* storage) override;
  HRESULT STDMETHODCALLTYPE HandsOffStorage() override;

  // CanvasEvents.
  void OnCanvasMouseDown(int16_t button, int16_t shift, float x, float y) override;
  void OnCanvasMouseUp(int16_t button, int16_t shift, float x, float y, bool click) override;
  void OnCanvasKey(CanvasKey key, bool down, bool repeat) override;  // ZorvickObjectKeyboard.cpp
  void OnCanvasFocus(bool focused, bool cue) override;
  AccessibleFacts DescribeSurface() override;
  void DoSurfaceDefaultAction() override;
  bool SurfacePressed() override { return ctrl_.Pressed(); }
  std::u16string SurfaceCaption() override { return ctrl_.Text(); }

  // ContainerLink.
  IOleClientSite* ClientSite() override { return site_.Get(); }
  IOleInPlaceSite* InPlaceSite() override { return inplace_site_.Get(); }
  void PropertyChanged(DISPID dispid) override;
  void FireClick() override;
  void MoveTo(const RECT& pixels) override;
  void GeometryChanged() override;
  void ReadComplete(const AsyncReadResult& read) override;

 private:
  // The core's paint into the surface: shown when it completes, rolled back
  // when it fails.
  void PaintControl();
  // The window that owns message boxes: the container's.
  HWND OwnerWindow() const;
  HRESULT ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT pos, bool ui_activate);
  void CreateControlWindow(HWND parent, const RECT& pos);
  void DestroyControlWindows();
  static LRESULT CALLBACK ControlWindowProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleControlMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void DrawInto(HDC dc, const RECT& bounds);
  HRESULT LoadStreamBytes(IStream* stream);
  HRESULT SaveStreamBytes(IStream* stream);

  // The accessors of the dual interface, over the core's.
  template <class Out, class Getter>
  HRESULT GetProperty(Out* out, Getter getter);
  template <class In, class Setter>
  HRESULT PutProperty(In value, Setter setter);

  ControlGeometry geometry_;
  WinCanvas canvas_;
  WinContainerServices services_;
  WinPlatform platform_;
  ZorvickCtrl ctrl_;

  ConnectionPoint events_point_;
  ConnectionPoint notify_point_;

  ComPtr<IOleClientSite> site_;
  ComPtr<IOleInPlaceSite> inplace_site_;
  ComPtr<IOleInPlaceFrame> frame_;
  ComPtr<IOleInPlaceUIWindow> ui_window_;
  ComPtr<IOleAdviseHolder> advise_holder_;
  ComPtr<IAdviseSink> view_sink_;
  DWORD view_aspects_ = 0;
  DWORD view_flags_ = 0;

  UniqueOwnedWindow window_;
  bool ui_active_ = false;
  bool dirty_ = false;
  long freeze_count_ = 0;
};

// A new control instance answering for `riid`; the object lives as long as
// the references handed out.
HRESULT CreateZorvickObject(REFIID riid, void** ppv);

}  // namespace pelzorvick
