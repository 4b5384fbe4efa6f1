// Nothing is lost on load and save: a bag that fails is no empty bag, a
// failed image is no change to be saved, a failed write (or a string that
// cannot be allocated for it) reaches the container. Through the built
// .ocx's exports.

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/component-object/Fakes.h"
#include "tests/component-object/OcxClient.h"
#include "tests/support/Rows.h"

// Exported by oleaut32, declared by none of mingw's headers; its import
// library names it undecorated (it takes nothing, so the convention is moot).
extern "C" void SetOaNoCache();

namespace pelzorvick::test {
namespace {

std::wstring Get(IDispatch* control, const wchar_t* name) {
  return GetText(control, name, VARIANT_ALPHABOOL);
}

// The stored launcher: a picture mode, so that a load read to the end would
// fetch its icon.
void Store(FakeBag& bag) {
  bag.PutText(L"Control", L"Icon");
  bag.PutText(L"Text", L"stored caption");
  bag.PutText(L"Command", L"C:\\windows\\system32\\cmd.exe");
  bag.PutText(L"Command2", L"stored second");
  VARIANT off;
  V_VT(&off) = VT_BOOL;
  V_BOOL(&off) = VARIANT_FALSE;
  bag.Put(L"Border", off);
}

// A running container's site, asked for nothing but ambient properties.
ComPtr<FakeSite> SiteOf(IOleObject* ole) {
  ComPtr<FakeSite> site(new FakeSite(nullptr, Ambient::kRunning));
  site->calls.Expect({"Invoke"});
  ole->SetClientSite(site.Get());
  return site;
}

struct ReadFailure {
  const char* name;
  HRESULT failure;
};

class BagReadFails : public OcxTest, public ::testing::WithParamInterface<ReadFailure> {};

TEST_P(BagReadFails, StopsTheLoadAndReachesTheContainer) {
  ComPtr<IDispatch> control = ocx.Create<IDispatch>();
  ASSERT_TRUE(control);
  {
    ComPtr<IOleObject> ole;
    control.As(&ole);
    ComPtr<FakeSite> site = SiteOf(ole.Get());
    ComPtr<IPersistPropertyBag> persist;
    control.As(&persist);
    ComPtr<FakeBag> bag(new FakeBag);
    bag->calls.Expect({"Read"});
    Store(*bag.Get());
    bag->failing_key = L"Command1";
    bag->failure = GetParam().failure;
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(GetParam().failure, persist->Load(bag.Get(), nullptr));
    EXPECT_NE(L"", ErrorDescription());
    // Read up to the failure, and no further.
    EXPECT_EQ("Read(Command1)", bag->calls.Lines().back());
    EXPECT_EQ(L"Icon", Get(control.Get(), L"Control"));
    EXPECT_EQ(L"stored caption", Get(control.Get(), L"Text"));
    // Not read: creation values, not the defaults of an empty bag.
    EXPECT_EQ(L"", Get(control.Get(), L"Command2"));
    EXPECT_EQ(L"False", Get(control.Get(), L"Border"));
    ole->SetClientSite(nullptr);
  }
  EXPECT_EQ(0u, control.Reset());
  EXPECT_EQ(S_OK, ocx.CanUnloadNow());
}

INSTANTIATE_TEST_SUITE_P(Failures, BagReadFails,
                         ::testing::Values(ReadFailure{"OutOfMemory", E_OUTOFMEMORY},
                                           ReadFailure{"AccessDenied", STG_E_ACCESSDENIED},
                                           ReadFailure{"Fail", E_FAIL},
                                           ReadFailure{"Unexpected", E_UNEXPECTED}),
                         RowName());

using BagRead = OcxTest;

// "Not in the bag" (E_INVALIDARG) and an empty value read as the default.
TEST_F(BagRead, AbsenceReadsAsTheDefault) {
  ComPtr<IDispatch> control = ocx.Create<IDispatch>();
  ASSERT_TRUE(control);
  {
    ComPtr<IPersistPropertyBag> persist;
    control.As(&persist);
    ComPtr<FakeBag> bag(new FakeBag);
    bag->calls.Expect({"Read"});
    VARIANT empty;
    VariantInit(&empty);
    bag->Put(L"Border", empty);
    EXPECT_EQ(S_OK, persist->Load(bag.Get(), nullptr));
    EXPECT_EQ(L"True", Get(control.Get(), L"Border"));
    EXPECT_EQ(L"9", Get(control.Get(), L"FontSize"));
  }
  EXPECT_EQ(0u, control.Reset());
}

using LoadDirty = OcxTest;

// A load leaves the control clean, also when its image fails: saved after a
// passing network failure, it would keep the failure text for good.
TEST_F(LoadDirty, NeverEvenWhenItsImageFails) {
  const struct {
    const wchar_t* mode;
    const wchar_t* url;
    const wchar_t* control;  // once the image has failed, or at once
  } cases[] = {
      {L"Image", L"C:\\no\\such\\picture.bmp", L"Text"},
      {L"Image", L"\\\\127.0.0.1\\share\\picture.bmp", L"Text"},
      {L"Text", L"C:\\no\\such\\picture.bmp", L"Text"},
      {L"Image", L"", L"Image"},
  };
  for (const auto& c : cases) {
    ComPtr<IDispatch> control = ocx.Create<IDispatch>();
    ASSERT_TRUE(control);
    {
      ComPtr<IOleObject> ole;
      control.As(&ole);
      ComPtr<FakeSite> site = SiteOf(ole.Get());
      ComPtr<FakeBag> bag(new FakeBag);
      bag->calls.Expect({"Read"});
      bag->PutText(L"Control", c.mode);
      bag->PutText(L"ImageURL", c.url);
      ComPtr<IPersistPropertyBag> persist;
      control.As(&persist);
      ASSERT_EQ(S_OK, persist->Load(bag.Get(), nullptr));
      EXPECT_TRUE(PumpUntil([&] { return Get(control.Get(), L"Control") == c.control; }))
          << c.mode << " " << c.url;
      ComPtr<IPersistStreamInit> stream_persist;
      control.As(&stream_persist);
      EXPECT_EQ(S_FALSE, stream_persist->IsDirty()) << c.mode << " " << c.url;
      ole->SetClientSite(nullptr);
    }
    EXPECT_EQ(0u, control.Reset());
  }
  EXPECT_EQ(S_OK, ocx.CanUnloadNow());
}

using SaveFails = OcxTest;

// A write that fails reaches the container with its code and error info;
// what was written before stays, and the control stays dirty.
TEST_F(SaveFails, ReachesTheContainer) {
  ComPtr<IDispatch> control = ocx.Create<IDispatch>();
  ASSERT_TRUE(control);
  for (const wchar_t* key : {L"BackColor", L"Text", L"FontSize", L"Border"}) {
    ComPtr<IPersistPropertyBag> persist;
    control.As(&persist);
    ASSERT_EQ(S_OK, PutText(control.Get(), L"Text", L"unsaved"));
    ComPtr<FakeBag> bag(new FakeBag);
    bag->calls.Expect({"Write"});
    bag->failing_key = key;
    bag->failure = STG_E_MEDIUMFULL;
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(STG_E_MEDIUMFULL, persist->Save(bag.Get(), TRUE, TRUE)) << key;
    EXPECT_NE(L"", ErrorDescription());
    EXPECT_EQ(0u, bag->values.count(key));
    ComPtr<IPersistStreamInit> stream_persist;
    control.As(&stream_persist);
    EXPECT_EQ(S_OK, stream_persist->IsDirty());
  }
  EXPECT_EQ(0u, control.Reset());
  EXPECT_EQ(S_OK, ocx.CanUnloadNow());
}

// Fails every allocation of the task allocator while armed (strings come
// from it once the string cache is off).
class FailingAllocations : public ComBase<Implements<IMallocSpy>> {
 public:
  bool armed = false;
  SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return armed ? 0 : size; }
  void* STDMETHODCALLTYPE PostAlloc(void* p) override { return p; }
  void* STDMETHODCALLTYPE PreFree(void* p, BOOL) override { return p; }
  void STDMETHODCALLTYPE PostFree(BOOL) override {}
  SIZE_T STDMETHODCALLTYPE PreRealloc(void* p, SIZE_T size, void** out, BOOL) override {
    *out = p;
    return armed ? 0 : size;
  }
  void* STDMETHODCALLTYPE PostRealloc(void* p, BOOL) override { return p; }
  void* STDMETHODCALLTYPE PreGetSize(void* p, BOOL) override { return p; }
  SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
  void* STDMETHODCALLTYPE PreDidAlloc(void* p, BOOL) override { return p; }
  int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  void STDMETHODCALLTYPE PreHeapMinimize() override {}
  void STDMETHODCALLTYPE PostHeapMinimize() override {}
};

// The first string written cannot be allocated: the save fails with
// E_OUTOFMEMORY, writes nothing and leaves the control dirty.
TEST_F(SaveFails, WhenAStringCannotBeAllocated) {
  ComPtr<IDispatch> control = ocx.Create<IDispatch>();
  ASSERT_TRUE(control);
  ASSERT_EQ(S_OK, PutText(control.Get(), L"Text", L"unsaved"));
  ComPtr<IPersistPropertyBag> persist;
  control.As(&persist);
  ComPtr<FakeBag> bag(new FakeBag);
  bag->calls.Expect({"Write"});
  SetOaNoCache();
  ComPtr<FailingAllocations> spy(new FailingAllocations);
  ASSERT_EQ(S_OK, CoRegisterMallocSpy(spy.Get()));
  spy->armed = true;
  const HRESULT saved = persist->Save(bag.Get(), TRUE, TRUE);
  spy->armed = false;
  CoRevokeMallocSpy();
  EXPECT_EQ(E_OUTOFMEMORY, saved);
  EXPECT_TRUE(bag->values.empty());
  ComPtr<IPersistStreamInit> stream_persist;
  control.As(&stream_persist);
  EXPECT_EQ(S_OK, stream_persist->IsDirty());
  persist.Reset();
  stream_persist.Reset();
  EXPECT_EQ(0u, control.Reset());
}

}  // namespace
}  // namespace pelzorvick::test

