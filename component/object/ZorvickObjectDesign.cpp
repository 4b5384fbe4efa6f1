#include <olectl.h>

#include <cstring>

#include "component/com/ErrorInfo.h"
#include "component/com/WideString.h"
#include "component/library/RegistryTable.h"
#include "component/object/ZorvickObject.h"
#include "component/pages/PageClasses.h"
#include "control/PropertyBrowsing.h"

// What a form designer asks of the control: the values its property browser
// lists, the categories, the pages, and the one verb, Properties, which opens
// those pages in the system's frame. Everything answers from the control's
// own data, so it answers alike registered or used through a manifest.

namespace pelzorvick {
namespace {

// The browser's own category for the appearance; others are ours to number.
constexpr PROPCAT kCategoryAppearance = -5;
constexpr PROPCAT kCategoryCommands = 1;

PROPCAT CategoryOf(PropertyGroup group) {
  return group == PropertyGroup::kAppearance ? kCategoryAppearance : kCategoryCommands;
}

const Property* PropertyOf(DISPID dispid) { return ZorvickCtrl::FindProperty(dispid); }

std::vector<OfferedValue> OfferedFor(DISPID dispid) {
  const Property* p = PropertyOf(dispid);
  return p ? OfferedValues(*p) : std::vector<OfferedValue>();
}

// The verbs EnumVerbs lists: Properties alone.
class VerbEnumerator : public ComObject<VerbEnumerator, Implements<IEnumOLEVERB>> {
 public:
  explicit VerbEnumerator(ULONG next = 0) : next_(next) {}

  HRESULT Next(Guarded, ULONG count, OLEVERB* verbs, ULONG* fetched) {
    if (verbs == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
    ULONG given = 0;
    for (; given < count && next_ < kVerbCount; ++given, ++next_) {
      verbs[given] = {kPropertiesVerb, MakeTaskString(AsU16(kPropertiesVerbName)), MF_STRING,
                      kPropertiesVerbAttributes};
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(Guarded, ULONG count) {
    const ULONG left = kVerbCount - next_;
    next_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT Reset(Guarded) {
    next_ = 0;
    return S_OK;
  }
  HRESULT Clone(Guarded, IEnumOLEVERB** clone) {
    if (clone == nullptr) return E_POINTER;
    return CreateComObject<VerbEnumerator>(IID_IEnumOLEVERB, reinterpret_cast<void**>(clone), next_);
  }

 private:
  static constexpr ULONG kVerbCount = 1;
  ULONG next_;
};

}  // namespace

// IOleObject's verbs.

HRESULT ZorvickObject::EnumVerbs(Guarded, IEnumOLEVERB** verbs) {
  if (verbs == nullptr) return E_POINTER;
  *verbs = nullptr;
  return CreateComObject<VerbEnumerator>(IID_IEnumOLEVERB, reinterpret_cast<void**>(verbs));
}

HRESULT ZorvickObject::ShowPropertyPages(HWND parent) {
  ComPtr<IUnknown> keep(Identity());
  // The frame is named after the control as its container calls it.
  std::u16string caption = AsU16(kClassTitle);
  ComPtr<IDispatch> ambient;
  if (site_ && SUCCEEDED(site_.As(&ambient))) {
    DISPPARAMS none{};
    UniqueVariant name;
    if (SUCCEEDED(ambient->Invoke(DISPID_AMBIENT_DISPLAYNAME, IID_NULL, LOCALE_USER_DEFAULT,
                                  DISPATCH_PROPERTYGET, &none, name.put(), nullptr, nullptr)) &&
        V_VT(name.get()) == VT_BSTR && SysStringLen(V_BSTR(name.get())) > 0) {
      caption = FromBstr(V_BSTR(name.get()));
    }
  }
  IUnknown* objects[] = {Identity()};
  CLSID pages[] = {kPageClassIds[0], kPageClassIds[1]};
  return OleCreatePropertyFrame(parent ? parent : OwnerWindow(), 0, 0, AsWide(caption.c_str()), 1,
                                objects, static_cast<ULONG>(std::size(pages)), pages,
                                LOCALE_USER_DEFAULT, 0, nullptr);
}

// IPerPropertyBrowsing.

// The stored text of a text property; the browser shows the others itself.
HRESULT ZorvickObject::GetDisplayString(Guarded, DISPID dispid, BSTR* text) {
  if (text == nullptr) return E_POINTER;
  *text = nullptr;
  const Property* p = PropertyOf(dispid);
  if (p == nullptr || p->type() != PropertyType::kString) return E_NOTIMPL;
  ZorvickCtrl::WithRow(*p, [&](auto row) {
    if constexpr (std::is_same_v<ZorvickCtrl::ValueType<row>, std::u16string>) {
      *text = MakeBstr(ctrl_.Get<row>());
    }
  });
  return S_OK;
}

HRESULT ZorvickObject::MapPropertyToPage(Guarded, DISPID dispid, CLSID* page) {
  if (page == nullptr) return E_POINTER;
  *page = CLSID_NULL;
  const std::optional<PropertyGroup> group = GroupOf(dispid);
  if (!group) return PERPROP_E_NOPAGEAVAILABLE;
  *page = PageOf(*group);
  return S_OK;
}

// The cookie of a value is its place in the offered list.
HRESULT ZorvickObject::GetPredefinedStrings(Guarded, DISPID dispid, CALPOLESTR* strings,
                                            CADWORD* cookies) {
  if (strings == nullptr || cookies == nullptr) return E_POINTER;
  *strings = {};
  *cookies = {};
  const std::vector<OfferedValue> offered = OfferedFor(dispid);
  if (offered.empty()) return E_NOTIMPL;
  const auto count = static_cast<ULONG>(offered.size());
  auto* texts = static_cast<LPOLESTR*>(CoTaskMemAlloc(count * sizeof(LPOLESTR)));
  auto* numbers = static_cast<DWORD*>(CoTaskMemAlloc(count * sizeof(DWORD)));
  if (texts == nullptr || numbers == nullptr) {
    CoTaskMemFree(texts);
    CoTaskMemFree(numbers);
    return E_OUTOFMEMORY;
  }
  ULONG made = 0;
  try {
    for (; made < count; ++made) {
      texts[made] = MakeTaskString(offered[made].shown);
      numbers[made] = made;
    }
  } catch (...) {
    for (ULONG i = 0; i < made; ++i) CoTaskMemFree(texts[i]);
    CoTaskMemFree(texts);
    CoTaskMemFree(numbers);
    throw;
  }
  *strings = {count, texts};
  *cookies = {count, numbers};
  return S_OK;
}

HRESULT ZorvickObject::GetPredefinedValue(Guarded, DISPID dispid, DWORD cookie, VARIANT* value) {
  if (value == nullptr) return E_POINTER;
  VariantInit(value);
  const std::vector<OfferedValue> offered = OfferedFor(dispid);
  if (offered.empty()) return E_NOTIMPL;
  if (cookie >= offered.size()) return E_INVALIDARG;
  V_BSTR(value) = MakeBstr(offered[cookie].value);
  V_VT(value) = VT_BSTR;
  return S_OK;
}

// ICategorizeProperties.

HRESULT ZorvickObject::MapPropertyToCategory(Guarded, DISPID dispid, PROPCAT* category) {
  if (category == nullptr) return E_POINTER;
  const std::optional<PropertyGroup> group = GroupOf(dispid);
  if (!group) return E_INVALIDARG;
  *category = CategoryOf(*group);
  return S_OK;
}

HRESULT ZorvickObject::GetCategoryName(Guarded, PROPCAT category, LCID, BSTR* name) {
  if (name == nullptr) return E_POINTER;
  *name = nullptr;
  for (PropertyGroup group : kPropertyGroups) {
    if (CategoryOf(group) == category) {
      *name = MakeBstr(GroupName(group));
      return S_OK;
    }
  }
  return E_INVALIDARG;
}

// ISpecifyPropertyPages.

HRESULT ZorvickObject::GetPages(Guarded, CAUUID* pages) {
  if (pages == nullptr) return E_POINTER;
  *pages = {};
  auto* ids = static_cast<GUID*>(CoTaskMemAlloc(sizeof kPageClassIds));
  if (ids == nullptr) return E_OUTOFMEMORY;
  std::memcpy(ids, kPageClassIds.data(), sizeof kPageClassIds);
  *pages = {static_cast<ULONG>(kPageClassIds.size()), ids};
  return S_OK;
}

}  // namespace pelzorvick
