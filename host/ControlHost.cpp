#include "host/ControlHost.h"

#include <olectl.h>

#include "component/com/Handles.h"
#include "component/surface/Units.h"
#include "component/com/WideString.h"
#include "host/EventSink.h"
#include "host/HostFrame.h"
#include "host/HostPropertyBag.h"
#include "host/HostSite.h"
#include "host/Output.h"
#include "host/PropertyNotifySink.h"
#include "common/Utf8.h"

namespace pelzorvick {

namespace {

std::u16string KnownCode(HRESULT hr) {
  switch (static_cast<uint32_t>(hr)) {
    case 0x800A000D: case 0x80020005: return u"Type mismatch";
    case 0x800A0006: case 0x8002000A: return u"Overflow";
    case 0x800A0035: return u"File not found";
    case 0x80040154: return u"Class not registered";
    case 0x800401F3: return u"Invalid class string";
    case 0x80004005: return u"Unspecified error";
    case 0x80070057: return u"Invalid argument";
    case 0x80004001: return u"Not implemented";
    case 0x80004002: return u"No such interface supported";
    case 0x80020003: return u"Member not found";
    case 0x80020006: return u"Unknown name";
    default: return u"";
  }
}

HWND DeepestChildAtCentre(HWND hwnd) {
  for (int depth = 0; hwnd && depth < 16; ++depth) {
    RECT rc{};
    GetClientRect(hwnd, &rc);
    const POINT centre{rc.right / 2, rc.bottom / 2};
    HWND child = ChildWindowFromPointEx(hwnd, centre, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
    if (!child || child == hwnd) break;
    hwnd = child;
  }
  return hwnd;
}

}  // namespace

std::u16string DescribeFailure(HRESULT hr) {
  std::u16string text;
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) == S_OK && info) {
    UniqueBstr desc;
    if (SUCCEEDED(info->GetDescription(desc.put()))) text = FromBstr(desc.get());
  }
  if (text.empty()) {
    wchar_t* buf = nullptr;
    if (FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(&buf), 0,
                       nullptr) &&
        buf) {
      text = FromWide(buf);
      LocalFree(buf);
      while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' ||
                               text.back() == u' ' || text.back() == u'.')) {
        text.pop_back();
      }
    }
  }
  if (text.empty()) text = KnownCode(hr);
  return HexCode(hr) + (text.empty() ? u"" : u" " + text);
}

ControlHost::ControlHost(HostFrame& frame, PropertySection& section, bool fresh, bool user_mode)
    : section_(section),
      fresh_(fresh),
      name_(section.name),
      prefix_(section.name.empty() ? u"" : section.name + u"."),
      frame_(frame),
      site_(new HostSite(frame, ToWide(DisplayName()), user_mode)),
      bag_(new HostPropertyBag(section)) {}

ControlHost::~ControlHost() { Close(); }

bool ControlHost::Fail(const char* step, HRESULT hr) {
  Output::Error((name_.empty() ? u"" : name_ + u": ") + ToU16(step) + u": " + DescribeFailure(hr));
  return false;
}

HWND ControlHost::ControlWindow() const { return site_->ControlWindow(); }

HWND ControlHost::Surface() const { return DeepestChildAtCentre(ControlWindow()); }

bool ControlHost::Create() {
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(kProgId, &clsid);
  if (FAILED(hr)) return Fail("PelZorvick.ZorvickCtrl is not registered (CLSIDFromProgID)", hr);
  SetErrorInfo(0, nullptr);
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, &object_);
  if (FAILED(hr)) return Fail("creating the control", hr);
  site_->SetObject(object_.Get());
  hr = object_.As(&dispatch_);
  if (FAILED(hr)) return Fail("the control's IDispatch", hr);

  ComPtr<IConnectionPointContainer> points;
  hr = object_.As(&points);
  if (FAILED(hr)) return Fail("the control's connection points", hr);
  events_ = new EventSink(prefix_);
  notifications_ = new PropertyNotifySink(prefix_, dispatch_.Get());
  hr = points->FindConnectionPoint(DIID___ZorvickCtrl, &event_point_);
  if (SUCCEEDED(hr)) hr = event_point_->Advise(events_.Get(), &event_cookie_);
  if (FAILED(hr)) return Fail("connecting to the events", hr);
  hr = points->FindConnectionPoint(IID_IPropertyNotifySink, &notify_point_);
  if (SUCCEEDED(hr)) hr = notify_point_->Advise(notifications_.Get(), &notify_cookie_);
  if (FAILED(hr)) return Fail("connecting to the property notifications", hr);
  return true;
}

bool ControlHost::Load() {
  DWORD misc = 0;
  object_->GetMiscStatus(DVASPECT_CONTENT, &misc);
  const bool site_first = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
  HRESULT hr;
  if (site_first && FAILED(hr = object_->SetClientSite(site_.Get()))) return Fail("SetClientSite", hr);

  ComPtr<IPersistPropertyBag> persist;
  hr = object_.As(&persist);
  SetErrorInfo(0, nullptr);
  if (SUCCEEDED(hr)) {
    hr = fresh_ ? persist->InitNew() : persist->Load(bag_.Get(), nullptr);
    if (FAILED(hr)) return Fail(fresh_ ? "InitNew" : "loading the properties", hr);
  } else if (!fresh_) {
    return Fail("the control cannot load from a property bag", hr);
  } else {
    ComPtr<IPersistStreamInit> stream;
    if (SUCCEEDED(object_.As(&stream)) && FAILED(hr = stream->InitNew())) {
      return Fail("InitNew", hr);
    }
  }

  if (!site_first && FAILED(hr = object_->SetClientSite(site_.Get()))) return Fail("SetClientSite", hr);
  const std::u16string display = DisplayName();
  object_->SetHostNames(L"zorvick-host", AsWide(display.c_str()));

  SIZEL extent{};
  if (SUCCEEDED(object_->GetExtent(DVASPECT_CONTENT, &extent)) && extent.cx > 0 &&
      extent.cy > 0) {
    site_->SetSize(SIZE{HimetricToPixels(extent.cx, ScreenDpiX()),
                        HimetricToPixels(extent.cy, ScreenDpiY())});
  }
  return true;
}

bool ControlHost::Activate() {
  frame_.Layout();
  RECT rect = site_->Rect();
  SetErrorInfo(0, nullptr);
  const HRESULT hr =
      object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.Get(), 0, frame_.Window(), &rect);
  if (FAILED(hr)) return Fail("in-place activation", hr);
  if (!site_->InPlaceActive()) return Fail("in-place activation (no in-place object)", E_FAIL);
  return true;
}

bool ControlHost::Invoke(std::u16string_view member, WORD flags, VARIANT* arg, const char* step) {
  std::u16string name(member);
  LPOLESTR names[] = {AsWide(name.data())};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return Fail((std::string(step) + " " + ToUtf8Lossy(name)).c_str(), hr);
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{arg, arg ? &put : nullptr, arg ? 1u : 0u, arg ? 1u : 0u};
  EXCEPINFO ex{};
  UINT bad_arg = 0;
  UniqueVariant result;
  SetErrorInfo(0, nullptr);
  hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result.get(), &ex,
                         &bad_arg);
  if (hr == DISP_E_EXCEPTION) {
    if (ex.pfnDeferredFillIn) ex.pfnDeferredFillIn(&ex);
    const UniqueBstr source(ex.bstrSource), description(ex.bstrDescription),
        help_file(ex.bstrHelpFile);
    const HRESULT code = ex.scode ? ex.scode : static_cast<HRESULT>(0x800A0000u | ex.wCode);
    std::u16string text = HexCode(code);
    if (description) text += u" " + FromBstr(description.get());
    Output::Error((name_.empty() ? u"" : name_ + u": ") + ToU16(step) + u" " + name + u": " +
                  text);
    return false;
  }
  if (FAILED(hr)) return Fail((std::string(step) + " " + ToUtf8Lossy(name)).c_str(), hr);
  return true;
}

bool ControlHost::SetProperty(std::u16string_view name, const FileValue& value) {
  UniqueVariant v;
  if (FAILED(ValueToVariant(value, v.get()))) return Fail("--set", E_INVALIDARG);
  return Invoke(name, DISPATCH_PROPERTYPUT, v.get(), "setting");
}

bool ControlHost::Execute() { return Invoke(u"Execute", DISPATCH_METHOD, nullptr, "calling"); }

bool ControlHost::Press(const std::function<void()>& while_pressed) {
  HWND surface = Surface();
  if (!surface) return Fail("--press: the control has no window", E_FAIL);
  RECT rc{};
  GetClientRect(surface, &rc);
  POINT at{rc.right / 2, rc.bottom / 2};
  const LPARAM where = MAKELPARAM(at.x, at.y);
  POINT screen = at;
  ClientToScreen(surface, &screen);
  SetCursorPos(screen.x, screen.y);
  PostMessageW(surface, WM_MOUSEMOVE, 0, where);
  PostMessageW(surface, WM_LBUTTONDOWN, MK_LBUTTON, where);
  PumpMessages(150);
  if (while_pressed) while_pressed();
  PostMessageW(surface, WM_LBUTTONUP, 0, where);
  PumpMessages(150);
  return true;
}

bool ControlHost::Save() {
  ComPtr<IPersistPropertyBag> persist;
  HRESULT hr = object_.As(&persist);
  if (FAILED(hr)) return Fail("the control cannot save to a property bag", hr);
  bag_->BeginSave();
  SetErrorInfo(0, nullptr);
  hr = persist->Save(bag_.Get(), TRUE, TRUE);
  if (!bag_->WriteFailure().empty()) {
    Output::Error((name_.empty() ? u"" : name_ + u": ") + u"saving: the value of " +
                  bag_->WriteFailure() + u" cannot be stored in a property file");
    return false;
  }
  if (FAILED(hr)) return Fail("saving the properties", hr);
  bag_->EndSave();
  return true;
}

void ControlHost::Close() {
  if (!object_) return;
  ComPtr<IOleInPlaceObject> inplace;
  if (SUCCEEDED(object_.As(&inplace))) inplace->InPlaceDeactivate();
  object_->Close(OLECLOSE_NOSAVE);
  if (event_point_) event_point_->Unadvise(event_cookie_);
  if (notify_point_) notify_point_->Unadvise(notify_cookie_);
  event_point_.Reset();
  notify_point_.Reset();
  object_->SetClientSite(nullptr);
  site_->SetObject(nullptr);
  dispatch_.Reset();
  object_.Reset();
  events_.Reset();
  notifications_.Reset();
}

}  // namespace pelzorvick
