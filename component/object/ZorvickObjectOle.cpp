#include "component/library/RegistryTable.h"
#include "component/com/ErrorInfo.h"
#include "component/object/ZorvickObject.h"

// Embedding: the client site, verbs, extent and in-place activation in the
// control's own window (the drawing surface's).

namespace pelzorvick {

// IOleObject.

HRESULT ZorvickObject::SetClientSite(Guarded g, IOleClientSite* site) {
  if (!site && inplace_site_) InPlaceDeactivate(g);
  site_ = site;
  return S_OK;
}

HRESULT ZorvickObject::GetClientSite(Guarded, IOleClientSite** site) {
  if (site == nullptr) return E_POINTER;
  return site_.CopyTo(site);
}

HRESULT ZorvickObject::SetHostNames(Guarded, LPCOLESTR, LPCOLESTR) { return S_OK; }

HRESULT ZorvickObject::Close(Guarded g, DWORD save_option) {
  ComPtr<IUnknown> keep(Identity());
  InPlaceDeactivate(g);
  if (dirty_ && site_ &&
      (save_option == OLECLOSE_SAVEIFDIRTY || save_option == OLECLOSE_PROMPTSAVE)) {
    site_->SaveObject();
  }
  if (advise_holder_) advise_holder_->SendOnClose();
  return S_OK;
}

HRESULT ZorvickObject::SetMoniker(Guarded, DWORD, IMoniker*) { return E_NOTIMPL; }

HRESULT ZorvickObject::GetMoniker(Guarded, DWORD, DWORD, IMoniker** moniker) {
  if (moniker == nullptr) return E_POINTER;
  *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT ZorvickObject::InitFromData(Guarded, IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

HRESULT ZorvickObject::GetClipboardData(Guarded, DWORD, IDataObject** data) {
  if (data == nullptr) return E_POINTER;
  *data = nullptr;
  return E_NOTIMPL;
}

HRESULT ZorvickObject::DoVerb(Guarded g, LONG verb, LPMSG, IOleClientSite* active_site, LONG, HWND parent,
                              LPCRECT pos_rect) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
      return ActivateInPlace(active_site, parent, pos_rect, true);
    case OLEIVERB_INPLACEACTIVATE:
      return ActivateInPlace(active_site, parent, pos_rect, false);
    case OLEIVERB_HIDE:
      UIDeactivate(g);
      if (canvas_.Window()) ShowWindow(canvas_.Window(), SW_HIDE);
      return S_OK;
    case OLEIVERB_PROPERTIES:
      return ShowPropertyPages(parent);
    default:
      return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
  }
}


HRESULT ZorvickObject::Update(Guarded) { return S_OK; }
HRESULT ZorvickObject::IsUpToDate(Guarded) { return S_OK; }

HRESULT ZorvickObject::GetUserClassID(Guarded, CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = CLSID_ZorvickCtrl;
  return S_OK;
}

// Every form of the name is the class title that registration writes.
HRESULT ZorvickObject::GetUserType(Guarded, DWORD, LPOLESTR* type) {
  if (type == nullptr) return E_POINTER;
  *type = MakeTaskString(AsU16(kClassTitle));
  return S_OK;
}

HRESULT ZorvickObject::SetExtent(Guarded, DWORD aspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!IsPlaceableExtent(*size)) {
    return ReportComError(E_INVALIDARG, u"The size is negative or larger than a window can be",
                          IID_IOleObject);
  }
  geometry_.SetExtent(*size);
  GeometryChanged();
  return S_OK;
}

HRESULT ZorvickObject::GetExtent(Guarded, DWORD aspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *size = geometry_.Extent();
  return S_OK;
}

HRESULT ZorvickObject::Advise(Guarded, IAdviseSink* sink, DWORD* connection) {
  if (connection == nullptr) return E_POINTER;
  *connection = 0;
  if (!advise_holder_) {
    const HRESULT hr = CreateOleAdviseHolder(&advise_holder_);
    if (FAILED(hr)) return hr;
  }
  return advise_holder_->Advise(sink, connection);
}

HRESULT ZorvickObject::Unadvise(Guarded, DWORD connection) {
  if (!advise_holder_) return OLE_E_NOCONNECTION;
  return advise_holder_->Unadvise(connection);
}

HRESULT ZorvickObject::EnumAdvise(Guarded, IEnumSTATDATA** advise) {
  if (advise == nullptr) return E_POINTER;
  *advise = nullptr;
  if (!advise_holder_) return E_FAIL;
  return advise_holder_->EnumAdvise(advise);
}

HRESULT ZorvickObject::GetMiscStatus(Guarded, DWORD, DWORD* status) {
  if (status == nullptr) return E_POINTER;
  *status = kMiscStatus;
  return S_OK;
}

HRESULT ZorvickObject::SetColorScheme(Guarded, LOGPALETTE*) { return E_NOTIMPL; }

// In-place activation.

HRESULT ZorvickObject::ActivateInPlace(IOleClientSite* active_site, HWND parent, LPCRECT pos,
                                       bool ui_activate) {
  IOleClientSite* site = site_ ? site_.Get() : active_site;
  if (!site) return E_UNEXPECTED;

  if (!inplace_site_) {
    ComPtr<IOleInPlaceSite> inplace;
    if (FAILED(site->QueryInterface(IID_PPV_ARGS(&inplace)))) return E_NOINTERFACE;
    if (inplace->CanInPlaceActivate() != S_OK) return E_FAIL;
    HRESULT hr = inplace->OnInPlaceActivate();
    if (FAILED(hr)) return hr;
    inplace_site_ = inplace;

    HWND container = nullptr;
    if (FAILED(inplace->GetWindow(&container)) || !container) container = parent;
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO frame_info{};
    frame_info.cb = sizeof frame_info;
    frame_.Reset();
    ui_window_.Reset();
    hr = inplace->GetWindowContext(&frame_, &ui_window_, &position, &clip, &frame_info);
    if (FAILED(hr) && pos) position = *pos;
    if (pos && IsRectEmpty(&position)) position = *pos;
    try {
      if (!IsPlaceableRect(position)) {
        throw ComError(E_INVALIDARG, u"The control's place is larger than a window can be");
      }
      geometry_.SetPosRect(position);
      canvas_.CreateWindowIn(container, position);
      ReadDpi();
    } catch (...) {
      // Nothing of a failed activation outlives it: no window of ours stays
      // in the container's, and the site hears that we are not active.
      canvas_.DestroyWindow();
      geometry_.ClearPosRect();
      frame_.Reset();
      ui_window_.Reset();
      ComPtr<IOleInPlaceSite> site;
      site.Swap(inplace_site_);
      site->OnInPlaceDeactivate();
      throw;
    }
  }
  if (HWND window = canvas_.Window(); window && !IsWindowVisible(window)) {
    ShowWindow(window, SW_SHOWNA);
  }

  if (ui_activate && !ui_active_) {
    ui_active_ = true;
    inplace_site_->OnUIActivate();
    auto* active = static_cast<IOleInPlaceActiveObject*>(this);
    if (frame_) frame_->SetActiveObject(active, nullptr);
    if (ui_window_) ui_window_->SetActiveObject(active, nullptr);
    if (frame_) frame_->SetBorderSpace(nullptr);
    if (ui_window_) ui_window_->SetBorderSpace(nullptr);
    if (canvas_.Window() && !canvas_.Focused()) SetFocus(canvas_.Window());
  }
  return S_OK;
}

HRESULT ZorvickObject::GetWindow(Guarded, HWND* hwnd) {
  if (hwnd == nullptr) return E_POINTER;
  *hwnd = canvas_.Window();
  return *hwnd ? S_OK : E_FAIL;
}

HRESULT ZorvickObject::ContextSensitiveHelp(Guarded, BOOL) { return E_NOTIMPL; }

HRESULT ZorvickObject::InPlaceDeactivate(Guarded g) {
  if (!inplace_site_) return S_OK;
  ComPtr<IUnknown> keep(Identity());
  UIDeactivate(g);
  canvas_.DestroyWindow();
  // The extent keeps the size the control had in place.
  geometry_.ClearPosRect();
  ComPtr<IOleInPlaceSite> site;
  site.Swap(inplace_site_);
  frame_.Reset();
  ui_window_.Reset();
  site->OnInPlaceDeactivate();
  return S_OK;
}

HRESULT ZorvickObject::UIDeactivate(Guarded) {
  if (!ui_active_) return S_OK;
  ui_active_ = false;
  if (ui_window_) ui_window_->SetActiveObject(nullptr, nullptr);
  if (frame_) frame_->SetActiveObject(nullptr, nullptr);
  if (inplace_site_) inplace_site_->OnUIDeactivate(FALSE);
  return S_OK;
}

HRESULT ZorvickObject::SetObjectRects(Guarded, LPCRECT pos, LPCRECT) {
  if (pos == nullptr) return E_POINTER;
  if (!IsPlaceableRect(*pos)) {
    return ReportComError(E_INVALIDARG, u"The control's place is larger than a window can be",
                          IID_IOleInPlaceObject);
  }
  MoveTo(*pos);
  return S_OK;
}

HRESULT ZorvickObject::ReactivateAndUndo(Guarded) { return INPLACE_E_NOTUNDOABLE; }

// IOleInPlaceActiveObject.

HRESULT ZorvickObject::OnFrameWindowActivate(Guarded, BOOL) { return S_OK; }
HRESULT ZorvickObject::OnDocWindowActivate(Guarded, BOOL) { return S_OK; }
HRESULT ZorvickObject::ResizeBorder(Guarded, LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
HRESULT ZorvickObject::EnableModeless(Guarded, BOOL) { return S_OK; }

// IOleControl.

HRESULT ZorvickObject::GetControlInfo(Guarded, CONTROLINFO* info) {
  if (info == nullptr) return E_POINTER;
  info->cb = sizeof *info;
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

HRESULT ZorvickObject::OnMnemonic(Guarded, MSG*) { return E_NOTIMPL; }

HRESULT ZorvickObject::OnAmbientPropertyChange(Guarded, DISPID dispid) {
  // UserMode is read afresh at every use; a change only needs a new paint.
  if ((dispid == DISPID_AMBIENT_USERMODE || dispid == DISPID_UNKNOWN) && canvas_.Window()) {
    InvalidateRect(canvas_.Window(), nullptr, FALSE);
  }
  return S_OK;
}

HRESULT ZorvickObject::FreezeEvents(Guarded, BOOL freeze) {
  if (freeze) {
    ++freeze_count_;
  } else if (freeze_count_ > 0) {
    --freeze_count_;
  }
  return S_OK;
}

}  // namespace pelzorvick
