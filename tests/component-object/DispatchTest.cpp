// IDispatch by name over the embedded type library, and the error info of a
// failing Execute.

#include <gtest/gtest.h>

#include <string>

#include "component/object/DispatchIds.h"
#include "control/ZorvickCtrl.h"
#include "tests/component-object/Fakes.h"

namespace pelzorvick::test {
namespace {

std::wstring Wide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

VARIANT Str(const wchar_t* text) {
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(text);
  return v;
}

// A file that the command lookup finds and takes for a program, but that no
// loader can start.
std::wstring WriteBrokenProgram() {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"pz-object-broken.exe";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, "not a program", 13, &written, nullptr);
  CloseHandle(file);
  return path;
}

TEST(ObjectDispatch, NamesFindTheTypeLibrarysIds) {
  ComPtr<IDispatch> control = NewControl<IDispatch>();
  UINT count = 0;
  EXPECT_EQ(S_OK, control->GetTypeInfoCount(&count));
  EXPECT_EQ(1u, count);
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(S_OK, control->GetTypeInfo(0, 0, &info));
  EXPECT_EQ(DISP_E_BADINDEX, control->GetTypeInfo(1, 0, &info));

  for (const Property& p : ZorvickCtrl::kProperties) {
    std::wstring name = Wide(p.name);
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    ASSERT_EQ(S_OK, control->GetIDsOfNames(IID_NULL, names, 1, 0, &id)) << p.dispid;
    EXPECT_EQ(p.dispid, id);
  }
  std::wstring names_text[] = {L"execute", L"Click", L"Nonsense"};
  const HRESULT expected[] = {S_OK, DISP_E_UNKNOWNNAME, DISP_E_UNKNOWNNAME};
  for (int i = 0; i < 3; ++i) {
    LPOLESTR names[] = {names_text[i].data()};
    DISPID id = 0;
    EXPECT_EQ(expected[i], control->GetIDsOfNames(IID_NULL, names, 1, 0, &id)) << i;
    if (i == 0) {
      EXPECT_EQ(kDispidExecute, id);
    }
  }
  LPOLESTR names[] = {names_text[0].data()};
  DISPID id = 0;
  EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, control->GetIDsOfNames(IID_IDispatch, names, 1, 0, &id));
}

TEST(ObjectDispatch, EveryPropertySetAndReadByName) {
  ComPtr<IDispatch> control = NewInitialisedControl<IDispatch>();
  for (const Property& p : ZorvickCtrl::kProperties) {
    if (p.type() != PropertyType::kString) continue;
    const std::wstring name = Wide(p.name);
    const std::wstring text = L"value of " + name + L" \u00e9\u4e2d";
    VARIANT v = Str(text.c_str());
    ASSERT_EQ(S_OK, PutByName(control.Get(), name.c_str(), v)) << name;
    VariantClear(&v);
  }
  for (const Property& p : ZorvickCtrl::kProperties) {
    if (p.type() != PropertyType::kString) continue;
    const std::wstring name = Wide(p.name);
    VARIANT v;
    ASSERT_EQ(S_OK, GetByName(control.Get(), name.c_str(), &v)) << name;
    ASSERT_EQ(VT_BSTR, V_VT(&v));
    EXPECT_EQ(L"value of " + name + L" \u00e9\u4e2d", std::wstring(V_BSTR(&v))) << name;
    VariantClear(&v);
  }

  struct {
    float put;
    float read;
  } sizes[] = {{0.0f, 9.0f}, {-4.0f, -4.0f}, {12.5f, 12.5f}, {-0.0f, 9.0f}};
  for (const auto& s : sizes) {
    VARIANT v;
    V_VT(&v) = VT_R4;
    V_R4(&v) = s.put;
    ASSERT_EQ(S_OK, PutByName(control.Get(), L"FontSize", v));
    ASSERT_EQ(S_OK, GetByName(control.Get(), L"FontSize", &v));
    ASSERT_EQ(VT_R4, V_VT(&v));
    EXPECT_EQ(s.read, V_R4(&v)) << s.put;
  }
  // A script's number or text converts through the type library.
  VARIANT text = Str(L"7");
  EXPECT_EQ(S_OK, PutByName(control.Get(), L"FontSize", text));
  VariantClear(&text);
  VARIANT v;
  GetByName(control.Get(), L"FontSize", &v);
  EXPECT_EQ(7.0f, V_R4(&v));

  for (const wchar_t* name : {L"AutoSize", L"Border"}) {
    ASSERT_EQ(S_OK, GetByName(control.Get(), name, &v));
    ASSERT_EQ(VT_BOOL, V_VT(&v));
    EXPECT_EQ(VARIANT_TRUE, V_BOOL(&v)) << name;
    V_BOOL(&v) = VARIANT_FALSE;
    ASSERT_EQ(S_OK, PutByName(control.Get(), name, v));
    ASSERT_EQ(S_OK, GetByName(control.Get(), name, &v));
    EXPECT_EQ(VARIANT_FALSE, V_BOOL(&v)) << name;
  }
}

TEST(ObjectDispatch, FailingExecuteCarriesTheErrorText) {
  const std::wstring broken = WriteBrokenProgram();
  ComPtr<IDispatch> control = NewInitialisedControl<IDispatch>();
  VARIANT v = Str(broken.c_str());
  ASSERT_EQ(S_OK, PutByName(control.Get(), L"Command", v));
  VariantClear(&v);

  // Through IDispatch: an exception with the text.
  DISPPARAMS none{};
  EXCEPINFO exception{};
  HRESULT hr = control->Invoke(kDispidExecute, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr,
                               &exception, nullptr);
  EXPECT_EQ(DISP_E_EXCEPTION, hr);
  ASSERT_NE(nullptr, exception.bstrDescription);
  EXPECT_GT(SysStringLen(exception.bstrDescription), 0u);
  const std::wstring description(exception.bstrDescription);
  EXPECT_TRUE(FAILED(exception.scode) || exception.wCode != 0);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrHelpFile);

  // Through the dual interface: the HRESULT and the thread's error info.
  ComPtr<_ZorvickCtrl> dual;
  control.As(&dual);
  ComPtr<ISupportErrorInfo> support;
  control.As(&support);
  // Every interface whose entry points may set error info says so; the
  // persistence and OLE ones too, or a container never reads their texts.
  for (const IID* iid : kControlInterfaces) {
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(*iid));
  }
  EXPECT_EQ(S_FALSE, support->InterfaceSupportsErrorInfo(IID_IUnknown));
  EXPECT_EQ(S_FALSE, support->InterfaceSupportsErrorInfo(IID_IDataObject));  // not ours
  hr = dual->Execute();
  EXPECT_TRUE(FAILED(hr));
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(S_OK, GetErrorInfo(0, &info));
  BSTR text = nullptr, source = nullptr;
  info->GetDescription(&text);
  info->GetSource(&source);
  GUID guid{};
  info->GetGUID(&guid);
  EXPECT_EQ(description, std::wstring(text));
  EXPECT_STREQ(L"PelZorvick.ZorvickCtrl", source);
  EXPECT_EQ(IID__ZorvickCtrl, guid);
  SysFreeString(text);
  SysFreeString(source);
  DeleteFileW(broken.c_str());
}

TEST(ObjectDispatch, ExecuteStartsAProgram) {
  const MarkerCommand marker(L"pz-object-ran.txt");
  ComPtr<IDispatch> control = NewInitialisedControl<IDispatch>();
  VARIANT v = Str(marker.command.c_str());
  ASSERT_EQ(S_OK, PutByName(control.Get(), L"Command", v));
  VariantClear(&v);
  DISPPARAMS none{};
  ASSERT_EQ(S_OK, control->Invoke(kDispidExecute, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr,
                                  nullptr, nullptr));
  EXPECT_TRUE(marker.Ran());
}

}  // namespace
}  // namespace pelzorvick::test
