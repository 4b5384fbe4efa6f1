#include "tests/component-object/Fakes.h"

#include <gtest/gtest.h>

namespace pelzorvick::test {
namespace {

// OLE for the test thread, for every test.
class OleEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }
};
[[maybe_unused]] ::testing::Environment* const g_ole =
    ::testing::AddGlobalTestEnvironment(new OleEnvironment);

LRESULT CALLBACK ParentProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

DISPID IdOf(IDispatch* object, const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return DISPID_UNKNOWN;
  return id;
}

}  // namespace

HRESULT FakeSite::OnPosRectChange(LPCRECT pos) {
  pos_rect_changes.push_back(*pos);
  if (place_on_request) {
    rect = *pos;
    if (object) object->SetObjectRects(pos, pos);
  }
  return S_OK;
}

HRESULT FakeSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                         UINT*) {
  if (id != DISPID_AMBIENT_USERMODE) return DISP_E_MEMBERNOTFOUND;
  ++user_mode_asks;
  if (ambient_ == Ambient::kNoUserMode) return DISP_E_MEMBERNOTFOUND;
  if (!result) return E_POINTER;
  V_VT(result) = VT_BOOL;
  V_BOOL(result) = ambient_ == Ambient::kRunning ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

FakeBag::~FakeBag() {
  for (auto& entry : values) VariantClear(&entry.second);
}

HRESULT FakeBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
  auto it = values.find(name);
  if (it == values.end()) return E_INVALIDARG;
  const VARTYPE wanted = V_VT(value);
  if (wanted == VT_EMPTY) return VariantCopy(value, &it->second);
  return VariantChangeType(value, &it->second, 0, wanted);
}

HRESULT FakeBag::Write(LPCOLESTR name, VARIANT* value) {
  VARIANT copy;
  VariantInit(&copy);
  const HRESULT hr = VariantCopy(&copy, value);
  if (FAILED(hr)) return hr;
  auto [it, added] = values.try_emplace(name, copy);
  if (!added) {
    VariantClear(&it->second);
    it->second = copy;
  }
  return S_OK;
}

ParentWindow::ParentWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ParentProcedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"PelZorvickTestParent";
  RegisterClassW(&wc);
  hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                          400, 300, nullptr, nullptr, wc.hInstance, nullptr);
  ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

ParentWindow::~ParentWindow() { DestroyWindow(hwnd_); }

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

HRESULT PutByName(IDispatch* object, const wchar_t* name, VARIANT value) {
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &put, 1, 1};
  return object->Invoke(IdOf(object, name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT,
                        &params, nullptr, nullptr, nullptr);
}

HRESULT GetByName(IDispatch* object, const wchar_t* name, VARIANT* value) {
  DISPPARAMS none{};
  VariantInit(value);
  return object->Invoke(IdOf(object, name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                        &none, value, nullptr, nullptr);
}

}  // namespace pelzorvick::test
