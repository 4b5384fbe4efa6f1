#include "host/HostSite.h"

#include <olectl.h>

#include "component/surface/Units.h"
#include "host/HostFrame.h"

namespace pelzorvick {

namespace {

HRESULT AmbientFont(VARIANT* result) {
  FONTDESC desc{};
  desc.cbSizeofstruct = sizeof desc;
  desc.lpstrName = const_cast<LPOLESTR>(L"Tahoma");
  desc.cySize.Lo = 8 * 10000;  // 8 points, in the currency's fixed-point form
  desc.sWeight = FW_NORMAL;
  desc.sCharset = DEFAULT_CHARSET;
  ComPtr<IFontDisp> font;
  const HRESULT hr = OleCreateFontIndirect(&desc, IID_PPV_ARGS(&font));
  if (FAILED(hr)) return hr;
  V_VT(result) = VT_DISPATCH;
  V_DISPATCH(result) = font.Detach();
  return S_OK;
}

}  // namespace

HostSite::HostSite(HostFrame& frame, std::wstring display_name, bool user_mode)
    : frame_(frame), display_name_(std::move(display_name)), user_mode_(user_mode) {}

void HostSite::SetObject(IOleObject* object) { object_ = object; }

SIZE HostSite::Size() const { return size_; }

void HostSite::MoveTo(const RECT& rect) {
  const bool moved = !EqualRect(&rect, &rect_);
  rect_ = rect;
  if (moved && inplace_) inplace_->SetObjectRects(&rect_, &rect_);
}

HWND HostSite::ControlWindow() const {
  HWND hwnd = nullptr;
  if (inplace_) inplace_->GetWindow(&hwnd);
  return hwnd;
}

HRESULT HostSite::SaveObject(Guarded) { return S_OK; }
HRESULT HostSite::GetMoniker(Guarded, DWORD, DWORD, IMoniker** mk) {
  if (mk) *mk = nullptr;
  return E_NOTIMPL;
}
HRESULT HostSite::GetContainer(Guarded, IOleContainer** c) {
  if (c) *c = nullptr;
  return E_NOINTERFACE;
}
HRESULT HostSite::ShowObject(Guarded) { return S_OK; }
HRESULT HostSite::OnShowWindow(Guarded, BOOL) { return S_OK; }

HRESULT HostSite::RequestNewObjectLayout(Guarded) {
  if (!object_) return E_UNEXPECTED;
  SIZEL himetric{};
  if (FAILED(object_->GetExtent(DVASPECT_CONTENT, &himetric))) return E_FAIL;
  size_ = SIZE{HimetricToPixels(himetric.cx, ScreenDpiX()),
               HimetricToPixels(himetric.cy, ScreenDpiY())};
  frame_.Layout();
  return S_OK;
}

HRESULT HostSite::GetWindow(Guarded g, HWND* phwnd) { return frame_.GetWindow(g, phwnd); }
HRESULT HostSite::ContextSensitiveHelp(Guarded, BOOL) { return E_NOTIMPL; }
HRESULT HostSite::CanInPlaceActivate(Guarded) { return S_OK; }

HRESULT HostSite::OnInPlaceActivate(Guarded) {
  if (object_ && !inplace_) {
    object_->QueryInterface(IID_PPV_ARGS(inplace_.ReleaseAndGetAddressOf()));
  }
  return S_OK;
}

HRESULT HostSite::OnUIActivate(Guarded) { return S_OK; }

HRESULT HostSite::GetWindowContext(Guarded, IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                   LPRECT lprcPosRect, LPRECT lprcClipRect,
                                   LPOLEINPLACEFRAMEINFO info) {
  if (!ppFrame || !ppDoc || !lprcPosRect || !lprcClipRect || !info) return E_POINTER;
  ComPtr<IOleInPlaceFrame>(&frame_).CopyTo(ppFrame);
  *ppDoc = nullptr;
  *lprcPosRect = rect_;
  *lprcClipRect = rect_;
  info->fMDIApp = FALSE;
  info->hwndFrame = frame_.Window();
  info->haccel = nullptr;
  info->cAccelEntries = 0;
  return S_OK;
}

HRESULT HostSite::Scroll(Guarded, SIZE) { return E_NOTIMPL; }
HRESULT HostSite::OnUIDeactivate(Guarded, BOOL) { return S_OK; }
HRESULT HostSite::OnInPlaceDeactivate(Guarded) {
  inplace_.Reset();
  return S_OK;
}
HRESULT HostSite::DiscardUndoState(Guarded) { return S_OK; }
HRESULT HostSite::DeactivateAndUndo(Guarded) { return S_OK; }

HRESULT HostSite::OnPosRectChange(Guarded, LPCRECT rect) {
  if (!rect) return E_POINTER;
  // The control asks for a new size; the form decides where it goes.
  size_ = SIZE{rect->right - rect->left, rect->bottom - rect->top};
  // While the form's layout waits, the control gets its size where it is.
  if (frame_.LayoutHeld()) {
    MoveTo(RECT{rect_.left, rect_.top, rect_.left + size_.cx, rect_.top + size_.cy});
  }
  frame_.Layout();
  return S_OK;
}

HRESULT HostSite::OnControlInfoChanged(Guarded) { return S_OK; }
HRESULT HostSite::LockInPlaceActive(Guarded, BOOL) { return S_OK; }
HRESULT HostSite::GetExtendedControl(Guarded, IDispatch** d) {
  if (d) *d = nullptr;
  return E_NOTIMPL;
}

HRESULT HostSite::TransformCoords(Guarded, POINTL* himetric, POINTF* container, DWORD flags) {
  if (!himetric || !container) return E_POINTER;
  const int dx = ScreenDpiX(), dy = ScreenDpiY();
  if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
    container->x = static_cast<float>(himetric->x) * dx / kHimetricPerInch;
    container->y = static_cast<float>(himetric->y) * dy / kHimetricPerInch;
  } else if (flags & XFORMCOORDS_CONTAINERTOHIMETRIC) {
    himetric->x = PixelsToHimetric(static_cast<LONG>(container->x), dx);
    himetric->y = PixelsToHimetric(static_cast<LONG>(container->y), dy);
  } else {
    return E_INVALIDARG;
  }
  return S_OK;
}

HRESULT HostSite::TranslateAccelerator(Guarded, MSG*, DWORD) { return S_FALSE; }
HRESULT HostSite::OnFocus(Guarded, BOOL) { return S_OK; }
HRESULT HostSite::ShowPropertyFrame(Guarded) { return E_NOTIMPL; }

HRESULT HostSite::GetIDsOfNames(Guarded, REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  static const struct {
    const wchar_t* name;
    DISPID id;
  } kAmbients[] = {
      {L"UserMode", DISPID_AMBIENT_USERMODE},   {L"Font", DISPID_AMBIENT_FONT},
      {L"ForeColor", DISPID_AMBIENT_FORECOLOR}, {L"BackColor", DISPID_AMBIENT_BACKCOLOR},
      {L"LocaleID", DISPID_AMBIENT_LOCALEID},   {L"DisplayName", DISPID_AMBIENT_DISPLAYNAME},
  };
  if (!names || !ids) return E_POINTER;
  HRESULT hr = S_OK;
  for (UINT i = 0; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    for (const auto& a : kAmbients) {
      if (_wcsicmp(names[i], a.name) == 0) ids[i] = a.id;
    }
    if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT HostSite::Invoke(Guarded, DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                         EXCEPINFO*, UINT*) {
  if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
  if (!result) return E_POINTER;
  VariantInit(result);
  switch (id) {
    case DISPID_AMBIENT_USERMODE:
      V_VT(result) = VT_BOOL;
      V_BOOL(result) = user_mode_ ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    case DISPID_AMBIENT_FONT:
      return AmbientFont(result);
    case DISPID_AMBIENT_FORECOLOR:
      V_VT(result) = VT_I4;
      V_I4(result) = static_cast<LONG>(0x80000000u | COLOR_BTNTEXT);
      return S_OK;
    case DISPID_AMBIENT_BACKCOLOR:
      V_VT(result) = VT_I4;
      V_I4(result) = static_cast<LONG>(0x80000000u | COLOR_BTNFACE);
      return S_OK;
    case DISPID_AMBIENT_LOCALEID:
      V_VT(result) = VT_I4;
      V_I4(result) = static_cast<LONG>(GetUserDefaultLCID());
      return S_OK;
    case DISPID_AMBIENT_DISPLAYNAME:
      V_VT(result) = VT_BSTR;
      V_BSTR(result) = SysAllocString(display_name_.c_str());
      return V_BSTR(result) ? S_OK : E_OUTOFMEMORY;
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_UIDEAD:
      V_VT(result) = VT_BOOL;
      V_BOOL(result) = VARIANT_FALSE;
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace pelzorvick
