#include "component/pages/PageFields.h"

#include "common/ComError.h"
#include "component/com/Handles.h"
#include "component/com/WideString.h"
#include "component/pages/PageIds.h"

namespace pelzorvick {
namespace {

// A failed Invoke as the core's error: the control's own code and text when
// it raised one.
[[noreturn]] void ThrowInvokeFailure(HRESULT hr, EXCEPINFO& exception, std::u16string_view doing,
                                     const Property& p) {
  if (hr == DISP_E_EXCEPTION && exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
  const UniqueBstr source(exception.bstrSource);
  const UniqueBstr description(exception.bstrDescription);
  const UniqueBstr help(exception.bstrHelpFile);
  if (hr == DISP_E_EXCEPTION && FAILED(exception.scode)) hr = exception.scode;
  std::u16string text = FromBstr(description.get());
  if (text.empty()) text = std::u16string(doing) + u" " + std::u16string(p.name) + u" failed";
  throw ComError(hr, std::move(text));
}

void Get(IDispatch* control, const Property& p, UniqueVariant& value) {
  DISPPARAMS none{};
  EXCEPINFO exception{};
  const HRESULT hr = control->Invoke(p.dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                     &none, value.put(), &exception, nullptr);
  if (FAILED(hr)) ThrowInvokeFailure(hr, exception, u"Reading", p);
}

void Put(IDispatch* control, const Property& p, VARIANT value) {
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &named, 1, 1};
  EXCEPINFO exception{};
  const HRESULT hr = control->Invoke(p.dispid, IID_NULL, LOCALE_USER_DEFAULT,
                                     DISPATCH_PROPERTYPUT, &params, nullptr, &exception, nullptr);
  if (FAILED(hr)) ThrowInvokeFailure(hr, exception, u"Setting", p);
}

std::u16string WindowText(HWND window) {
  std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, u'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(window, AsWide(text.data()), static_cast<int>(text.size()))));
  return text;
}

std::u16string SelectedItem(HWND combo) {
  const LRESULT item = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (item == CB_ERR) return WindowText(combo);
  std::u16string text(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, item, 0)) + 1,
                      u'\0');
  const LRESULT length = SendMessageW(combo, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text.data()));
  text.resize(length == CB_ERR ? 0 : static_cast<std::size_t>(length));
  return text;
}

}  // namespace

PageFields::PageFields(PropertyGroup group) {
  for (const Property* p : PropertiesOf(group)) fields_.push_back({p, OfferedValues(*p), {}});
}

int PageFields::IdOf(std::size_t index) { return PZ_FIRST_FIELD + static_cast<int>(index); }

std::optional<std::size_t> PageFields::IndexOf(DISPID dispid) const {
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (fields_[i].property->dispid == dispid) return i;
  }
  return std::nullopt;
}

void PageFields::Load(const std::vector<ComPtr<IDispatch>>& controls) {
  for (Field& field : fields_) {
    field.value.reset();
    field.edited = false;
    for (std::size_t i = 0; i < controls.size(); ++i) {
      UniqueVariant read;
      Get(controls[i].Get(), *field.property, read);
      Value value;
      if (V_VT(read.get()) == VT_BOOL) {
        value = V_BOOL(read.get()) != VARIANT_FALSE;
      } else {
        UniqueVariant text;
        const HRESULT hr = VariantChangeTypeEx(text.get(), read.get(), LOCALE_USER_DEFAULT, 0, VT_BSTR);
        if (FAILED(hr)) throw ComError(hr, u"The value of " + std::u16string(field.property->name) +
                                               u" cannot be shown");
        value = FromBstr(V_BSTR(text.get()));
      }
      if (i == 0) {
        field.value = std::move(value);
      } else if (field.value != value) {
        field.value.reset();
        break;
      }
    }
  }
}

void PageFields::FillLists(HWND dialog) const {
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    for (const OfferedValue& offered : fields_[i].offered) {
      SendDlgItemMessageW(dialog, IdOf(i), CB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(ToWide(offered.shown).c_str()));
    }
  }
}

void PageFields::Show(HWND dialog) const {
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const Field& field = fields_[i];
    HWND control = GetDlgItem(dialog, IdOf(i));
    if (field.property->type() == PropertyType::kBool) {
      // A box whose controls differ shows so, and may be put back that way.
      SendMessageW(control, BM_SETSTYLE, field.value ? BS_AUTOCHECKBOX : BS_AUTO3STATE, TRUE);
      const WPARAM state = !field.value                 ? BST_INDETERMINATE
                           : std::get<bool>(*field.value) ? BST_CHECKED
                                                          : BST_UNCHECKED;
      SendMessageW(control, BM_SETCHECK, state, 0);
    } else {
      const std::u16string text = field.value ? std::get<std::u16string>(*field.value) : u"";
      SetWindowTextW(control, AsWide(text.c_str()));
    }
  }
}

bool PageFields::TakeEdit(HWND dialog, int id, int code) {
  const int index = id - PZ_FIRST_FIELD;
  if (index < 0 || static_cast<std::size_t>(index) >= fields_.size()) return false;
  Field& field = fields_[static_cast<std::size_t>(index)];
  HWND control = GetDlgItem(dialog, id);
  if (field.property->type() == PropertyType::kBool) {
    if (code != BN_CLICKED) return false;
    const LRESULT state = SendMessageW(control, BM_GETCHECK, 0, 0);
    field.edited = state != BST_INDETERMINATE;
    field.value = field.edited ? std::optional<Value>(state == BST_CHECKED) : std::nullopt;
    return true;
  }
  if (code != EN_CHANGE && code != CBN_EDITCHANGE && code != CBN_SELCHANGE) return false;
  std::u16string text = code == CBN_SELCHANGE ? SelectedItem(control) : WindowText(control);
  for (const OfferedValue& offered : field.offered) {
    if (text == offered.shown) text = offered.value;
  }
  field.value = std::move(text);
  field.edited = true;
  return true;
}

bool PageFields::Edited() const {
  for (const Field& field : fields_) {
    if (field.edited) return true;
  }
  return false;
}

void PageFields::Apply(const std::vector<ComPtr<IDispatch>>& controls) {
  std::optional<ComError> first;
  for (Field& field : fields_) {
    if (!field.edited || !field.value) continue;
    bool written = true;
    for (const ComPtr<IDispatch>& control : controls) {
      UniqueVariant value;
      if (const bool* truth = std::get_if<bool>(&*field.value)) {
        V_VT(value.get()) = VT_BOOL;
        V_BOOL(value.get()) = *truth ? VARIANT_TRUE : VARIANT_FALSE;
      } else {
        V_VT(value.get()) = VT_BSTR;
        V_BSTR(value.get()) = MakeBstr(std::get<std::u16string>(*field.value));
      }
      try {
        Put(control.Get(), *field.property, *value.get());
      } catch (const ComError& e) {
        if (!first) first = e;
        written = false;
      }
    }
    if (written) field.edited = false;
  }
  if (first) throw *first;
}

std::optional<std::u16string> PageFields::Text(std::size_t index) const {
  const Field& field = fields_[index];
  if (!field.value) return std::nullopt;
  if (const bool* truth = std::get_if<bool>(&*field.value)) return *truth ? u"True" : u"False";
  return std::get<std::u16string>(*field.value);
}

}  // namespace pelzorvick
