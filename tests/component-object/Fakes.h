#pragma once
// Containers' side of the control, built on the same COM base: a client site
// that records what the control asks of it, sinks, a property bag, and the
// OLE set-up of the test thread.

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>
#include <olectl.h>

#include <map>
#include <string>
#include <vector>

#include <wrl/client.h>

#include "PelZorvick_h.h"
#include "component/ComBase.h"
#include "component/win/ZorvickObject.h"

namespace pelzorvick::test {

using Microsoft::WRL::ComPtr;

enum class Ambient { kNoUserMode, kRunning, kDesigning };

class FakeSite : public ComBase<Implements<IOleClientSite>, Implements<IOleInPlaceSite, IOleWindow>,
                                Implements<IDispatch>> {
 public:
  explicit FakeSite(HWND parent = nullptr, Ambient ambient = Ambient::kRunning)
      : parent_(parent), ambient_(ambient) {}

  // IOleClientSite.
  HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** m) override {
    *m = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override {
    *c = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override {
    ++layout_requests;
    return S_OK;
  }

  // IOleWindow, IOleInPlaceSite.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override {
    *hwnd = parent_;
    return parent_ ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return parent_ ? S_OK : S_FALSE; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override {
    ++inplace_activations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override {
    ++ui_activations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                             LPRECT pos, LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO) override {
    *frame = nullptr;
    *doc = nullptr;
    *pos = rect;
    *clip = rect;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override {
    ++ui_deactivations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
    ++inplace_deactivations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT pos) override;

  // IDispatch: the ambient properties.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO*, UINT*) override;

  // Set by the test.
  RECT rect{10, 20, 170, 60};
  bool place_on_request = true;  // OnPosRectChange calls SetObjectRects back
  IOleInPlaceObject* object = nullptr;  // not referenced
  void SetAmbient(Ambient a) { ambient_ = a; }

  // Recorded.
  int user_mode_asks = 0;
  int layout_requests = 0;
  int inplace_activations = 0, inplace_deactivations = 0;
  int ui_activations = 0, ui_deactivations = 0;
  std::vector<RECT> pos_rect_changes;

 private:
  HWND parent_;
  Ambient ambient_;
};

// A site with nothing but IOleClientSite: no ambient properties at all.
class PlainSite : public ComBase<Implements<IOleClientSite>> {
 public:
  HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** m) override {
    *m = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override {
    *c = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return S_OK; }
};

class NotifySink : public ComBase<Implements<IPropertyNotifySink>> {
 public:
  HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override {
    changed.push_back(id);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
  std::vector<DISPID> changed;
};

class EventSink : public ComBase<Implements<__ZorvickCtrl, IDispatch>> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT*, EXCEPINFO*, UINT*) override {
    if (flags == DISPATCH_METHOD && params && params->cArgs == 0) events.push_back(id);
    return S_OK;
  }
  std::vector<DISPID> events;
};

// A container's property bag: values by name, as given.
class FakeBag : public ComBase<Implements<IPropertyBag>> {
 public:
  ~FakeBag() override;
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override;
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override;
  std::map<std::wstring, VARIANT> values;
};

// A new control through the creation entry point, asked for T.
template <class T>
ComPtr<T> NewControl() {
  ComPtr<T> control;
  CreateZorvickObject(__uuidof(T), reinterpret_cast<void**>(control.GetAddressOf()));
  return control;
}

// A top-level window for in-place activation, destroyed with the object.
class ParentWindow {
 public:
  ParentWindow();
  ~ParentWindow();
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_;
};

void PumpMessages();

// The property as a string through IDispatch by name, and its setting.
HRESULT PutByName(IDispatch* object, const wchar_t* name, VARIANT value);
HRESULT GetByName(IDispatch* object, const wchar_t* name, VARIANT* value);

}  // namespace pelzorvick::test
