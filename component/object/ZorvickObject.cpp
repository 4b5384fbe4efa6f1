#include "component/object/ZorvickObject.h"

#include <vector>

#include "component/object/DispatchIds.h"
#include "component/com/ErrorInfo.h"
#include "component/com/TypeInfoCache.h"
#include "component/platform/SystemLaunchPolicy.h"

namespace pelzorvick {

HRESULT CreateZorvickObject(REFIID riid, void** ppv) {
  return CreateComObject<ZorvickObject>(riid, ppv);
}

ZorvickObject::ZorvickObject()
    : canvas_(geometry_, *this),
      services_(geometry_, *this),
      platform_([this] { return OwnerWindow(); }),
      ctrl_(services_, canvas_, platform_, SystemFileSystem(), SystemLaunchPolicy()),
      events_point_(*Identity(), *this, DIID___ZorvickCtrl),
      notify_point_(*Identity(), *this, IID_IPropertyNotifySink) {}

ZorvickObject::~ZorvickObject() {
  events_point_.DisconnectAll();
  notify_point_.DisconnectAll();
  canvas_.DestroyWindow();
}

// ISupportErrorInfo.

// The entry points of every interface we implement run inside the
// translator, so any of them may set error info; IUnknown's never do.
HRESULT ZorvickObject::InterfaceSupportsErrorInfo(Guarded, REFIID riid) {
  if (riid == IID_IUnknown) return S_FALSE;
  ComPtr<IUnknown> implemented;
  return SUCCEEDED(QueryInterface(riid, reinterpret_cast<void**>(implemented.GetAddressOf())))
             ? S_OK
             : S_FALSE;
}

// IProvideClassInfo2.

HRESULT ZorvickObject::GetClassInfo(Guarded, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  return TypeInfoCache::Get(CLSID_ZorvickCtrl, info);
}

HRESULT ZorvickObject::GetGUID(Guarded, DWORD kind, GUID* guid) {
  if (guid == nullptr) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *guid = GUID_NULL;
    return E_INVALIDARG;
  }
  *guid = DIID___ZorvickCtrl;
  return S_OK;
}

// IConnectionPointContainer.

HRESULT ZorvickObject::EnumConnectionPoints(Guarded, IEnumConnectionPoints** points) {
  if (points == nullptr) return E_POINTER;
  *points = nullptr;
  return CreateConnectionPointEnumerator({&events_point_, &notify_point_}, points);
}

HRESULT ZorvickObject::FindConnectionPoint(Guarded, REFIID riid, IConnectionPoint** point) {
  if (point == nullptr) return E_POINTER;
  *point = nullptr;
  ConnectionPoint* found = riid == DIID___ZorvickCtrl      ? &events_point_
                           : riid == IID_IPropertyNotifySink ? &notify_point_
                                                             : nullptr;
  if (!found) return CONNECT_E_NOCONNECTION;
  return ComPtr<IConnectionPoint>(found).CopyTo(point);
}

// ContainerLink.

void ZorvickObject::PropertyChanged(DISPID dispid) {
  // Held while calling out: a sink may release the control or change the
  // sinks.
  ComPtr<IUnknown> keep(Identity());
  dirty_ = true;
  saved_ = SaveState::kNone;
  for (const auto& sink : notify_point_.Sinks()) {
    static_cast<IPropertyNotifySink*>(sink.Get())->OnChanged(dispid);
  }
  const ComPtr<IAdviseSink> view_sink = view_sink_;
  if (view_sink) view_sink->OnViewChange(DVASPECT_CONTENT, -1);
}

void ZorvickObject::RequestEdit(const Property& p) {
  // Held while calling out, as for the change itself.
  ComPtr<IUnknown> keep(Identity());
  for (const auto& sink : notify_point_.Sinks()) {
    if (static_cast<IPropertyNotifySink*>(sink.Get())->OnRequestEdit(p.dispid) == S_FALSE) {
      throw ComError(CTL_E_SETNOTPERMITTED,
                     u"The container does not let " + std::u16string(p.name) + u" change now");
    }
  }
}

void ZorvickObject::FireClick() {
  if (freeze_count_ > 0) return;
  // Held while calling: a handler may release the control.
  ComPtr<IUnknown> keep(Identity());
  for (const auto& sink : events_point_.Sinks()) {
    DISPPARAMS none{};
    static_cast<IDispatch*>(sink.Get())
        ->Invoke(kDispidClick, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                 nullptr, nullptr);
  }
}

void ZorvickObject::MoveTo(const RECT& pixels) {
  geometry_.SetPosRect(pixels);
  if (HWND window = canvas_.Window()) {
    MoveWindow(window, pixels.left, pixels.top, pixels.right - pixels.left,
               pixels.bottom - pixels.top, TRUE);
  }
  GeometryChanged();
}

void ZorvickObject::GeometryChanged() { canvas_.UpdatePlacement(); }

void ZorvickObject::ReadComplete(const AsyncReadResult& read) {
  // Held while the core takes it: a sink told of a failure text may release
  // the control.
  ComPtr<IUnknown> keep(Identity());
  // What arrives changes nothing that was stored: a failure shows its text,
  // but a save after a passing network failure must not keep it for good.
  const bool dirty = dirty_;
  const SaveState saved = saved_;
  ctrl_.PictureReadComplete(read);
  dirty_ = dirty;
  saved_ = saved;
  // It comes after the load that asked for it: shown now, not at whatever
  // paint comes next.
  if (const HWND window = canvas_.Window()) InvalidateRect(window, nullptr, FALSE);
  const ComPtr<IAdviseSink> view_sink = view_sink_;
  if (view_sink) view_sink->OnViewChange(DVASPECT_CONTENT, -1);
}

// CanvasEvents.

void ZorvickObject::OnCanvasPaint() {
  ComPtr<IUnknown> keep(Identity());
  PaintControl();
}

void ZorvickObject::OnCanvasMouseDown(int16_t button, int16_t shift, float x, float y) {
  ComPtr<IUnknown> keep(Identity());
  if (GuardedEvent(u"MouseDown", [&] { ctrl_.CanvasMouseDown(button, shift, x, y); })) {
    canvas_.Commit();
  } else {
    canvas_.Rollback();
  }
}

void ZorvickObject::OnCanvasMouseUp(int16_t button, int16_t shift, float x, float y, bool click) {
  ComPtr<IUnknown> keep(Identity());
  if (GuardedEvent(u"MouseUp", [&] { ctrl_.CanvasMouseUp(button, shift, x, y); })) {
    canvas_.Commit();
  } else {
    canvas_.Rollback();
  }
  if (click) GuardedEvent(u"Click", [&] { ctrl_.CanvasClick(); });
}

void ZorvickObject::ReadDpi() {
  if (!canvas_.Window()) return;
  const Resolution dpi = WindowResolution(canvas_.Window());
  if (dpi == geometry_.Dpi()) return;
  geometry_.SetDpi(dpi);
  ctrl_.LayOutAgain();
}

void ZorvickObject::OnCanvasDpiChanged() {
  ComPtr<IUnknown> keep(Identity());
  ReadDpi();
  ctrl_.LayOutAgain();
  InvalidateRect(canvas_.Window(), nullptr, FALSE);
}

// Drawn again by the window's paint, which also brings the button face
// around the surface to the new colours.
void ZorvickObject::OnCanvasColorsChanged() {
  ComPtr<IUnknown> keep(Identity());
  GuardedEvent(u"Paint", [&] { ctrl_.SystemColorsChanged(); });
  InvalidateRect(canvas_.Window(), nullptr, FALSE);
}

void ZorvickObject::PaintControl() {
  ReadDpi();
  services_.HoldResize();
  const bool painted = GuardedEvent(u"Paint", [&] { ctrl_.Paint(); });
  GuardedEvent(u"Paint", [&] { services_.ReleaseResize(); });
  if (painted) {
    canvas_.Commit();
  } else {
    canvas_.Rollback();
  }
}

HWND ZorvickObject::OwnerWindow() const {
  HWND owner = nullptr;
  if (inplace_site_ && SUCCEEDED(inplace_site_->GetWindow(&owner)) && owner) return owner;
  if (site_) {
    ComPtr<IOleWindow> window;
    if (SUCCEEDED(site_.As(&window)) && SUCCEEDED(window->GetWindow(&owner)) && owner) return owner;
  }
  return canvas_.Window() ? GetParent(canvas_.Window()) : nullptr;
}

}  // namespace pelzorvick
