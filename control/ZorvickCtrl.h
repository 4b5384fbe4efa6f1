#pragma once
// The launcher control: its state, persistence, command running, picture and
// drawing, against the seams through which it reaches container and platform.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "command/FileSystem.h"
#include "component/seams/Canvas.h"
#include "component/seams/ContainerServices.h"
#include "component/seams/Picture.h"
#include "component/seams/Platform.h"
#include "component/seams/PropertyBag.h"
#include "control/Property.h"
#include "policy/LaunchPolicy.h"

namespace pelzorvick {

enum class AccessibleRole { kPushButton, kLink };

class ZorvickCtrl {
 public:
  ZorvickCtrl(ContainerServices& container, Canvas& canvas, Platform& platform,
              FileSystem& file_system, policy::LaunchPolicy& launch_policy);
  ZorvickCtrl(const ZorvickCtrl&) = delete;
  ZorvickCtrl& operator=(const ZorvickCtrl&) = delete;

  static constexpr std::size_t kPropertyCount = 18;
  // Every property once, in the interface's order; defined below the class.
  // Persistence, notifications and the type library's tests walk it.
  static const std::array<Property, kPropertyCount> kProperties;
  // The bag's orders: they differ ("Control" is read first, written fourth).
  static const std::array<const Property*, kPropertyCount> kReadOrder;
  static const std::array<const Property*, kPropertyCount> kWriteOrder;
  // Null for a dispatch id or a name that is no property's.
  static const Property* FindProperty(int32_t dispid);
  static const Property* FindProperty(std::u16string_view name);

  // Properties. Every setter notifies the container with the property's
  // dispatch id, also when the value is unchanged.
  float FontSize() const;
  void SetFontSize(float New_FontSize);  // 0, -0 and NaN become 9
  std::u16string Command() const;
  void SetCommand(std::u16string_view New_Command);
  std::u16string Control() const;
  void SetControl(std::u16string_view New_Control);
  std::u16string Text() const;
  void SetText(std::u16string_view New_Text);
  std::u16string BackColor() const;
  void SetBackColor(std::u16string_view New_BackColor);
  std::u16string ForeColor() const;
  void SetForeColor(std::u16string_view New_ForeColor);
  std::u16string ImageURL() const;
  void SetImageURL(std::u16string_view New_ImageURL);
  std::u16string Command1() const;
  void SetCommand1(std::u16string_view New_Command1);
  std::u16string Command2() const;
  void SetCommand2(std::u16string_view New_Command2);
  std::u16string Command3() const;
  void SetCommand3(std::u16string_view New_Command3);
  std::u16string Command4() const;
  void SetCommand4(std::u16string_view New_Command4);
  std::u16string Command5() const;
  void SetCommand5(std::u16string_view New_Command5);
  std::u16string Command6() const;
  void SetCommand6(std::u16string_view New_Command6);
  std::u16string Command7() const;
  void SetCommand7(std::u16string_view New_Command7);
  std::u16string Command8() const;
  void SetCommand8(std::u16string_view New_Command8);
  std::u16string Command9() const;
  void SetCommand9(std::u16string_view New_Command9);
  bool AutoSize() const;
  void SetAutoSize(bool New_AutoSize);
  bool Border() const;
  void SetBorder(bool New_Border);
  // The same through a row of the table, for the automation side: T must
  // be the row's type (std::bad_variant_access otherwise).
  template <class T>
  const T& ValueOf(const Property& p) const {
    return FieldOf<T>(p);
  }
  void Set(const Property& p, float value) { StoreSingle(p, value); }
  void Set(const Property& p, std::u16string_view value) { StoreString(p, value); }
  void Set(const Property& p, bool value) { StoreBool(p, value); }

  // Runs the first available command; raises no Click. Throws ComError when
  // the process cannot be started, or when the administrator's policy
  // refuses it (after the box that says so).
  void Execute();

  // Container events.
  void InitProperties();
  // Throws ComError (type mismatch, a bag that cannot be read). True when the
  // load itself changed what was read (a remote image that failed turned the
  // control into "Text"): the container then has something new to save.
  bool ReadProperties(PropertyBag& bag);
  void WriteProperties(PropertyBag& bag) const;
  void Paint();                           // throws ComError
  void PictureReadComplete(const AsyncReadResult& read);

  // Events of the drawing surface.
  void CanvasMouseDown(int16_t button, int16_t shift, float x, float y);
  void CanvasMouseUp(int16_t button, int16_t shift, float x, float y);
  void CanvasClick();  // throws ComError before Click is raised

  // The keyboard on the focused surface. Each answers true when the key
  // completes a press: the caller then runs CanvasClick, after showing the
  // released look. `repeat`: the key was already down (auto-repeat).
  bool CanvasKeyDown(CanvasKey key, bool repeat);
  bool CanvasKeyUp(CanvasKey key);
  // The surface gained or lost the focus; losing it drops a Space press
  // without running anything. Redraws when something is shown. The focus
  // rectangle shows only with `cue` (focus not taken by a click) or once a
  // key is pressed, so a click alone leaves the look as it was.
  void CanvasFocus(bool focused, bool cue);
  bool Focused() const { return focused_; }
  bool Pressed() const { return m_Pressed; }

  // What a screen reader is told about the surface.
  std::u16string AccessibleName() const;
  AccessibleRole Role() const;
  std::u16string AccessibleDescription() const;  // the tooltip's text
  std::u16string_view DefaultAction() const;

  // The picture of the picture modes, for the component's view object.
  const PicturePtr& Picture() const { return m_Picture; }

 private:
  friend class ZorvickCtrlProbe;  // the tests' view of the private routines

  bool IsPictureMode() const;
  bool ShowsBorder() const;
  bool IsButtonMode() const;

  std::u16string FindAvailableCommand() const;
  enum class RunOutcome { kStarted, kNotFound, kRefused };
  RunOutcome RunCommand();
  // Starts as the lookup and the policy decided; says how, for the record.
  std::u16string_view Start(std::u16string_view line, const std::optional<std::u16string>& program_file,
                            const policy::Target& target, bool no_interpreter);
  std::u16string ToolTipText() const;
  bool Drawable() const;  // a paint would draw something
  void Redraw();

  void AcquirePicture();
  void ReportPictureFailure(std::u16string_view prefix);

  void ApplyAutoSize();
  bool UpdateLayout();
  void DrawContent();
  void DrawFace();
  void DrawFocus();

  // The row of a field, found while compiling.
  static consteval const Property& RowOf(Property::Field field);
  static consteval std::array<const Property*, kPropertyCount> OrderOf(
      const std::u16string_view (&names)[kPropertyCount]);
  template <class T>
  T& FieldOf(const Property& p) {
    return this->*std::get<T ZorvickCtrl::*>(p.field);
  }
  template <class T>
  const T& FieldOf(const Property& p) const {
    return this->*std::get<T ZorvickCtrl::*>(p.field);
  }
  // Store and notify: what every setter does, and reading a stored value.
  void StoreSingle(const Property& p, float value);
  void StoreString(const Property& p, std::u16string_view value);
  void StoreBool(const Property& p, bool value);
  void ReadProperty(PropertyBag& bag, const Property& p);
  void WriteProperty(PropertyBag& bag, const Property& p) const;

  ContainerServices& container_;
  Canvas& canvas_;
  Platform& platform_;
  FileSystem& file_system_;
  policy::LaunchPolicy& launch_policy_;

  // The control's documented instance fields keep their m_ names (the stored
  // keys, and the names every routine of the control is described by); the
  // rest of the code uses name_. Creation values; InitProperties or
  // ReadProperties gives the defaults.
  bool m_Border = false;
  std::u16string m_BackColor;
  std::u16string m_ForeColor;
  std::u16string m_ImageURL;
  std::u16string m_Command1;
  std::u16string m_Command2;
  std::u16string m_Command3;
  std::u16string m_Command4;
  std::u16string m_Command5;
  std::u16string m_Command6;
  std::u16string m_Command7;
  std::u16string m_Command8;
  std::u16string m_Command9;
  float m_FontSize = 0;
  std::u16string m_Command;
  std::u16string m_Control;
  std::u16string m_Text;
  bool m_AutoSize = false;
  PicturePtr m_Picture;
  bool m_Sized = false;     // the control itself has been sized once
  bool m_LaidOut = false;   // layout done; never redone for this instance
  bool m_Pressed = false;   // left button or Space held down on the surface

  bool key_pressed_ = false;  // the press is Space's
  bool focused_ = false;
  bool focus_cue_ = false;    // the focus rectangle is shown while focused
};

inline constexpr std::array<Property, ZorvickCtrl::kPropertyCount> ZorvickCtrl::kProperties = {{
    {u"FontSize", 0x68030011, &ZorvickCtrl::m_FontSize, 9},
    {u"Command", 0x68030010, &ZorvickCtrl::m_Command},
    {u"Control", 0x6803000F, &ZorvickCtrl::m_Control},
    {u"Text", 0x6803000E, &ZorvickCtrl::m_Text},
    {u"BackColor", 0x6803000D, &ZorvickCtrl::m_BackColor},
    {u"ForeColor", 0x6803000C, &ZorvickCtrl::m_ForeColor},
    {u"ImageURL", 0x6803000B, &ZorvickCtrl::m_ImageURL},
    {u"Command1", 0x6803000A, &ZorvickCtrl::m_Command1},
    {u"Command2", 0x68030009, &ZorvickCtrl::m_Command2},
    {u"Command3", 0x68030008, &ZorvickCtrl::m_Command3},
    {u"Command4", 0x68030007, &ZorvickCtrl::m_Command4},
    {u"Command5", 0x68030006, &ZorvickCtrl::m_Command5},
    {u"Command6", 0x68030005, &ZorvickCtrl::m_Command6},
    {u"Command7", 0x68030004, &ZorvickCtrl::m_Command7},
    {u"Command8", 0x68030003, &ZorvickCtrl::m_Command8},
    {u"Command9", 0x68030002, &ZorvickCtrl::m_Command9},
    {u"AutoSize", 0x68030001, &ZorvickCtrl::m_AutoSize, true},
    {u"Border", 0x68030000, &ZorvickCtrl::m_Border, true},
}};

consteval const Property& ZorvickCtrl::RowOf(Property::Field field) {
  for (const Property& p : kProperties) {
    if (p.field == field) return p;
  }
  throw "a field that is no property's";
}

// Each name must be a property's, and each property named once.
consteval std::array<const Property*, ZorvickCtrl::kPropertyCount> ZorvickCtrl::OrderOf(
    const std::u16string_view (&names)[kPropertyCount]) {
  std::array<std::size_t, kPropertyCount> rows{};
  std::array<const Property*, kPropertyCount> order{};
  for (std::size_t i = 0; i < kPropertyCount; ++i) {
    rows[i] = kPropertyCount;
    for (std::size_t row = 0; row < kPropertyCount; ++row) {
      if (kProperties[row].name == names[i]) rows[i] = row;
    }
    if (rows[i] == kPropertyCount) throw "no property of that name";
    for (std::size_t j = 0; j < i; ++j) {
      if (rows[j] == rows[i]) throw "a property named twice";
    }
    order[i] = &kProperties[rows[i]];
  }
  return order;
}

inline constexpr std::array<const Property*, ZorvickCtrl::kPropertyCount> ZorvickCtrl::kReadOrder =
    OrderOf({u"Control", u"BackColor", u"ForeColor", u"FontSize", u"Command", u"Text",
             u"ImageURL", u"Command1", u"Command2", u"Command3", u"Command4", u"Command5",
             u"Command6", u"Command7", u"Command8", u"Command9", u"AutoSize", u"Border"});

inline constexpr std::array<const Property*, ZorvickCtrl::kPropertyCount> ZorvickCtrl::kWriteOrder =
    OrderOf({u"BackColor", u"ForeColor", u"FontSize", u"Control", u"Text", u"ImageURL",
             u"Command", u"Command1", u"Command2", u"Command3", u"Command4", u"Command5",
             u"Command6", u"Command7", u"Command8", u"Command9", u"AutoSize", u"Border"});

}  // namespace pelzorvick
