// The container's own pieces, under Wine, without the control.
#include <windows.h>
#include <olectl.h>

#include <cmath>

#include <gtest/gtest.h>

#include "component/com/ComPtr.h"
#include "component/object/DispatchIds.h"
#include "host/EventSink.h"
#include "host/HostFrame.h"
#include "host/HostPropertyBag.h"
#include "host/HostSite.h"
#include "host/MessageWatcher.h"
#include "host/Screenshot.h"

namespace pelzorvick {
namespace {

PropertySection Section(const char* text) {
  return ParsePropertyFile(text, "t").sections.at(0);
}

struct Bstr {
  BSTR b;
  explicit Bstr(const wchar_t* s) : b(SysAllocString(s)) {}
  ~Bstr() { SysFreeString(b); }
};

HRESULT Read(IPropertyBag* bag, const wchar_t* name, VARTYPE vt, VARIANT* out) {
  VariantInit(out);
  V_VT(out) = vt;
  return bag->Read(name, out, nullptr);
}

TEST(HostPropertyBag, ReadsNaturalTypesAndCoercesOnRequest) {
  PropertySection s = Section(
      "Text = \"Hello\"\nAutoSize = False\nCount = 42\nFontSize = 12.5\nBig = 3000000000\n"
      "Word = \"abc\"\nNum = \"7.5\"\n");
  ComPtr<HostPropertyBag> bag(new HostPropertyBag(s));
  VARIANT v;
  ASSERT_EQ(Read(bag.Get(), L"text", VT_EMPTY, &v), S_OK);
  EXPECT_EQ(V_VT(&v), VT_BSTR);
  EXPECT_STREQ(V_BSTR(&v), L"Hello");
  VariantClear(&v);
  ASSERT_EQ(Read(bag.Get(), L"AutoSize", VT_EMPTY, &v), S_OK);
  EXPECT_EQ(V_VT(&v), VT_BOOL);
  EXPECT_EQ(V_BOOL(&v), VARIANT_FALSE);
  ASSERT_EQ(Read(bag.Get(), L"Count", VT_EMPTY, &v), S_OK);
  EXPECT_EQ(V_VT(&v), VT_I4);
  EXPECT_EQ(V_I4(&v), 42);
  ASSERT_EQ(Read(bag.Get(), L"FontSize", VT_EMPTY, &v), S_OK);
  EXPECT_EQ(V_VT(&v), VT_R8);
  EXPECT_DOUBLE_EQ(V_R8(&v), 12.5);
  ASSERT_EQ(Read(bag.Get(), L"Big", VT_EMPTY, &v), S_OK);
  EXPECT_EQ(V_VT(&v), VT_R8);

  // Asked types: numbers and truth values read as their text, text that is
  // a number reads as one (whatever the user's decimal separator), other
  // text is a type mismatch.
  ASSERT_EQ(Read(bag.Get(), L"FontSize", VT_R4, &v), S_OK);
  EXPECT_EQ(V_VT(&v), VT_R4);
  EXPECT_FLOAT_EQ(V_R4(&v), 12.5f);
  ASSERT_EQ(Read(bag.Get(), L"FontSize", VT_BSTR, &v), S_OK);
  EXPECT_STREQ(V_BSTR(&v), L"12.5");
  VariantClear(&v);
  ASSERT_EQ(Read(bag.Get(), L"AutoSize", VT_BSTR, &v), S_OK);
  EXPECT_STREQ(V_BSTR(&v), L"False");
  VariantClear(&v);
  ASSERT_EQ(Read(bag.Get(), L"Num", VT_R4, &v), S_OK);
  EXPECT_FLOAT_EQ(V_R4(&v), 7.5f);
  EXPECT_EQ(Read(bag.Get(), L"Word", VT_R4, &v), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Read(bag.Get(), L"Word", VT_BOOL, &v), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Read(bag.Get(), L"Missing", VT_BSTR, &v), E_INVALIDARG);
}

TEST(HostPropertyBag, SavingKeepsUnknownKeysAndDropsLeftOutDefaults) {
  PropertySection s = Section(
      "' kept\nControl = \"Button\"\nBorder = False\nMystery = \"x\"\"y\"\nFontSize = 9\n");
  ComPtr<HostPropertyBag> bag(new HostPropertyBag(s));
  VARIANT v;
  for (const wchar_t* name : {L"Control", L"Border", L"FontSize", L"Text"}) {
    Read(bag.Get(), name, VT_EMPTY, &v);
    VariantClear(&v);
  }
  bag->BeginSave();
  IPropertyBag* const written = bag.Get();  // as the control writes: through the interface
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(L"Text");
  EXPECT_EQ(written->Write(L"Control", &v), S_OK);
  VariantClear(&v);
  V_VT(&v) = VT_R4;
  V_R4(&v) = 12.5f;
  EXPECT_EQ(written->Write(L"FontSize", &v), S_OK);
  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = VARIANT_TRUE;
  EXPECT_EQ(written->Write(L"AutoSize", &v), S_OK);
  V_VT(&v) = VT_UNKNOWN;
  V_UNKNOWN(&v) = bag.Get();
  EXPECT_EQ(written->Write(L"Picture", &v), E_INVALIDARG);  // nothing a line holds
  bag->EndSave();
  PropertyFile f;
  f.newline = "\n";
  f.sections.push_back(s);
  // Border was read but not written: the control left out its default.
  EXPECT_EQ(WritePropertyFile(f, "t"),
            "' kept\nControl = \"Text\"\nMystery = \"x\"\"y\"\nFontSize = 12.5\nAutoSize = True\n");
  EXPECT_EQ(bag->WriteFailure(), u"Picture");
}

TEST(HostPropertyBag, ConvertsEveryVariantAFileCanHold) {
  VARIANT v;
  VariantInit(&v);
  FileValue out;
  V_VT(&v) = VT_I2;
  V_I2(&v) = -9;
  ASSERT_EQ(VariantToValue(v, &out), S_OK);
  EXPECT_EQ(out, FileValue::Number(u"-9"));
  V_VT(&v) = VT_R8;
  V_R8(&v) = 0.1;
  ASSERT_EQ(VariantToValue(v, &out), S_OK);
  EXPECT_EQ(out, FileValue::Number(u"0.1"));
  V_VT(&v) = VT_R4;
  V_R4(&v) = INFINITY;
  EXPECT_EQ(VariantToValue(v, &out), E_INVALIDARG);
  V_VT(&v) = VT_DATE;
  EXPECT_EQ(VariantToValue(v, &out), E_INVALIDARG);
}

TEST(HostSite, AnswersTheAmbientProperties) {
  HostFrame frame;
  for (const bool user_mode : {true, false}) {
    ComPtr<HostSite> site(new HostSite(frame, L"Control7", user_mode));
    ComPtr<IDispatch> ambient;
    ASSERT_EQ(site.As(&ambient), S_OK);
    DISPPARAMS none{};
    VARIANT v;
    ASSERT_EQ(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                              &v, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(V_VT(&v), VT_BOOL);
    EXPECT_EQ(V_BOOL(&v), user_mode ? VARIANT_TRUE : VARIANT_FALSE);
    ASSERT_EQ(ambient->Invoke(DISPID_AMBIENT_DISPLAYNAME, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                              &v, nullptr, nullptr),
              S_OK);
    EXPECT_STREQ(V_BSTR(&v), L"Control7");
    VariantClear(&v);
    ASSERT_EQ(ambient->Invoke(DISPID_AMBIENT_FONT, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &v,
                              nullptr, nullptr),
              S_OK);
    EXPECT_EQ(V_VT(&v), VT_DISPATCH);
    ComPtr<IFont> font;
    ASSERT_EQ(V_DISPATCH(&v)->QueryInterface(IID_PPV_ARGS(&font)), S_OK);
    VariantClear(&v);
    EXPECT_EQ(ambient->Invoke(12345, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &v, nullptr,
                              nullptr),
              DISP_E_MEMBERNOTFOUND);
    Bstr name(L"usermode");
    DISPID id = 0;
    EXPECT_EQ(ambient->GetIDsOfNames(IID_NULL, &name.b, 1, 0, &id), S_OK);
    EXPECT_EQ(id, DISPID_AMBIENT_USERMODE);
  }
}

TEST(EventSink, CountsClicksAndAnswersTheEventInterface) {
  ComPtr<EventSink> sink(new EventSink(u""));
  ComPtr<IDispatch> d;
  ASSERT_EQ(sink->QueryInterface(DIID___ZorvickCtrl, &d), S_OK);
  DISPPARAMS none{};
  EXPECT_EQ(d->Invoke(kDispidClick, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr,
                      nullptr),
            S_OK);
  EXPECT_EQ(sink->Clicks(), 1);
}

TEST(MessageWatcher, ClosesAModalBoxOfThisProcess) {
  MessageWatcher watcher;
  watcher.Start(true);
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(MessageBoxW(nullptr, L"Command not found!", L"PelZorvick", MB_OK), IDOK);
  EXPECT_LT(GetTickCount64() - start, 5000u);
  watcher.Stop();
  EXPECT_EQ(watcher.Seen(), 1);
}

LRESULT CALLBACK Paint(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(hwnd, GWLP_ID)));
    RECT rc;
    GetClientRect(hwnd, &rc);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// The form's picture must show the controls' windows, which paint
// themselves, and their own children.
TEST(Screenshot, CapturesTheClientAreaWithChildWindows) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Paint;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"PzPaintTest";
  RegisterClassW(&wc);
  HWND top = CreateWindowExW(0, L"PzPaintTest", L"t", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                             0, 100, 80, nullptr, reinterpret_cast<HMENU>(0), nullptr, nullptr);
  SetWindowLongPtrW(top, GWLP_ID, RGB(10, 20, 30));
  HWND child = CreateWindowExW(0, L"PzPaintTest", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                               10, 20, 40, 30, top, reinterpret_cast<HMENU>(RGB(200, 0, 0)),
                               nullptr, nullptr);
  CreateWindowExW(0, L"PzPaintTest", L"", WS_CHILD | WS_VISIBLE, 5, 5, 10, 10, child,
                  reinterpret_cast<HMENU>(RGB(0, 0, 250)), nullptr, nullptr);
  RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpMessages(50);

  Pixels p;
  ASSERT_TRUE(CaptureClient(top, &p));
  ASSERT_EQ(p.width, 100);
  ASSERT_EQ(p.height, 80);
  const auto at = [&](int x, int y) {
    const size_t i = (static_cast<size_t>(y) * p.width + x) * 3;
    return RGB(p.rgb[i], p.rgb[i + 1], p.rgb[i + 2]);
  };
  EXPECT_EQ(at(0, 0), RGB(10, 20, 30));
  EXPECT_EQ(at(99, 79), RGB(10, 20, 30));
  EXPECT_EQ(at(10, 20), RGB(200, 0, 0));
  EXPECT_EQ(at(49, 49), RGB(200, 0, 0));
  EXPECT_EQ(at(50, 50), RGB(10, 20, 30));
  EXPECT_EQ(at(15, 25), RGB(0, 0, 250));
  EXPECT_EQ(at(24, 34), RGB(0, 0, 250));
  DestroyWindow(top);
}

}  // namespace
}  // namespace pelzorvick
