#include "component/object/WinPropertyBag.h"

#include <functional>
#include <map>
#include <vector>
#include <string>

#include <gtest/gtest.h>

#include "common/ComError.h"
#include "component/com/WideString.h"
#include "tests/support/BagReads.h"
#include "tests/support/ErrorCode.h"

namespace pelzorvick {
namespace {

using test::ErrorCodeOf;
using test::ExpectBools;

// A container's bag: typed values by name, an absent name answered with a
// configurable failure.
class FakePropertyBag : public IPropertyBag {
 public:
  explicit FakePropertyBag(HRESULT absent = E_INVALIDARG) : absent_(absent) {}
  ~FakePropertyBag() {
    for (auto& [name, value] : values_) VariantClear(&value);
  }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IPropertyBag) {
      *out = static_cast<IPropertyBag*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }  // lives on the stack

  STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override {
    last_log_ = log;
    auto it = values_.find(name);
    if (it == values_.end()) return absent_;
    return VariantCopy(value, &it->second);
  }
  STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override {
    if (FAILED(write_result_)) return write_result_;
    VARIANT& slot = values_[name];
    VariantClear(&slot);
    order_.push_back(name);
    return VariantCopy(&slot, value);
  }

  void Put(const wchar_t* name, VARIANT value) {
    VARIANT& slot = values_[name];
    VariantClear(&slot);
    slot = value;  // takes ownership
  }
  void PutString(const wchar_t* name, std::u16string_view text) {
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = MakeBstr(text);
    Put(name, v);
  }
  template <typename Setter>
  void PutTyped(const wchar_t* name, VARTYPE type, Setter set) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = type;
    set(v);
    Put(name, v);
  }
  const VARIANT* Get(const wchar_t* name) const {
    auto it = values_.find(name);
    return it == values_.end() ? nullptr : &it->second;
  }

  ULONG refs_ = 1;
  HRESULT absent_;
  HRESULT write_result_ = S_OK;
  IErrorLog* last_log_ = nullptr;
  std::map<std::wstring, VARIANT> values_;
  std::vector<std::wstring> order_;
};

TEST(WinPropertyBagTest, AbsentAndEmptyValuesGiveTheDefaults) {
  FakePropertyBag fake(E_INVALIDARG);
  fake.PutTyped(L"Empty", VT_EMPTY, [](VARIANT&) {});
  WinPropertyBag bag(&fake);
  EXPECT_EQ(bag.ReadString(u"Text", u"def"), u"def");
  EXPECT_EQ(bag.ReadSingle(u"FontSize", 9), 9.0f);
  EXPECT_TRUE(bag.ReadBool(u"Border", true));
  EXPECT_EQ(bag.ReadString(u"Empty", u"def"), u"def");
  EXPECT_EQ(bag.ReadSingle(u"Empty", 9), 9.0f);
  EXPECT_FALSE(bag.ReadBool(u"Empty", false));
}

// Any other failure is the bag's, not absence: defaults read in its place
// would later be saved over the stored values.
TEST(WinPropertyBagTest, OtherReadFailuresThrowTheBagsCode) {
  for (HRESULT failure : {E_FAIL, E_OUTOFMEMORY, STG_E_ACCESSDENIED, E_UNEXPECTED}) {
    FakePropertyBag fake(failure);
    WinPropertyBag bag(&fake);
    EXPECT_EQ(failure, ErrorCodeOf([&] { bag.ReadString(u"Text", u"def"); }));
    EXPECT_EQ(failure, ErrorCodeOf([&] { bag.ReadSingle(u"FontSize", 9); }));
    EXPECT_EQ(failure, ErrorCodeOf([&] { bag.ReadBool(u"Border", true); }));
  }
}

TEST(WinPropertyBagTest, ValuesConvertToTheAskedType) {
  FakePropertyBag fake;
  fake.PutString(L"Text", u"hello \u65E5\u672C");
  fake.PutString(L"NumberText", u"12");
  fake.PutString(L"TrueText", u"True");
  fake.PutString(L"ZeroText", u"0");
  fake.PutTyped(L"Single", VT_R4, [](VARIANT& v) { V_R4(&v) = 12.5f; });
  fake.PutTyped(L"Short", VT_I2, [](VARIANT& v) { V_I2(&v) = -7; });
  fake.PutTyped(L"Long", VT_I4, [](VARIANT& v) { V_I4(&v) = 5; });
  fake.PutTyped(L"Double", VT_R8, [](VARIANT& v) { V_R8(&v) = 0.25; });
  fake.PutTyped(L"True", VT_BOOL, [](VARIANT& v) { V_BOOL(&v) = VARIANT_TRUE; });
  fake.PutTyped(L"False", VT_BOOL, [](VARIANT& v) { V_BOOL(&v) = VARIANT_FALSE; });
  WinPropertyBag bag(&fake);

  EXPECT_EQ(bag.ReadString(u"Text", u""), u"hello \u65E5\u672C");
  EXPECT_EQ(bag.ReadSingle(u"NumberText", 0), 12.0f);
  EXPECT_EQ(bag.ReadSingle(u"Single", 0), 12.5f);
  EXPECT_EQ(bag.ReadSingle(u"Short", 0), -7.0f);
  EXPECT_EQ(bag.ReadSingle(u"Double", 0), 0.25f);
  EXPECT_EQ(bag.ReadSingle(u"True", 0), -1.0f);
  ExpectBools(bag, {{u"TrueText", true}, {u"ZeroText", false}, {u"Long", true}, {u"False", false},
                    {u"Short", true}});
}

TEST(WinPropertyBagTest, NumbersAndBooleansReadAsTextUnderStringKeys) {
  FakePropertyBag fake;
  fake.PutTyped(L"Short", VT_I2, [](VARIANT& v) { V_I2(&v) = -7; });
  fake.PutTyped(L"True", VT_BOOL, [](VARIANT& v) { V_BOOL(&v) = VARIANT_TRUE; });
  fake.PutTyped(L"False", VT_BOOL, [](VARIANT& v) { V_BOOL(&v) = VARIANT_FALSE; });
  fake.PutTyped(L"Single", VT_R4, [](VARIANT& v) { V_R4(&v) = 12.5f; });
  WinPropertyBag bag(&fake);
  EXPECT_EQ(bag.ReadString(u"Short", u""), u"-7");
  EXPECT_EQ(bag.ReadString(u"True", u""), u"True");
  EXPECT_EQ(bag.ReadString(u"False", u""), u"False");
  // The user's decimal separator sits between the digits.
  std::u16string single = bag.ReadString(u"Single", u"");
  ASSERT_EQ(single.size(), 4u);
  EXPECT_EQ(single.substr(0, 2), u"12");
  EXPECT_EQ(single.substr(3), u"5");
}

TEST(WinPropertyBagTest, UnconvertibleValuesThrowTheTypeMismatch) {
  FakePropertyBag fake;
  fake.PutString(L"Abc", u"abc");
  fake.PutTyped(L"Null", VT_NULL, [](VARIANT&) {});
  fake.PutTyped(L"Huge", VT_R8, [](VARIANT& v) { V_R8(&v) = 1e300; });
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 2);
  fake.PutTyped(L"Array", VT_ARRAY | VT_I4, [&](VARIANT& v) { V_ARRAY(&v) = array; });
  WinPropertyBag bag(&fake);
  EXPECT_EQ(ErrorCodeOf([&] { bag.ReadSingle(u"Abc", 9); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorCodeOf([&] { bag.ReadBool(u"Abc", true); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorCodeOf([&] { bag.ReadString(u"Null", u""); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorCodeOf([&] { bag.ReadSingle(u"Null", 9); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorCodeOf([&] { bag.ReadSingle(u"Huge", 9); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorCodeOf([&] { bag.ReadString(u"Array", u""); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorCodeOf([&] { bag.ReadBool(u"Array", false); }), errc::kTypeMismatch);
}

TEST(WinPropertyBagTest, WritesTheThreeTypesDefaultsIncluded) {
  FakePropertyBag fake;
  {
    WinPropertyBag bag(&fake);
    bag.WriteString(u"Text", std::u16string(u"a\0b", 3), u"");
    bag.WriteString(u"Empty", u"", u"");
    bag.WriteSingle(u"FontSize", 12.5f, 9);
    bag.WriteBool(u"Border", true, true);
    bag.WriteBool(u"AutoSize", false, true);
  }
  EXPECT_EQ(fake.refs_, 1u);  // the adapter gave its reference back
  ASSERT_EQ(fake.order_.size(), 5u);
  const VARIANT* text = fake.Get(L"Text");
  ASSERT_EQ(V_VT(text), VT_BSTR);
  EXPECT_EQ(FromBstr(V_BSTR(text)), std::u16string(u"a\0b", 3));
  EXPECT_EQ(V_VT(fake.Get(L"Empty")), VT_BSTR);
  ASSERT_EQ(V_VT(fake.Get(L"FontSize")), VT_R4);
  EXPECT_EQ(V_R4(fake.Get(L"FontSize")), 12.5f);
  ASSERT_EQ(V_VT(fake.Get(L"Border")), VT_BOOL);
  EXPECT_EQ(V_BOOL(fake.Get(L"Border")), VARIANT_TRUE);
  EXPECT_EQ(V_BOOL(fake.Get(L"AutoSize")), VARIANT_FALSE);

  WinPropertyBag again(&fake);
  EXPECT_EQ(again.ReadString(u"Text", u""), std::u16string(u"a\0b", 3));
  EXPECT_EQ(again.ReadSingle(u"FontSize", 9), 12.5f);
  EXPECT_FALSE(again.ReadBool(u"AutoSize", true));
}

TEST(WinPropertyBagTest, AFailedWriteThrowsTheBagsCode) {
  FakePropertyBag fake;
  fake.write_result_ = STG_E_MEDIUMFULL;
  WinPropertyBag bag(&fake);
  EXPECT_EQ(ErrorCodeOf([&] { bag.WriteBool(u"Border", true, true); }), static_cast<int32_t>(STG_E_MEDIUMFULL));
}

TEST(WinPropertyBagTest, TheErrorLogIsPassedToTheBag) {
  FakePropertyBag fake;
  FakePropertyBag not_really_a_log;  // any object serves as the pointer
  auto* log = reinterpret_cast<IErrorLog*>(static_cast<IUnknown*>(&not_really_a_log));
  {
    WinPropertyBag bag(&fake, log);
    bag.ReadString(u"Anything", u"");
    EXPECT_EQ(fake.last_log_, log);
  }
  EXPECT_EQ(not_really_a_log.refs_, 1u);
}

}  // namespace
}  // namespace pelzorvick
