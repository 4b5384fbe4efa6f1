#pragma once
// The fields of one property page, a property of every edited control each:
// the value each shows, whether the controls agree on it, and what the user
// changed. Values travel through the controls' own IDispatch, so that their
// setters make a change as they make any other.

#include <windows.h>
#include <oaidl.h>

#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "component/com/ComPtr.h"
#include "control/PropertyBrowsing.h"

namespace pelzorvick {

class PageFields {
 public:
  explicit PageFields(PropertyGroup group);

  std::size_t Count() const { return fields_.size(); }
  // The field's control id; the place of the property with that dispatch id,
  // or none.
  static int IdOf(std::size_t index);
  std::optional<std::size_t> IndexOf(DISPID dispid) const;

  // Reads every field from each control. A value the controls do not share
  // is unknown: its field shows empty, and stays as it is unless edited.
  // Throws ComError when a control cannot be read.
  void Load(const std::vector<ComPtr<IDispatch>>& controls);
  // Fills the lists of the fields that offer values (once per dialog).
  void FillLists(HWND dialog) const;
  // Puts the values into the dialog.
  void Show(HWND dialog) const;
  // The user changed control `id` (notification `code`): its field takes
  // the dialog's value. False when `id` is no field.
  bool TakeEdit(HWND dialog, int id, int code);
  bool Edited() const;
  // Writes every edited field to every control, in the page's order. A field
  // written to all of them is no longer edited; the first failure is thrown
  // once every write has been tried.
  void Apply(const std::vector<ComPtr<IDispatch>>& controls);

  // The field's text when it is known (shared by the controls, or edited).
  std::optional<std::u16string> Text(std::size_t index) const;

 private:
  using Value = std::variant<std::u16string, bool>;  // a text (string, number) or a truth
  struct Field {
    const Property* property;
    std::vector<OfferedValue> offered;
    std::optional<Value> value;  // none: the controls differ
    bool edited = false;
  };
  std::vector<Field> fields_;
};

}  // namespace pelzorvick
