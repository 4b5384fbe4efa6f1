// Identity, reference counts, unloading, and the orders in which containers
// hand over the site and the properties.

#include <objsafe.h>

#include <gtest/gtest.h>

#include "component/com/Module.h"
#include "tests/component-object/Fakes.h"
#include "tests/support/Rows.h"

namespace pelzorvick::test {
namespace {

TEST(ObjectLifetime, EveryInterfaceHasOneIdentityAndLeadsBack) {
  ComPtr<IUnknown> control = NewControl<IUnknown>();
  ASSERT_TRUE(control);
  for (const IID* iid : kControlInterfaces) {
    ComPtr<IUnknown> itf;
    ASSERT_EQ(S_OK, control->QueryInterface(*iid, reinterpret_cast<void**>(itf.GetAddressOf())));
    ComPtr<IUnknown> identity;
    ASSERT_EQ(S_OK, itf->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.GetAddressOf())));
    EXPECT_EQ(control.Get(), identity.Get());
    // Symmetric and transitive: every listed interface from every other.
    for (const IID* other : kControlInterfaces) {
      ComPtr<IUnknown> back;
      EXPECT_EQ(S_OK, itf->QueryInterface(*other, reinterpret_cast<void**>(back.GetAddressOf())));
    }
  }
}

// Not in mingw's uuid library.
constexpr IID kIidDispatchEx = {0xA6EF9860, 0xC720, 0x11D0, {0x93, 0x37, 0x00, 0xA0, 0xC9, 0x0D, 0xCA, 0xA9}};

TEST(ObjectLifetime, RefusesWhatItDoesNotImplement) {
  ComPtr<IUnknown> control = NewControl<IUnknown>();
  const IID* refused[] = {&IID_IObjectSafety, &IID_IOleInPlaceObjectWindowless, &IID_IDataObject,
                          &IID_IPersistFile, &kIidDispatchEx};
  for (const IID* iid : refused) {
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, control->QueryInterface(*iid, &p));
    EXPECT_EQ(nullptr, p);
  }
}

TEST(ObjectLifetime, LastReleaseDestroysAndTheModuleMayUnload) {
  ASSERT_TRUE(Module::CanUnload());
  IUnknown* raw = nullptr;
  ASSERT_EQ(S_OK, CreateZorvickObject(IID_IUnknown, reinterpret_cast<void**>(&raw)));
  EXPECT_FALSE(Module::CanUnload());
  IOleObject* ole = nullptr;
  ASSERT_EQ(S_OK, raw->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)));
  IConnectionPointContainer* points = nullptr;
  raw->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points));
  IConnectionPoint* point = nullptr;
  ASSERT_EQ(S_OK, points->FindConnectionPoint(DIID___ZorvickCtrl, &point));
  EXPECT_EQ(3u, ole->Release());
  EXPECT_EQ(2u, points->Release());
  // A connection point keeps the control alive.
  EXPECT_EQ(1u, raw->Release());
  EXPECT_FALSE(Module::CanUnload());
  EXPECT_EQ(0u, point->Release());
  EXPECT_TRUE(Module::CanUnload());
}

TEST(ObjectLifetime, UnsupportedAggregationAndBadArguments) {
  EXPECT_EQ(E_POINTER, CreateZorvickObject(IID_IUnknown, nullptr));
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, CreateZorvickObject(IID_IClassFactory, &p));
  EXPECT_EQ(nullptr, p);
  EXPECT_TRUE(Module::CanUnload());
}

struct Order {
  const char* name;
  bool site_first;
  bool load;  // stored properties instead of fresh ones
};

class ObjectStartOrder : public ::testing::TestWithParam<Order> {};

TEST_P(ObjectStartOrder, SiteAndPropertiesInEitherOrder) {
  const Order order = GetParam();
  {
    ComPtr<IOleObject> control = NewControl<IOleObject>();
    ComPtr<IPersistPropertyBag> persist;
    ASSERT_EQ(S_OK, control.As(&persist));
    ComPtr<FakeSite> site(new FakeSite(nullptr, Ambient::kRunning));
    site->calls.Expect({"Invoke"});
    ComPtr<FakeBag> bag(new FakeBag);
    bag->calls.Expect({"Read"});
    bag->PutText(L"Text", L"stored");

    auto properties = [&] {
      return order.load ? persist->Load(bag.Get(), nullptr) : persist->InitNew();
    };
    if (order.site_first) {
      ASSERT_EQ(S_OK, control->SetClientSite(site.Get()));
      ASSERT_EQ(S_OK, properties());
    } else {
      ASSERT_EQ(S_OK, properties());
      ASSERT_EQ(S_OK, control->SetClientSite(site.Get()));
    }
    ComPtr<IOleClientSite> back;
    EXPECT_EQ(S_OK, control->GetClientSite(&back));
    EXPECT_EQ(static_cast<IOleClientSite*>(site.Get()), back.Get());
    back.Reset();

    ComPtr<_ZorvickCtrl> dual;
    ASSERT_EQ(S_OK, control.As(&dual));
    BSTR value = nullptr;
    ASSERT_EQ(S_OK, dual->get_Text(&value));
    EXPECT_STREQ(order.load ? L"stored" : L"", value);
    SysFreeString(value);
    float size = 0;
    ASSERT_EQ(S_OK, dual->get_FontSize(&size));
    EXPECT_EQ(9.0f, size);

    EXPECT_EQ(S_OK, control->Close(OLECLOSE_NOSAVE));
    EXPECT_EQ(S_OK, control->SetClientSite(nullptr));
    EXPECT_EQ(S_OK, control->GetClientSite(&back));
    EXPECT_EQ(nullptr, back.Get());
  }
  EXPECT_TRUE(Module::CanUnload());
}

INSTANTIATE_TEST_SUITE_P(Orders, ObjectStartOrder,
                         ::testing::Values(Order{"SiteThenInitNew", true, false},
                                           Order{"InitNewThenSite", false, false},
                                           Order{"SiteThenLoad", true, true},
                                           Order{"LoadThenSite", false, true}),
                         RowName());

TEST(ObjectLifetime, ClassAndStatusAnswers) {
  ComPtr<IOleObject> control = NewControl<IOleObject>();
  DWORD status = 0;
  EXPECT_EQ(S_OK, control->GetMiscStatus(DVASPECT_CONTENT, &status));
  EXPECT_EQ(0x00020191u, status);
  CLSID clsid{};
  EXPECT_EQ(S_OK, control->GetUserClassID(&clsid));
  EXPECT_EQ(CLSID_ZorvickCtrl, clsid);
  ComPtr<IPersistStreamInit> persist;
  ASSERT_EQ(S_OK, control.As(&persist));
  EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
  EXPECT_EQ(CLSID_ZorvickCtrl, clsid);

  ComPtr<IProvideClassInfo2> info;
  ASSERT_EQ(S_OK, control.As(&info));
  GUID source{};
  EXPECT_EQ(S_OK, info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));
  EXPECT_EQ(DIID___ZorvickCtrl, source);
  ComPtr<ITypeInfo> coclass;
  ASSERT_EQ(S_OK, info->GetClassInfo(&coclass));
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(S_OK, coclass->GetTypeAttr(&attr));
  EXPECT_EQ(TKIND_COCLASS, attr->typekind);
  EXPECT_EQ(CLSID_ZorvickCtrl, attr->guid);
  coclass->ReleaseTypeAttr(attr);
}

}  // namespace
}  // namespace pelzorvick::test
