// Places PelZorvick.ZorvickCtrl in Wine's own control container (atl.dll),
// which none of us wrote: it initialises the control before giving it a
// site, offers no ambient properties and connects no events. The control
// must still paint a button there, and a press must reach a sink advised by
// hand. Prints what it checks; exit code 0 when all held.
#include <windows.h>
#include <ocidl.h>

#include <cstdio>
#include <string>

#include "component/com/ComPtr.h"
#include "host/EventSink.h"
#include "host/HostFrame.h"
#include "host/MessageWatcher.h"
#include "host/Screenshot.h"

using namespace pelzorvick;

namespace {

int g_failures = 0;

void Check(bool ok, const char* what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
  std::fflush(stdout);
  if (!ok) ++g_failures;
}

HRESULT Put(IDispatch* d, const wchar_t* name, const wchar_t* value) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = 0;
  HRESULT hr = d->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(value);
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{&v, &put, 1, 1};
  hr = d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                 nullptr, nullptr);
  VariantClear(&v);
  return hr;
}

HWND DeepestChildAtCentre(HWND hwnd) {
  for (int depth = 0; hwnd && depth < 16; ++depth) {
    RECT rc{};
    GetClientRect(hwnd, &rc);
    HWND child = ChildWindowFromPointEx(hwnd, POINT{rc.right / 2, rc.bottom / 2},
                                        CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
    if (!child || child == hwnd) break;
    hwnd = child;
  }
  return hwnd;
}

COLORREF At(const Pixels& p, int x, int y) {
  const size_t i = (static_cast<size_t>(y) * p.width + x) * 3;
  return RGB(p.rgb[i], p.rgb[i + 1], p.rgb[i + 2]);
}

// The raised frame along the edges of the surface at (x0, y0), w x h.
bool RaisedFrame(const Pixels& p, int x0, int y0, int w, int h) {
  const COLORREF hl = GetSysColor(COLOR_BTNHIGHLIGHT), dk = GetSysColor(COLOR_3DDKSHADOW);
  for (int x = x0; x < x0 + w - 1; ++x) {
    if (At(p, x, y0) != hl) return false;
  }
  for (int y = y0; y < y0 + h - 1; ++y) {
    if (At(p, x0, y) != hl) return false;
  }
  for (int x = x0 + 1; x < x0 + w; ++x) {
    if (At(p, x, y0 + h - 1) != dk) return false;
  }
  for (int y = y0 + 1; y < y0 + h; ++y) {
    if (At(p, x0 + w - 1, y) != dk) return false;
  }
  return true;
}

}  // namespace

int main() {
  OleInitialize(nullptr);
  HMODULE atl = LoadLibraryW(L"atl.dll");
  Check(atl != nullptr, "atl.dll loads");
  if (!atl) return 1;
  using InitFn = BOOL(WINAPI*)();
  using CreateFn = HRESULT(WINAPI*)(LPCOLESTR, HWND, IStream*, IUnknown**, IUnknown**, REFIID,
                                    IUnknown*);
  const auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
  const auto create = reinterpret_cast<CreateFn>(
      reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxCreateControlEx")));
  Check(init && create, "AtlAxWinInit and AtlAxCreateControlEx are exported");
  if (!init || !create) return 1;
  Check(init() != FALSE, "AtlAxWinInit");

  HWND parent = CreateWindowExW(0, L"STATIC", L"atl", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                                0, 400, 200, nullptr, nullptr, nullptr, nullptr);
  HWND host = CreateWindowExW(0, L"AtlAxWin", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                              0, 0, 400, 200, parent, nullptr, nullptr, nullptr);
  Check(host != nullptr, "a window of class AtlAxWin");

  ComPtr<IUnknown> container, control;
  const HRESULT hr = create(L"PelZorvick.ZorvickCtrl", host, nullptr, &container, &control,
                            IID_NULL, nullptr);
  std::printf("AtlAxCreateControlEx: 0x%08lX\n", static_cast<unsigned long>(hr));
  Check(SUCCEEDED(hr) && control, "the container creates the control by its ProgID");
  if (FAILED(hr) || !control) return 1;

  ComPtr<IDispatch> dispatch;
  control.As(&dispatch);
  Check(dispatch && SUCCEEDED(Put(dispatch.Get(), L"Control", L"Button")) &&
            SUCCEEDED(Put(dispatch.Get(), L"Text", L"Press me")),
        "Control and Text set through IDispatch");

  ComPtr<EventSink> sink(new EventSink(u""));
  ComPtr<IConnectionPointContainer> points;
  ComPtr<IConnectionPoint> point;
  DWORD cookie = 0;
  control.As(&points);
  const bool advised = points &&
                       SUCCEEDED(points->FindConnectionPoint(DIID___ZorvickCtrl, &point)) &&
                       SUCCEEDED(point->Advise(sink.Get(), &cookie));
  Check(advised, "a Click sink advised by hand");

  MessageWatcher watcher;
  watcher.Start(true);

  RedrawWindow(parent, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpMessages(300);
  RedrawWindow(parent, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpMessages(300);

  // The control's window may be smaller than the container's: look inside it.
  HWND surface = DeepestChildAtCentre(GetWindow(host, GW_CHILD));
  RECT rc{};
  GetWindowRect(surface, &rc);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
  std::printf("surface at %ld,%ld size %ldx%ld\n", rc.left, rc.top, rc.right - rc.left,
              rc.bottom - rc.top);
  Check(surface != nullptr, "the control has a window of its own inside the container");
  if (!surface) return 1;
  Pixels pixels;
  Check(CaptureClient(parent, &pixels), "the pixels can be read");
  Check(rc.right - rc.left > 12 && rc.bottom - rc.top > 12 &&
            RaisedFrame(pixels, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top),
        "a button with a raised frame is painted");
  int ink = 0;
  const COLORREF face = At(pixels, rc.left + 3, rc.top + 3);
  for (int y = rc.top + 2; y < rc.bottom - 2; ++y) {
    for (int x = rc.left + 2; x < rc.right - 2; ++x) ink += At(pixels, x, y) != face;
  }
  Check(ink > 10, "the caption is drawn inside the frame");

  RECT client{};
  GetClientRect(surface, &client);
  const LPARAM centre = MAKELPARAM(client.right / 2, client.bottom / 2);
  PostMessageW(surface, WM_LBUTTONDOWN, MK_LBUTTON, centre);
  PumpMessages(150);
  PostMessageW(surface, WM_LBUTTONUP, 0, centre);
  PumpMessages(300);
  Check(watcher.Seen() == 1, "the press shows \"Command not found!\"");
  Check(sink->Clicks() == 1, "the press raises Click to the sink");

  watcher.Stop();
  if (point) point->Unadvise(cookie);
  point.Reset();
  points.Reset();
  dispatch.Reset();
  control.Reset();
  DestroyWindow(parent);  // the container closes the control
  container.Reset();
  sink.Reset();
  OleUninitialize();
  std::printf("%s\n", g_failures == 0 ? "ATL container: all checks passed"
                                      : "ATL container: checks FAILED");
  return g_failures == 0 ? 0 : 1;
}
