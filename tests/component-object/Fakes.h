#pragma once
// Containers' side of the control, built on the same COM base: a client and
// in-place site, sinks and a property bag that write every call into their
// transcript and fail the test on any call it did not expect; the OLE set-up
// of the test thread, a container window and automation helpers.

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>
#include <olectl.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "PelZorvick_h.h"
#include "component/com/ComBase.h"
#include "component/com/ComPtr.h"
#include "component/object/ZorvickObject.h"
#include "tests/support/Automation.h"
#include "tests/support/NonCopyable.h"
#include "tests/support/Transcript.h"

namespace pelzorvick::test {

enum class Ambient { kNoUserMode, kRunning, kDesigning };

// Every interface the control answers for.
inline const IID* const kControlInterfaces[] = {
    &IID__ZorvickCtrl,        &IID_IDispatch,          &IID_ISupportErrorInfo,
    &IID_IProvideClassInfo,   &IID_IProvideClassInfo2, &IID_IConnectionPointContainer,
    &IID_IOleObject,          &IID_IOleWindow,         &IID_IOleInPlaceObject,
    &IID_IOleInPlaceActiveObject, &IID_IOleControl,    &IID_IViewObject,
    &IID_IViewObject2,        &IID_IPersist,           &IID_IPersistStreamInit,
    &IID_IPersistPropertyBag, &IID_IPersistStorage,   &IID_IPerPropertyBrowsing,
    &IID_ICategorizeProperties, &IID_ISpecifyPropertyPages,
};

// What a container's site hears from a control that is sited, reads its
// ambient properties and is activated in place, painted and deactivated.
inline const std::vector<std::string_view> kSiteOfAPlacedControl = {
    "Invoke",         "CanInPlaceActivate", "OnInPlaceActivate",   "GetWindow",
    "GetWindowContext", "OnPosRectChange",  "OnInPlaceDeactivate", "OnUIActivate",
    "OnUIDeactivate", "ShowObject"};

// A fake's transcript, and its answer to a call: the line, then the result.
class Recorded {
 public:
  Transcript calls;

 protected:
  HRESULT Answer(const std::string& line, HRESULT hr) {
    calls.Record(line);
    return hr;
  }
};

// IDispatch of a fake that has no type information.
#define PZ_NO_TYPE_INFO                                                                   \
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {                          \
    *n = 0;                                                                               \
    return Answer("GetTypeInfoCount()", S_OK);                                            \
  }                                                                                       \
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {               \
    return Answer("GetTypeInfo()", E_NOTIMPL);                                            \
  }                                                                                       \
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { \
    return Answer("GetIDsOfNames()", E_NOTIMPL);                                          \
  }

// IOleClientSite, recorded; the sites below add to it.
template <class... Interfaces>
class RecordingClientSite : public ComBase<Implements<IOleClientSite>, Interfaces...>,
                            public Recorded {
 public:
  HRESULT STDMETHODCALLTYPE SaveObject() override { return Answer("SaveObject()", S_OK); }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** m) override {
    *m = nullptr;
    return Answer("GetMoniker()", E_NOTIMPL);
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override {
    *c = nullptr;
    return Answer("GetContainer()", E_NOINTERFACE);
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return Answer("ShowObject()", S_OK); }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL show) override {
    return Answer(show ? "OnShowWindow(true)" : "OnShowWindow(false)", S_OK);
  }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override {
    return Answer("RequestNewObjectLayout()", S_OK);
  }
};

class FakeSite
    : public RecordingClientSite<Implements<IOleInPlaceSite, IOleWindow>, Implements<IDispatch>> {
 public:
  explicit FakeSite(HWND parent = nullptr, Ambient ambient = Ambient::kRunning)
      : parent_(parent), ambient_(ambient) {}

  // IOleWindow, IOleInPlaceSite.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override;
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
  HRESULT STDMETHODCALLTYPE OnUIActivate() override;
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                             LPRECT pos, LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO) override;
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override;
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL undoable) override;
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override;
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT pos) override;

  // IDispatch: the ambient properties.
  PZ_NO_TYPE_INFO
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO*, UINT*) override;

  // Set by the test.
  RECT rect{10, 20, 170, 60};
  bool place_on_request = true;  // OnPosRectChange calls SetObjectRects back
  IOleInPlaceObject* object = nullptr;  // not referenced
  void SetAmbient(Ambient a) { ambient_ = a; }

  std::vector<RECT> pos_rect_changes;  // the rectangles asked for, to measure

 private:
  HWND parent_;
  Ambient ambient_;
};

// A site with nothing but IOleClientSite: no ambient properties at all.
class PlainSite : public RecordingClientSite<> {};

// Lines "OnRequestEdit(<property name>)" and "OnChanged(<property name>)";
// `on_change` runs at the first change; the edit of `refused` is refused.
class NotifySink : public ComBase<Implements<IPropertyNotifySink>>, public Recorded {
 public:
  HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override;
  HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID id) override;
  std::function<void()> on_change;
  DISPID refused = DISPID_UNKNOWN;
};

// Lines "Click()" (any other member by its id); `on_event` runs at each.
class EventSink : public ComBase<Implements<__ZorvickCtrl, IDispatch>>, public Recorded {
 public:
  PZ_NO_TYPE_INFO
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT*, EXCEPINFO*, UINT*) override;
  std::function<void()> on_event;
};
#undef PZ_NO_TYPE_INFO

// A container's property bag: values by name, as given. Lines "Read(Key)"
// and "Write(Key,text)". From the read or write of `failing_key` on it
// answers `failure`; `on_read` runs once, when `acting_key` is read.
class FakeBag : public ComBase<Implements<IPropertyBag>>, public Recorded {
 public:
  ~FakeBag() override;
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override;
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override;
  // Stores a copy without a transcript line: the container's own filling.
  void Put(const wchar_t* name, VARIANT value);
  void PutText(const wchar_t* name, const std::wstring& text);

  std::map<std::wstring, VARIANT> values;
  std::wstring failing_key;
  HRESULT failure = S_OK;
  std::wstring acting_key;
  std::function<void()> on_read;

 private:
  bool failing_ = false;
};

// A new control through the creation entry point, asked for T.
template <class T>
ComPtr<T> NewControl() {
  ComPtr<T> control;
  CreateZorvickObject(__uuidof(T), reinterpret_cast<void**>(control.GetAddressOf()));
  return control;
}

// A new control as a container starts one (IPersistStreamInit::InitNew).
template <class T>
ComPtr<T> NewInitialisedControl() {
  ComPtr<T> control = NewControl<T>();
  ComPtr<IPersistStreamInit> persist;
  if (control && SUCCEEDED(control.As(&persist))) persist->InitNew();
  return control;
}

// A top-level window for in-place activation. Post(f) runs f when the window
// receives the message, from whichever message loop gets it first.
class ParentWindow : NonCopyable {
 public:
  ParentWindow();
  ~ParentWindow();
  HWND hwnd() const { return hwnd_; }
  // Destroys the window now (as a container may, before deactivating us).
  void Destroy();
  void Post(std::function<void()> f);

 private:
  static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
  HWND hwnd_ = nullptr;
};

void PumpMessages();
// Takes messages until `done`, for at most `limit`; whether it came.
bool PumpUntil(const std::function<bool()>& done, std::chrono::seconds limit = std::chrono::seconds(60));

// A command line that leaves `file` (in the temporary folder, removed before
// and after) when the system's cmd.exe runs it.
class MarkerCommand {
 public:
  explicit MarkerCommand(const wchar_t* name);
  ~MarkerCommand();
  // A started program runs on its own: waits up to 20 s for its mark.
  bool Ran() const;

  std::wstring file;
  std::wstring command;
};

// A control sited on a FakeSite over `parent`, initialised fresh or loaded
// from `bag`; the site expects what a placed control asks of it. `control`
// is the container's one reference.
struct SitedControl {
  explicit SitedControl(HWND parent, Ambient ambient = Ambient::kRunning,
                        ComPtr<IOleObject> object = NewControl<IOleObject>(),
                        IPropertyBag* bag = nullptr);
  // In place at the site's rectangle, painted once; S_OK or the failure.
  HRESULT Activate();
  HWND Window() const;
  // The window that takes the surface's mouse and keys: the control's own.
  HWND Surface() const { return Window(); }
  // A left press and release on the surface.
  void Click() const;
  // As a container ends it: Close, no site, and its last Release (0 when
  // that destroyed the control).
  ULONG Close();

  template <class T>
  ComPtr<T> As() const {
    ComPtr<T> out;
    if (control) control.As(&out);
    return out;
  }

  HWND parent;
  ComPtr<IOleObject> control;
  ComPtr<FakeSite> site;
};

// A string property through the dual interface.
void PutString(_ZorvickCtrl* dual, HRESULT (STDMETHODCALLTYPE _ZorvickCtrl::*put)(BSTR),
               const std::wstring& text);
std::wstring GetString(_ZorvickCtrl* dual, HRESULT (STDMETHODCALLTYPE _ZorvickCtrl::*get)(BSTR*));

// The control's connection point for `iid`, and advising a sink at it.
ComPtr<IConnectionPoint> PointFor(IUnknown* control, REFIID iid);
DWORD Advise(IUnknown* control, REFIID iid, IUnknown* sink);
void Unadvise(IUnknown* control, REFIID iid, DWORD cookie);

}  // namespace pelzorvick::test
