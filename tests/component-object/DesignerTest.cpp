// What form designers ask of the control through COM: the category, page and
// listed values of each property, the page classes, and the one verb.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "component/library/RegistryTable.h"
#include "control/ZorvickCtrl.h"
#include "tests/component-object/Fakes.h"

namespace pelzorvick::test {
namespace {

constexpr DISPID kExecute = 0x60030022;
constexpr PROPCAT kAppearance = -5;  // the browser's own category
const std::set<std::wstring> kAppearanceNames = {L"Control", L"Text", L"ForeColor", L"BackColor",
                                                 L"FontSize", L"AutoSize", L"Border", L"ImageURL"};

std::wstring Wide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

CLSID PageClass(int index) {
  CLSID clsid{};
  CLSIDFromString(kPageClasses[index].clsid, &clsid);
  return clsid;
}

// The texts GetPredefinedStrings hands out, freed; empty when it refuses.
std::vector<std::wstring> Offered(IPerPropertyBrowsing* browsing, DISPID id, HRESULT* hr) {
  CALPOLESTR strings{};
  CADWORD cookies{};
  *hr = browsing->GetPredefinedStrings(id, &strings, &cookies);
  std::vector<std::wstring> texts;
  for (ULONG i = 0; i < strings.cElems; ++i) {
    texts.push_back(strings.pElems[i]);
    EXPECT_EQ(cookies.pElems[i], i);
    CoTaskMemFree(strings.pElems[i]);
  }
  EXPECT_EQ(strings.cElems, cookies.cElems);
  CoTaskMemFree(strings.pElems);
  CoTaskMemFree(cookies.pElems);
  return texts;
}

std::wstring Value(IPerPropertyBrowsing* browsing, DISPID id, DWORD cookie) {
  VARIANT v;
  if (FAILED(browsing->GetPredefinedValue(id, cookie, &v))) return L"<failed>";
  std::wstring text = VariantText(v);
  VariantClear(&v);
  return text;
}

class ObjectDesigner : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(S_OK, control_.As(&browsing_));
    ASSERT_EQ(S_OK, control_.As(&categories_));
    ASSERT_EQ(S_OK, control_.As(&pages_));
  }
  ComPtr<IDispatch> control_ = NewInitialisedControl<IDispatch>();
  ComPtr<IPerPropertyBrowsing> browsing_;
  ComPtr<ICategorizeProperties> categories_;
  ComPtr<ISpecifyPropertyPages> pages_;
};

TEST_F(ObjectDesigner, EachPropertyHasItsCategoryPageAndList) {
  for (const Property& p : ZorvickCtrl::kProperties) {
    const std::wstring name = Wide(p.name);
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    const bool appearance = kAppearanceNames.count(name) != 0;
    PROPCAT category = 0;
    ASSERT_EQ(S_OK, categories_->MapPropertyToCategory(p.dispid, &category));
    EXPECT_EQ(category, appearance ? kAppearance : 1);
    BSTR category_name = nullptr;
    ASSERT_EQ(S_OK, categories_->GetCategoryName(category, 0x0409, &category_name));
    EXPECT_STREQ(category_name, appearance ? L"Appearance" : L"Commands");
    SysFreeString(category_name);

    CLSID page{};
    ASSERT_EQ(S_OK, browsing_->MapPropertyToPage(p.dispid, &page));
    EXPECT_EQ(page, PageClass(appearance ? 0 : 1));

    HRESULT hr = S_OK;
    const std::vector<std::wstring> offered = Offered(browsing_.Get(), p.dispid, &hr);
    if (name == L"Control") {
      EXPECT_EQ(offered, (std::vector<std::wstring>{L"Image", L"Icon", L"SmallIcon", L"Text", L"Button"}));
    } else if (name == L"ForeColor" || name == L"BackColor") {
      ASSERT_EQ(offered.size(), 141u);
      EXPECT_EQ(offered[0], L"(default)");
      EXPECT_EQ(offered[1], L"aliceblue");
      EXPECT_EQ(offered[140], L"yellowgreen");
    } else {
      EXPECT_EQ(hr, E_NOTIMPL);
      EXPECT_TRUE(offered.empty());
    }
  }
  PROPCAT category = 0;
  CLSID page{};
  EXPECT_EQ(E_INVALIDARG, categories_->MapPropertyToCategory(kExecute, &category));
  EXPECT_EQ(PERPROP_E_NOPAGEAVAILABLE, browsing_->MapPropertyToPage(kExecute, &page));
  BSTR none = nullptr;
  EXPECT_EQ(E_INVALIDARG, categories_->GetCategoryName(7, 0x0409, &none));

  CAUUID classes{};
  ASSERT_EQ(S_OK, pages_->GetPages(&classes));
  ASSERT_EQ(classes.cElems, 2u);
  EXPECT_EQ(classes.pElems[0], PageClass(0));
  EXPECT_EQ(classes.pElems[1], PageClass(1));
  CoTaskMemFree(classes.pElems);
}

// A listed value stores its text ("(default)" the empty one); any other text
// can still be set, and the browser is shown what is stored.
TEST_F(ObjectDesigner, ListedValuesAndTypedTextAlike) {
  const DISPID control = IdOfName(control_.Get(), L"Control");
  const DISPID back = IdOfName(control_.Get(), L"BackColor");
  EXPECT_EQ(Value(browsing_.Get(), control, 2), L"SmallIcon");
  EXPECT_EQ(Value(browsing_.Get(), back, 0), L"");
  EXPECT_EQ(Value(browsing_.Get(), back, 18), L"cornflowerblue");
  VARIANT v;
  EXPECT_EQ(E_INVALIDARG, browsing_->GetPredefinedValue(back, 141, &v));
  EXPECT_EQ(E_NOTIMPL, browsing_->GetPredefinedValue(IdOfName(control_.Get(), L"Text"), 0, &v));

  ASSERT_EQ(S_OK, PutText(control_.Get(), L"Control", L"Fancy"));
  ASSERT_EQ(S_OK, PutText(control_.Get(), L"BackColor", L"not a colour"));
  for (const auto& [id, text] : {std::pair{control, L"Fancy"}, std::pair{back, L"not a colour"}}) {
    BSTR shown = nullptr;
    ASSERT_EQ(S_OK, browsing_->GetDisplayString(id, &shown));
    EXPECT_STREQ(shown, text);
    SysFreeString(shown);
  }
  BSTR shown = nullptr;
  EXPECT_EQ(E_NOTIMPL, browsing_->GetDisplayString(IdOfName(control_.Get(), L"FontSize"), &shown));
}

TEST_F(ObjectDesigner, TheOneVerbIsProperties) {
  ComPtr<IOleObject> ole;
  control_.As(&ole);
  ComPtr<IEnumOLEVERB> verbs;
  ASSERT_EQ(S_OK, ole->EnumVerbs(&verbs));
  OLEVERB got[2] = {};
  ULONG fetched = 0;
  EXPECT_EQ(S_FALSE, verbs->Next(2, got, &fetched));
  ASSERT_EQ(fetched, 1u);
  EXPECT_EQ(got[0].lVerb, OLEIVERB_PROPERTIES);
  EXPECT_STREQ(got[0].lpszVerbName, L"&Properties...");
  EXPECT_EQ(got[0].grfAttribs, static_cast<DWORD>(OLEVERBATTRIB_ONCONTAINERMENU));
  CoTaskMemFree(got[0].lpszVerbName);
  EXPECT_EQ(S_FALSE, verbs->Skip(1));
  EXPECT_EQ(S_OK, verbs->Reset());
  ComPtr<IEnumOLEVERB> clone;
  ASSERT_EQ(S_OK, verbs->Clone(&clone));
  EXPECT_EQ(S_OK, clone->Next(1, got, nullptr));
  CoTaskMemFree(got[0].lpszVerbName);
}

}  // namespace
}  // namespace pelzorvick::test
