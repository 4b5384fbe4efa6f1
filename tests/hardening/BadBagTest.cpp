// Every kind of stored value under every key of the container's bag: each
// loads as the conversion to the property's type gives it, or stops the load
// with the type mismatch; what was read before stays read, what was not
// keeps its value.

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "tests/component-object/Fakes.h"
#include "tests/hardening/Support.h"
#include "tests/support/Rows.h"

namespace pelzorvick::test {
namespace {

constexpr HRESULT kTypeMismatch = static_cast<HRESULT>(0x800A000D);

enum class Kind { kString, kSingle, kBool };

struct Key {
  const wchar_t* name;
  Kind kind;
};

// The order in which the control reads its bag.
const Key kReadOrder[] = {
    {L"Control", Kind::kString},  {L"BackColor", Kind::kString}, {L"ForeColor", Kind::kString},
    {L"FontSize", Kind::kSingle}, {L"Command", Kind::kString},   {L"Text", Kind::kString},
    {L"ImageURL", Kind::kString}, {L"Command1", Kind::kString},  {L"Command2", Kind::kString},
    {L"Command3", Kind::kString}, {L"Command4", Kind::kString},  {L"Command5", Kind::kString},
    {L"Command6", Kind::kString}, {L"Command7", Kind::kString},  {L"Command8", Kind::kString},
    {L"Command9", Kind::kString}, {L"AutoSize", Kind::kBool},    {L"Border", Kind::kBool},
};

// Objects handed to the bag; all must be gone once bag and control are.
class Counted {
 public:
  Counted() { ++live; }
  virtual ~Counted() { --live; }
  static inline int live = 0;
};

// An object whose default member (DISPID_VALUE) is the number 42, or that has
// none.
class ValueObject : public ComBase<Implements<IDispatch>>, public Counted {
 public:
  explicit ValueObject(bool has_value) : has_value_(has_value) {}
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    if (!has_value_ || id != DISPID_VALUE) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_POINTER;
    V_VT(result) = VT_I4;
    V_I4(result) = 42;
    return S_OK;
  }

 private:
  bool has_value_;
};

class PlainObject : public ComBase<Implements<IPersist>>, public Counted {
 public:
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override {
    *id = CLSID_NULL;
    return S_OK;
  }
};

// What a stored value becomes under a key of each kind; nullopt: the type
// mismatch. kPlatformText: the platform's own text of the value (dates,
// whose form follows the locale).
const wchar_t kPlatformText[] = L"<platform>";

struct Stored {
  const char* name;
  VARIANT (*make)();
  const wchar_t* as_text;
  std::optional<float> as_single;
  std::optional<bool> as_bool;
};

VARIANT Of(VARTYPE type) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = type;
  return v;
}

LONG g_by_ref_long = 5;
BSTR g_by_ref_text = nullptr;
VARIANT g_by_ref_variant;

constexpr double kDate = 45000.5;  // 15 March 2023, noon

const Stored kStored[] = {
    {"Empty", [] { return Of(VT_EMPTY); }, L"", 9.0f, true},  // as if absent
    {"Null", [] { return Of(VT_NULL); }, nullptr, std::nullopt, std::nullopt},
    {"I2", [] { VARIANT v = Of(VT_I2); V_I2(&v) = 7; return v; }, L"7", 7.0f, true},
    {"I4Negative", [] { VARIANT v = Of(VT_I4); V_I4(&v) = -123456; return v; }, L"-123456", -123456.0f, true},
    {"I4Zero", [] { VARIANT v = Of(VT_I4); V_I4(&v) = 0; return v; }, L"0", 9.0f, false},
    {"I8", [] { VARIANT v = Of(VT_I8); V_I8(&v) = 1LL << 40; return v; }, L"1099511627776", 1099511627776.0f, true},
    {"R4", [] { VARIANT v = Of(VT_R4); V_R4(&v) = 2.5f; return v; }, L"2.5", 2.5f, true},
    {"R8", [] { VARIANT v = Of(VT_R8); V_R8(&v) = -0.25; return v; }, L"-0.25", -0.25f, true},
    {"R8BeyondSingle", [] { VARIANT v = Of(VT_R8); V_R8(&v) = 1e300; return v; }, L"1E+300", std::nullopt, true},
    {"Currency", [] { VARIANT v = Of(VT_CY); V_CY(&v).int64 = 125000; return v; }, L"12.5", 12.5f, true},
    {"Date", [] { VARIANT v = Of(VT_DATE); V_DATE(&v) = kDate; return v; }, kPlatformText, 45000.5f, true},
    {"TextNumber", [] { return BstrVariant(L"12"); }, L"12", 12.0f, true},
    {"TextZero", [] { return BstrVariant(L"0"); }, L"0", 9.0f, false},
    {"TextWord", [] { return BstrVariant(L"large"); }, L"large", std::nullopt, std::nullopt},
    {"TextTrue", [] { return BstrVariant(L"True"); }, L"True", std::nullopt, true},
    {"TextEmpty", [] { return BstrVariant(L""); }, L"", std::nullopt, std::nullopt},
    {"BoolTrue", [] { VARIANT v = Of(VT_BOOL); V_BOOL(&v) = VARIANT_TRUE; return v; }, L"True", -1.0f, true},
    {"BoolFalse", [] { VARIANT v = Of(VT_BOOL); V_BOOL(&v) = VARIANT_FALSE; return v; }, L"False", 9.0f, false},
    {"Error", [] { VARIANT v = Of(VT_ERROR); V_ERROR(&v) = DISP_E_PARAMNOTFOUND; return v; }, nullptr, std::nullopt, std::nullopt},
    {"ObjectWithValue", [] {
       VARIANT v = Of(VT_DISPATCH);
       ComPtr<IDispatch>(new ValueObject(true)).CopyTo(&V_DISPATCH(&v));
       return v;
     }, L"42", 42.0f, true},
    {"ObjectWithoutValue", [] {
       VARIANT v = Of(VT_DISPATCH);
       ComPtr<IDispatch>(new ValueObject(false)).CopyTo(&V_DISPATCH(&v));
       return v;
     }, nullptr, std::nullopt, std::nullopt},
    {"NullObject", [] { VARIANT v = Of(VT_DISPATCH); V_DISPATCH(&v) = nullptr; return v; }, nullptr, std::nullopt, std::nullopt},
    {"Unknown", [] {
       VARIANT v = Of(VT_UNKNOWN);
       ComPtr<IUnknown>(static_cast<IPersist*>(new PlainObject)).CopyTo(&V_UNKNOWN(&v));
       return v;
     }, nullptr, std::nullopt, std::nullopt},
    {"ArrayOfI4", [] {
       VARIANT v = Of(VT_ARRAY | VT_I4);
       V_ARRAY(&v) = SafeArrayCreateVector(VT_I4, 0, 3);
       return v;
     }, nullptr, std::nullopt, std::nullopt},
    {"ByRefI4", [] { VARIANT v = Of(VT_BYREF | VT_I4); V_I4REF(&v) = &g_by_ref_long; return v; }, L"5", 5.0f, true},
    {"ByRefText", [] {
       if (!g_by_ref_text) g_by_ref_text = SysAllocString(L"13");
       VARIANT v = Of(VT_BYREF | VT_BSTR);
       V_BSTRREF(&v) = &g_by_ref_text;
       return v;
     }, L"13", 13.0f, true},
    {"ByRefVariant", [] {
       V_VT(&g_by_ref_variant) = VT_I2;
       V_I2(&g_by_ref_variant) = 6;
       VARIANT v = Of(VT_BYREF | VT_VARIANT);
       V_VARIANTREF(&v) = &g_by_ref_variant;
       return v;
     }, L"6", 6.0f, true},
};

std::wstring Number(float f) {
  wchar_t buffer[64];
  swprintf(buffer, 64, L"%g", static_cast<double>(f));
  return buffer;
}

std::wstring Truth(bool b) { return b ? L"true" : L"false"; }

// A property as the container reads it back, in one text form per kind.
std::wstring Shown(IDispatch* control, const Key& key) {
  VARIANT v;
  if (FAILED(GetByName(control, key.name, &v))) return L"<failed>";
  std::wstring s;
  switch (key.kind) {
    case Kind::kString: s = V_VT(&v) == VT_BSTR ? std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v))) : L"<type>"; break;
    case Kind::kSingle: s = V_VT(&v) == VT_R4 ? Number(V_R4(&v)) : L"<type>"; break;
    case Kind::kBool: s = V_VT(&v) == VT_BOOL ? Truth(V_BOOL(&v) != VARIANT_FALSE) : L"<type>"; break;
  }
  VariantClear(&v);
  return s;
}

// Values set before the load, and the bag's good values, as text and as a
// VARIANT of the key's type.
std::wstring Before(const Key& key) {
  if (key.kind == Kind::kSingle) return Number(11.0f);
  if (key.kind == Kind::kBool) return Truth(false);
  if (std::wstring(key.name) == L"Control") return L"Button";
  return std::wstring(L"before ") + key.name;
}

std::wstring After(const Key& key) {
  if (key.kind == Kind::kSingle) return Number(14.0f);
  if (key.kind == Kind::kBool) return Truth(true);
  if (std::wstring(key.name) == L"Control") return L"Text";
  return std::wstring(L"after ") + key.name;
}

VARIANT Value(const Key& key, bool after) {
  VARIANT v;
  VariantInit(&v);
  if (key.kind == Kind::kSingle) {
    V_VT(&v) = VT_R4;
    V_R4(&v) = after ? 14.0f : 11.0f;
  } else if (key.kind == Kind::kBool) {
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = after ? VARIANT_TRUE : VARIANT_FALSE;
  } else {
    v = BstrVariant((after ? After(key) : Before(key)).c_str());
  }
  return v;
}

void SetBefore(IDispatch* control) {
  for (const Key& key : kReadOrder) {
    VARIANT v = Value(key, false);
    ASSERT_EQ(S_OK, PutByName(control, key.name, v)) << key.name;
    VariantClear(&v);
  }
}

// The stored value under the key as it should load; nullopt: mismatch.
std::optional<std::wstring> Expected(const Stored& stored, const Key& key) {
  switch (key.kind) {
    case Kind::kString: {
      if (!stored.as_text) return std::nullopt;
      if (stored.as_text != kPlatformText) return std::wstring(stored.as_text);
      BSTR text = nullptr;
      VarBstrFromDate(kDate, LOCALE_USER_DEFAULT, 0, &text);
      std::wstring s(text ? text : L"");
      SysFreeString(text);
      return s;
    }
    case Kind::kSingle:
      if (!stored.as_single) return std::nullopt;
      return Number(*stored.as_single);
    case Kind::kBool:
      if (!stored.as_bool) return std::nullopt;
      return Truth(*stored.as_bool);
  }
  return std::nullopt;
}

class BadBag : public ::testing::TestWithParam<Stored> {};

TEST_P(BadBag, UnderEveryKeyLoadsOrStopsWithTheTypeMismatch) {
  const Stored& stored = GetParam();
  for (size_t at = 0; at < std::size(kReadOrder); ++at) {
    const Key& key = kReadOrder[at];
    SCOPED_TRACE(testing::Message() << "under " << std::string(key.name, key.name + wcslen(key.name)));
    {
      ComPtr<IDispatch> control = NewControl<IDispatch>();
      ASSERT_TRUE(control);
      ComPtr<IPersistPropertyBag> persist;
      ASSERT_EQ(S_OK, control.As(&persist));
      SetBefore(control.Get());

      ComPtr<FakeBag> bag(new FakeBag);
      bag->calls.Expect({"Read"});
      for (const Key& k : kReadOrder) bag->Put(k.name, &k == &key ? stored.make() : Value(k, true));
      SetErrorInfo(0, nullptr);
      const HRESULT hr = persist->Load(bag.Get(), nullptr);
      const std::optional<std::wstring> expected = Expected(stored, key);

      if (expected) {
        ASSERT_EQ(S_OK, hr);
        for (const Key& k : kReadOrder) {
          EXPECT_EQ(&k == &key ? *expected : After(k), Shown(control.Get(), k))
              << std::string(k.name, k.name + wcslen(k.name));
        }
      } else {
        ASSERT_EQ(kTypeMismatch, hr);
        EXPECT_NE(L"", ErrorDescription()) << "the container gets the reason";
        for (size_t i = 0; i < std::size(kReadOrder); ++i) {
          const Key& k = kReadOrder[i];
          EXPECT_EQ(i < at ? After(k) : Before(k), Shown(control.Get(), k))
              << std::string(k.name, k.name + wcslen(k.name));
        }
        // Still whole: it saves what it holds.
        ComPtr<FakeBag> saved(new FakeBag);
        saved->calls.Expect({"Write"});
        EXPECT_EQ(S_OK, persist->Save(saved.Get(), TRUE, TRUE));
        EXPECT_EQ(18u, saved->values.size());
      }
    }
    EXPECT_EQ(0, Counted::live) << "objects from the bag released";
  }
}

INSTANTIATE_TEST_SUITE_P(Values, BadBag, ::testing::ValuesIn(kStored), RowName());

// A bag that fails its reads is read as empty: every key takes its default.
class FailingBag : public ComBase<Implements<IPropertyBag>> {
 public:
  explicit FailingBag(HRESULT hr) : hr_(hr) {}
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR, VARIANT*, IErrorLog*) override { return hr_; }
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR, VARIANT*) override { return hr_; }

 private:
  HRESULT hr_;
};

TEST(BadBag, ABagThatCannotReadOrWrite) {
  for (HRESULT failure : {E_FAIL, E_OUTOFMEMORY, STG_E_ACCESSDENIED}) {
    ComPtr<IDispatch> control = NewControl<IDispatch>();
    ComPtr<IPersistPropertyBag> persist;
    ASSERT_EQ(S_OK, control.As(&persist));
    SetBefore(control.Get());
    ComPtr<FailingBag> bag(new FailingBag(failure));
    // A failing bag is no empty one: the load stops with the bag's code and
    // the control keeps what it held, so a later save loses nothing.
    EXPECT_EQ(failure, persist->Load(bag.Get(), nullptr));
    for (const Key& k : kReadOrder) {
      EXPECT_EQ(Before(k), Shown(control.Get(), k)) << std::string(k.name, k.name + wcslen(k.name));
    }
    // Saving into it reports the bag's own failure.
    EXPECT_EQ(failure, persist->Save(bag.Get(), TRUE, TRUE));
  }
}

}  // namespace
}  // namespace pelzorvick::test
