#include "component/com/ErrorInfo.h"
#include "component/object/ZorvickObject.h"

// The view object: the control's current look drawn into a container's
// device context, for design views and printing.

namespace pelzorvick {

HRESULT ZorvickObject::Draw(Guarded, DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                            LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (dc == nullptr || bounds == nullptr) return E_INVALIDARG;
  if (!IsDrawableRect(*bounds)) {
    return ReportComError(E_INVALIDARG, u"The drawing bounds lie outside the device space",
                          IID_IViewObject);
  }
  ComPtr<IUnknown> keep(Identity());
  PaintControl();
  canvas_.DrawControl(dc, RECT{bounds->left, bounds->top, bounds->right, bounds->bottom});
  return S_OK;
}

HRESULT ZorvickObject::GetColorSet(Guarded, DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
  if (colors == nullptr) return E_POINTER;
  *colors = nullptr;
  return S_FALSE;
}

HRESULT ZorvickObject::Freeze(Guarded, DWORD, LONG, void*, DWORD* freeze) {
  if (freeze) *freeze = 0;
  return E_NOTIMPL;
}

HRESULT ZorvickObject::Unfreeze(Guarded, DWORD) { return E_NOTIMPL; }

HRESULT ZorvickObject::SetAdvise(Guarded, DWORD aspects, DWORD flags, IAdviseSink* sink) {
  view_aspects_ = aspects;
  view_flags_ = flags;
  view_sink_ = sink;
  return S_OK;
}

HRESULT ZorvickObject::GetAdvise(Guarded, DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = view_aspects_;
  if (flags) *flags = view_flags_;
  if (sink) view_sink_.CopyTo(sink);
  return S_OK;
}

HRESULT ZorvickObject::GetExtent(Guarded, DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *size = geometry_.Extent();
  return S_OK;
}

}  // namespace pelzorvick
