#include "host/FormTiming.h"

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "common/Stopwatch.h"
#include "component/com/ComObject.h"
#include "component/com/Handles.h"
#include "host/Output.h"
#include "common/Utf8.h"

namespace pelzorvick {
namespace {

void PrintTime(double us, std::size_t controls) {
  Output::Line(u"first complete paint: " + ToU16(std::to_string(static_cast<long long>(us))) +
               u" us, " + ToU16(std::to_string(controls)) + u" controls");
}

class Trivial : public ComObject<Trivial, Implements<IPersist>> {
 public:
  HRESULT GetClassID(Guarded, CLSID* id) {
    *id = CLSID_NULL;
    return S_OK;
  }
};

class TrivialFactory : public ComObject<TrivialFactory, Implements<IClassFactory>> {
 public:
  HRESULT CreateInstance(Guarded, IUnknown* outer, REFIID riid, void** ppv) {
    if (outer) return CLASS_E_NOAGGREGATION;
    ComPtr<Trivial> object(new Trivial);
    return object->QueryInterface(riid, ppv);
  }
  HRESULT LockServer(Guarded, BOOL) { return S_OK; }
};

constexpr CLSID kTrivialClass = {0x7D31C0A2, 0x4E59, 0x4B8C, {0x8F, 0x02, 0x61, 0xAE, 0x3B, 0x95, 0x17, 0xC4}};

}  // namespace

FloorClass::FloorClass() : factory_(new TrivialFactory) {
  registered_ = CoRegisterClassObject(kTrivialClass, factory_.Get(), CLSCTX_INPROC_SERVER,
                                      REGCLS_MULTIPLEUSE, registration_.put());
}

ComPtr<IUnknown> FloorClass::Create() const {
  ComPtr<IUnknown> object;
  CoCreateInstance(kTrivialClass, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object));
  return object;
}

FormTimer::FormTimer(bool on) : on_(on), start_(on ? Microseconds() : 0) {}

void FormTimer::FirstPaintDone(std::size_t controls) {
  if (!on_) return;
  on_ = false;
  PrintTime(Microseconds() - start_, controls);
}

int RunFloorForm(std::size_t count) {
  if (FAILED(OleInitialize(nullptr))) return 1;
  int status = 0;
  {
    FloorClass floor;
    const ComPtr<HostFrame> form(new HostFrame);
    HostFrame& frame = *form.Get();
    if (SUCCEEDED(floor.registered()) && frame.Create(L"PelZorvick")) {
      // Placed as the form places its controls: one below the other, at the
      // size a site starts with.
      constexpr SIZE kSize{120, 30};
      std::vector<ComPtr<IUnknown>> objects(count);
      std::vector<UniqueWindow> windows;
      FormTimer timer(true);
      for (std::size_t i = 0; i < count; ++i) {
        objects[i] = floor.Create();
        const int y = HostFrame::kMargin + static_cast<int>(i) * (kSize.cy + HostFrame::kMargin);
        windows.emplace_back(CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE,
                                             HostFrame::kMargin, y, kSize.cx, kSize.cy,
                                             frame.Window(), nullptr, nullptr, nullptr));
      }
      ShowWindow(frame.Window(), SW_SHOWNORMAL);
      RedrawWindow(frame.Window(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      timer.FirstPaintDone(count);
    } else {
      status = 1;
    }
  }
  OleUninitialize();
  return status;
}

}  // namespace pelzorvick
