#pragma once
// The control's COM object: one per instance, created by the class factory.
// Its interfaces are implemented one group per ZorvickObject*.cpp file.

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>
#include <olectl.h>

#include <type_traits>

#include "PelZorvick_h.h"
#include "command/FileSystem.h"
#include "component/com/ComObject.h"
#include "component/com/ComPtr.h"
#include "component/object/AutomationValue.h"
#include "component/object/ConnectionPoint.h"
#include "component/surface/ControlGeometry.h"
#include "component/com/Handles.h"
#include "component/surface/WinCanvas.h"
#include "component/object/WinContainerServices.h"
#include "component/platform/WinPlatform.h"
#include "control/ZorvickCtrl.h"

namespace pelzorvick {

// The version-independent ProgID's misc status.
inline constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
                                     OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                                     OLEMISC_RECOMPOSEONRESIZE;
static_assert(kMiscStatus == 0x00020191);

class ZorvickObject
    : public ComObject<ZorvickObject, Implements<_ZorvickCtrl, IDispatch>,
                       Implements<ISupportErrorInfo>,
                       Implements<IProvideClassInfo2, IProvideClassInfo>,
                       Implements<IConnectionPointContainer>, Implements<IOleObject>,
                       Implements<IOleInPlaceObject, IOleWindow>,
                       Implements<IOleInPlaceActiveObject>, Implements<IOleControl>,
                       Implements<IViewObject2, IViewObject>,
                       Implements<IPersistStreamInit, IPersist>,
                       Implements<IPersistPropertyBag>, Implements<IPersistStorage>,
                       Implements<IPerPropertyBrowsing>, Implements<ICategorizeProperties>,
                       Implements<ISpecifyPropertyPages>>,
      public CanvasEvents,
      public ContainerLink {
 public:
  ZorvickObject();
  ~ZorvickObject() override;

  // _ZorvickCtrl and IDispatch.
  HRESULT GetTypeInfoCount(Guarded, UINT* count);
  HRESULT GetTypeInfo(Guarded, UINT index, LCID lcid, ITypeInfo** info);
  HRESULT GetIDsOfNames(Guarded, REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                        DISPID* ids);
  HRESULT Invoke(Guarded, DISPID id, REFIID riid, LCID lcid, WORD flags,
                 DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                 UINT* arg_error);
  HRESULT Execute(Guarded);
  // Every property accessor of the dual interface, bound to its row of the
  // control's table while compiling (the bodies follow the class).
  static consteval std::size_t PropertyRow(std::u16string_view name) {
    return ZorvickCtrl::RowNamed(name);
  }
  template <std::size_t Row, class Out>
  HRESULT GetProperty(Guarded, Out* out);
  template <std::size_t Row, class In>
  HRESULT PutProperty(Guarded, In value);

  // ISupportErrorInfo.
  HRESULT InterfaceSupportsErrorInfo(Guarded, REFIID riid);

  // IProvideClassInfo2.
  HRESULT GetClassInfo(Guarded, ITypeInfo** info);
  HRESULT GetGUID(Guarded, DWORD kind, GUID* guid);

  // IConnectionPointContainer.
  HRESULT EnumConnectionPoints(Guarded, IEnumConnectionPoints** points);
  HRESULT FindConnectionPoint(Guarded, REFIID riid, IConnectionPoint** point);

  // IOleObject.
  HRESULT SetClientSite(Guarded, IOleClientSite* site);
  HRESULT GetClientSite(Guarded, IOleClientSite** site);
  HRESULT SetHostNames(Guarded, LPCOLESTR app, LPCOLESTR object);
  HRESULT Close(Guarded, DWORD save_option);
  HRESULT SetMoniker(Guarded, DWORD which, IMoniker* moniker);
  HRESULT GetMoniker(Guarded, DWORD assign, DWORD which, IMoniker** moniker);
  HRESULT InitFromData(Guarded, IDataObject* data, BOOL creation, DWORD reserved);
  HRESULT GetClipboardData(Guarded, DWORD reserved, IDataObject** data);
  HRESULT DoVerb(Guarded, LONG verb, LPMSG msg, IOleClientSite* active_site, LONG index,
                 HWND parent, LPCRECT pos_rect);
  HRESULT EnumVerbs(Guarded, IEnumOLEVERB** verbs);
  HRESULT Update(Guarded);
  HRESULT IsUpToDate(Guarded);
  HRESULT GetUserClassID(Guarded, CLSID* clsid);
  HRESULT GetUserType(Guarded, DWORD form, LPOLESTR* type);
  HRESULT SetExtent(Guarded, DWORD aspect, SIZEL* size);
  HRESULT GetExtent(Guarded, DWORD aspect, SIZEL* size);
  HRESULT Advise(Guarded, IAdviseSink* sink, DWORD* connection);
  HRESULT Unadvise(Guarded, DWORD connection);
  HRESULT EnumAdvise(Guarded, IEnumSTATDATA** advise);
  HRESULT GetMiscStatus(Guarded, DWORD aspect, DWORD* status);
  HRESULT SetColorScheme(Guarded, LOGPALETTE* palette);

  // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject.
  HRESULT GetWindow(Guarded, HWND* hwnd);
  HRESULT ContextSensitiveHelp(Guarded, BOOL enter);
  HRESULT InPlaceDeactivate(Guarded);
  HRESULT UIDeactivate(Guarded);
  HRESULT SetObjectRects(Guarded, LPCRECT pos, LPCRECT clip);
  HRESULT ReactivateAndUndo(Guarded);
  HRESULT TranslateAccelerator(Guarded, LPMSG msg);
  HRESULT OnFrameWindowActivate(Guarded, BOOL activate);
  HRESULT OnDocWindowActivate(Guarded, BOOL activate);
  HRESULT ResizeBorder(Guarded, LPCRECT border, IOleInPlaceUIWindow* window,
                       BOOL frame);
  HRESULT EnableModeless(Guarded, BOOL enable);

  // IOleControl.
  HRESULT GetControlInfo(Guarded, CONTROLINFO* info);
  HRESULT OnMnemonic(Guarded, MSG* msg);
  HRESULT OnAmbientPropertyChange(Guarded, DISPID dispid);
  HRESULT FreezeEvents(Guarded, BOOL freeze);

  // IViewObject2.
  HRESULT Draw(Guarded, DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* device,
               HDC target_dc, HDC dc, LPCRECTL bounds, LPCRECTL window_bounds,
               BOOL(STDMETHODCALLTYPE* progress)(ULONG_PTR), ULONG_PTR argument);
  HRESULT GetColorSet(Guarded, DWORD aspect, LONG index, void* aspect_info,
                      DVTARGETDEVICE* device, HDC target_dc,
                      LOGPALETTE** colors);
  HRESULT Freeze(Guarded, DWORD aspect, LONG index, void* aspect_info, DWORD* freeze);
  HRESULT Unfreeze(Guarded, DWORD freeze);
  HRESULT SetAdvise(Guarded, DWORD aspects, DWORD flags, IAdviseSink* sink);
  HRESULT GetAdvise(Guarded, DWORD* aspects, DWORD* flags, IAdviseSink** sink);
  HRESULT GetExtent(Guarded, DWORD aspect, LONG index, DVTARGETDEVICE* device,
                    LPSIZEL size);

  // IPersist, IPersistStreamInit, IPersistPropertyBag, IPersistStorage.
  HRESULT GetClassID(Guarded, CLSID* clsid);
  HRESULT IsDirty(Guarded);
  HRESULT Load(Guarded, IStream* stream);
  HRESULT Save(Guarded, IStream* stream, BOOL clear_dirty);
  HRESULT GetSizeMax(Guarded, ULARGE_INTEGER* size);
  HRESULT InitNew(Guarded);
  HRESULT Load(Guarded, IPropertyBag* bag, IErrorLog* log);
  HRESULT Save(Guarded, IPropertyBag* bag, BOOL clear_dirty, BOOL save_all);
  HRESULT InitNew(Guarded, IStorage* storage);
  HRESULT Load(Guarded, IStorage* storage);
  HRESULT Save(Guarded, IStorage* storage, BOOL same_as_load);
  HRESULT SaveCompleted(Guarded, IStorage* storage);
  HRESULT HandsOffStorage(Guarded);

  // IPerPropertyBrowsing, ICategorizeProperties, ISpecifyPropertyPages: what a
  // form designer asks (ZorvickObjectDesign.cpp).
  HRESULT GetDisplayString(Guarded, DISPID dispid, BSTR* text);
  HRESULT MapPropertyToPage(Guarded, DISPID dispid, CLSID* page);
  HRESULT GetPredefinedStrings(Guarded, DISPID dispid, CALPOLESTR* strings, CADWORD* cookies);
  HRESULT GetPredefinedValue(Guarded, DISPID dispid, DWORD cookie, VARIANT* value);
  HRESULT MapPropertyToCategory(Guarded, DISPID dispid, PROPCAT* category);
  HRESULT GetCategoryName(Guarded, PROPCAT category, LCID lcid, BSTR* name);
  HRESULT GetPages(Guarded, CAUUID* pages);

  // CanvasEvents.
  void OnCanvasPaint() override;
  void OnCanvasMouseDown(int16_t button, int16_t shift, float x, float y) override;
  void OnCanvasMouseUp(int16_t button, int16_t shift, float x, float y, bool click) override;
  void OnCanvasKey(CanvasKey key, bool down, bool repeat) override;  // ZorvickObjectKeyboard.cpp
  void OnCanvasFocus(bool focused, bool cue) override;
  void OnCanvasDpiChanged() override;
  void OnCanvasColorsChanged() override;
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
  // when it fails. The size it asks of the container is asked once, at its
  // end.
  void PaintControl();
  // The control's resolution is its window's, read before each paint, where
  // the layout happens; a new one lays the control out again. Without a
  // window the last one holds.
  void ReadDpi();
  // The window that owns message boxes: the container's.
  HWND OwnerWindow() const;
  HRESULT ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT pos, bool ui_activate);
  // The Properties verb: the pages in the system's frame, modal.
  HRESULT ShowPropertyPages(HWND parent);
  // Asks the notification sinks whether the property may change; throws
  // when one refuses.
  void RequestEdit(const Property& p);
  HRESULT LoadStreamBytes(IStream* stream, REFIID iid);
  HRESULT SaveStreamBytes(IStream* stream);
  // A load leaves the control clean.
  void ReadPropertiesClean(PropertyBag& bag);

  ControlGeometry geometry_;
  // Its window is the control's own.
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

  bool ui_active_ = false;
  bool dirty_ = false;
  // The last IPersistStorage::Save that succeeded with nothing changed
  // since, and into which storage; SaveCompleted decides by it.
  enum class SaveState { kNone, kIntoLoaded, kElsewhere };
  SaveState saved_ = SaveState::kNone;
  long freeze_count_ = 0;
};

template <std::size_t Row, class Out>
HRESULT ZorvickObject::GetProperty(Guarded, Out* out) {
  static_assert(std::is_same_v<typename CoreTypeOf<Out>::type, ZorvickCtrl::ValueType<Row>>,
                "the interface and the property table disagree on a property's type");
  if (out == nullptr) return E_POINTER;
  *out = Out{};
  *out = ToAutomation(ctrl_.Get<Row>());
  return S_OK;
}

// Setters hold a reference while the change is announced: a sink that hears
// of it may release the control.
template <std::size_t Row, class In>
HRESULT ZorvickObject::PutProperty(Guarded, In value) {
  static_assert(std::is_same_v<typename CoreTypeOf<In>::type, ZorvickCtrl::ValueType<Row>>,
                "the interface and the property table disagree on a property's type");
  ComPtr<IUnknown> keep(Identity());
  RequestEdit(ZorvickCtrl::kProperties[Row]);
  ctrl_.Set<Row>(FromAutomation(value));
  return S_OK;
}

// A new control instance answering for `riid`; the object lives as long as
// the references handed out.
HRESULT CreateZorvickObject(REFIID riid, void** ppv);

}  // namespace pelzorvick
