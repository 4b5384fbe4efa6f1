#include "tests/component-object/Fakes.h"

#include <memory>

#include <gtest/gtest.h>

#include "component/object/DispatchIds.h"
#include "control/ZorvickCtrl.h"

namespace pelzorvick::test {
namespace {

constexpr UINT kRunPosted = WM_APP + 17;

// OLE for the test thread, for every test.
class OleEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }
};
[[maybe_unused]] ::testing::Environment* const g_ole =
    ::testing::AddGlobalTestEnvironment(new OleEnvironment);

std::string Narrow(std::wstring_view text) {
  std::string out;
  for (wchar_t c : text) out.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
  return out;
}

std::string Call(const char* name, const std::string& args = "") {
  return std::string(name) + "(" + args + ")";
}

std::string Rect(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

// A property's dispatch id by its name in the table, others in decimal.
std::string PropertyName(DISPID id) {
  const Property* p = ZorvickCtrl::FindProperty(id);
  return p ? std::string(p->name.begin(), p->name.end()) : std::to_string(id);
}

}  // namespace

HRESULT FakeSite::GetWindow(HWND* hwnd) {
  calls.Record(Call("GetWindow"));
  *hwnd = parent_;
  return parent_ ? S_OK : E_FAIL;
}
HRESULT FakeSite::ContextSensitiveHelp(BOOL) { return Answer(Call("ContextSensitiveHelp"), E_NOTIMPL); }
HRESULT FakeSite::CanInPlaceActivate() {
  calls.Record(Call("CanInPlaceActivate"));
  return parent_ ? S_OK : S_FALSE;
}
HRESULT FakeSite::OnInPlaceActivate() { return Answer(Call("OnInPlaceActivate"), S_OK); }
HRESULT FakeSite::OnUIActivate() { return Answer(Call("OnUIActivate"), S_OK); }
HRESULT FakeSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                   LPRECT clip, LPOLEINPLACEFRAMEINFO) {
  calls.Record(Call("GetWindowContext"));
  *frame = nullptr;
  *doc = nullptr;
  *pos = rect;
  *clip = rect;
  return S_OK;
}
HRESULT FakeSite::Scroll(SIZE) { return Answer(Call("Scroll"), E_NOTIMPL); }
HRESULT FakeSite::OnUIDeactivate(BOOL undoable) {
  calls.Record(Call("OnUIDeactivate", undoable ? "true" : "false"));
  return S_OK;
}
HRESULT FakeSite::OnInPlaceDeactivate() { return Answer(Call("OnInPlaceDeactivate"), S_OK); }
HRESULT FakeSite::DiscardUndoState() { return Answer(Call("DiscardUndoState"), S_OK); }
HRESULT FakeSite::DeactivateAndUndo() { return Answer(Call("DeactivateAndUndo"), S_OK); }

HRESULT FakeSite::OnPosRectChange(LPCRECT pos) {
  calls.Record(Call("OnPosRectChange", Rect(*pos)));
  pos_rect_changes.push_back(*pos);
  if (place_on_request) {
    rect = *pos;
    if (object) object->SetObjectRects(pos, pos);
  }
  return S_OK;
}

HRESULT FakeSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                         UINT*) {
  calls.Record(Call("Invoke", id == DISPID_AMBIENT_USERMODE ? "UserMode" : std::to_string(id)));
  if (id != DISPID_AMBIENT_USERMODE) return DISP_E_MEMBERNOTFOUND;
  if (ambient_ == Ambient::kNoUserMode) return DISP_E_MEMBERNOTFOUND;
  if (!result) return E_POINTER;
  V_VT(result) = VT_BOOL;
  V_BOOL(result) = ambient_ == Ambient::kRunning ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT NotifySink::OnChanged(DISPID id) {
  calls.Record(Call("OnChanged", PropertyName(id)));
  if (on_change) std::exchange(on_change, nullptr)();
  return S_OK;
}
HRESULT NotifySink::OnRequestEdit(DISPID id) {
  calls.Record(Call("OnRequestEdit", PropertyName(id)));
  return id == refused ? S_FALSE : S_OK;
}

HRESULT EventSink::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*,
                          EXCEPINFO*, UINT*) {
  const bool click = id == kDispidClick && flags == DISPATCH_METHOD && params && params->cArgs == 0;
  calls.Record(click ? Call("Click") : Call("Invoke", std::to_string(id)));
  if (on_event) on_event();
  return S_OK;
}

FakeBag::~FakeBag() {
  for (auto& entry : values) VariantClear(&entry.second);
}

HRESULT FakeBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
  calls.Record(Call("Read", Narrow(name)));
  if (on_read && acting_key == name) std::exchange(on_read, nullptr)();
  if (failing_ || (!failing_key.empty() && failing_key == name)) {
    failing_ = true;
    return failure;
  }
  auto it = values.find(name);
  if (it == values.end()) return E_INVALIDARG;
  const VARTYPE wanted = V_VT(value);
  if (wanted == VT_EMPTY) return VariantCopy(value, &it->second);
  return VariantChangeType(value, &it->second, 0, wanted);
}

HRESULT FakeBag::Write(LPCOLESTR name, VARIANT* value) {
  calls.Record(Call("Write", Narrow(name) + "," + Narrow(VariantText(*value, VARIANT_ALPHABOOL))));
  if (!failing_key.empty() && failing_key == name) return failure;
  VARIANT copy;
  VariantInit(&copy);
  const HRESULT hr = VariantCopy(&copy, value);
  if (FAILED(hr)) return hr;
  Put(name, copy);
  return S_OK;
}

void FakeBag::Put(const wchar_t* name, VARIANT value) {
  auto [it, added] = values.try_emplace(name, value);
  if (!added) {
    VariantClear(&it->second);
    it->second = value;
  }
}

void FakeBag::PutText(const wchar_t* name, const std::wstring& text) {
  Put(name, BstrVariant(text.c_str()));
}

ParentWindow::ParentWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"PelZorvickTestParent";
  RegisterClassW(&wc);
  hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                          400, 300, nullptr, nullptr, wc.hInstance, nullptr);
  ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

ParentWindow::~ParentWindow() { Destroy(); }

void ParentWindow::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

void ParentWindow::Post(std::function<void()> f) {
  auto* task = new std::function<void()>(std::move(f));
  if (!PostMessageW(hwnd_, kRunPosted, 0, reinterpret_cast<LPARAM>(task))) delete task;
}

LRESULT CALLBACK ParentWindow::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kRunPosted) {
    std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()>*>(lparam));
    (*task)();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::seconds limit) {
  const auto give_up = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > give_up) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    PumpMessages();
  }
  return true;
}

MarkerCommand::MarkerCommand(const wchar_t* name) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  file = std::wstring(temp) + name;
  DeleteFileW(file.c_str());
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  command = std::wstring(system) + L"\\cmd.exe /c echo ran> \"" + file + L"\"";
}

MarkerCommand::~MarkerCommand() {
  Sleep(200);  // the program may still hold the file it wrote
  DeleteFileW(file.c_str());
}

bool MarkerCommand::Ran() const {
  for (int i = 0; i < 200; ++i) {
    if (GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    Sleep(100);
  }
  return false;
}

SitedControl::SitedControl(HWND parent_window, Ambient ambient, ComPtr<IOleObject> object,
                           IPropertyBag* bag)
    : parent(parent_window), control(std::move(object)) {
  site = new FakeSite(parent, ambient);
  site->calls.Expect(kSiteOfAPlacedControl);
  if (!control) return;
  site->object = As<IOleInPlaceObject>().Get();  // the control's own: no reference kept
  control->SetClientSite(site.Get());
  if (bag) {
    As<IPersistPropertyBag>()->Load(bag, nullptr);
  } else {
    As<IPersistStreamInit>()->InitNew();
  }
}

HRESULT SitedControl::Activate() {
  const HRESULT hr =
      control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, parent, &site->rect);
  UpdateWindow(Window());
  PumpMessages();
  return hr;
}

HWND SitedControl::Window() const {
  HWND window = nullptr;
  if (auto inplace = As<IOleInPlaceObject>()) inplace->GetWindow(&window);
  return window;
}

void SitedControl::Click() const {
  const HWND surface = Surface();
  SendMessageW(surface, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageW(surface, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

ULONG SitedControl::Close() {
  if (!control) return 0;
  control->Close(OLECLOSE_NOSAVE);
  control->SetClientSite(nullptr);
  site->object = nullptr;
  return control.Reset();
}

void PutString(_ZorvickCtrl* dual, HRESULT (STDMETHODCALLTYPE _ZorvickCtrl::*put)(BSTR),
               const std::wstring& text) {
  BSTR b = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  EXPECT_EQ(S_OK, (dual->*put)(b));
  SysFreeString(b);
}

std::wstring GetString(_ZorvickCtrl* dual, HRESULT (STDMETHODCALLTYPE _ZorvickCtrl::*get)(BSTR*)) {
  BSTR b = nullptr;
  EXPECT_EQ(S_OK, (dual->*get)(&b));
  std::wstring s(b ? b : L"", SysStringLen(b));
  SysFreeString(b);
  return s;
}

ComPtr<IConnectionPoint> PointFor(IUnknown* control, REFIID iid) {
  ComPtr<IConnectionPointContainer> container;
  control->QueryInterface(IID_PPV_ARGS(&container));
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(S_OK, container->FindConnectionPoint(iid, &point));
  return point;
}

DWORD Advise(IUnknown* control, REFIID iid, IUnknown* sink) {
  DWORD cookie = 0;
  EXPECT_EQ(S_OK, PointFor(control, iid)->Advise(sink, &cookie));
  return cookie;
}

void Unadvise(IUnknown* control, REFIID iid, DWORD cookie) {
  EXPECT_EQ(S_OK, PointFor(control, iid)->Unadvise(cookie));
}

}  // namespace pelzorvick::test
