#pragma once
// The launcher control: its state, persistence, command running, picture and
// drawing, against the seams through which it reaches container and platform.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

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
  // Persistence, notifications, the automation accessors and the type
  // library's tests walk it.
  static const std::array<Property, kPropertyCount> kProperties;
  // The bag's orders, as rows: they differ ("Control" is read first,
  // written fourth).
  static const std::array<std::size_t, kPropertyCount> kReadOrder;
  static const std::array<std::size_t, kPropertyCount> kWriteOrder;
  // The row of the property of that name, found while compiling: a name
  // that is no property's does not build.
  static consteval std::size_t RowNamed(std::u16string_view name);
  static consteval const Property& PropertyNamed(std::u16string_view name) {
    return kProperties[RowNamed(name)];
  }
  // Null for a dispatch id that is no property's.
  static const Property* FindProperty(int32_t dispid);

 private:
  template <std::size_t Row>
  static constexpr auto MemberOf() {
    return std::get<kProperties[Row].field.index()>(kProperties[Row].field);
  }

 public:
  // A property by its row, bound while compiling: the field's type is the
  // property's, so an accessor of another type does not build. Every named
  // setter, the automation side and the bag's reading store through Set.
  template <std::size_t Row>
  using ValueType = typename Property::ValueOf<decltype(MemberOf<Row>())>::type;
  template <std::size_t Row>
  const ValueType<Row>& Get() const {
    return this->*MemberOf<Row>();
  }
  template <std::size_t Row>
  void Set(Property::ArgumentOf<ValueType<Row>> value) {
    Store(kProperties[Row], this->*MemberOf<Row>(), value);
  }
  // Calls f with the row of `p` as a constant, for a caller that holds a
  // row only at run time (a designer asking by dispatch id).
  template <class F>
  static void WithRow(const Property& p, F&& f) {
    const auto row = static_cast<std::size_t>(&p - kProperties.data());
    [&]<std::size_t... R>(std::index_sequence<R...>) {
      ((row == R ? (f(std::integral_constant<std::size_t, R>{}), 0) : 0), ...);
    }(std::make_index_sequence<kPropertyCount>{});
  }

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
  // Runs the first available command; raises no Click. Throws ComError when
  // the process cannot be started, or when the administrator's policy
  // refuses it (after the box that says so).
  void Execute();

  // Container events.
  void InitProperties();
  // Throws ComError (type mismatch, a bag that cannot be read).
  void ReadProperties(PropertyBag& bag);
  void WriteProperties(PropertyBag& bag) const;
  void Paint();                           // throws ComError
  // The surface's resolution changed (a DPI change, the control's window
  // on another monitor): the next paint lays out afresh, and sizes the
  // control again when AutoSize asks, since every pixel measure changed.
  void LayOutAgain();
  // The system's colours or its high-contrast mode may have changed: the
  // laid-out look takes its colours again (the system's while high contrast
  // is on, its colour properties' otherwise; the properties themselves stay
  // as they are). The caller redraws.
  void SystemColorsChanged();
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
  // The colours of the look laid out, for the high-contrast mode as it is.
  void ApplyColors();
  void DrawContent();
  void DrawFace();
  void DrawFocus();

  static consteval std::array<std::size_t, kPropertyCount> OrderOf(
      const std::u16string_view (&names)[kPropertyCount]);
  // Store and notify. A size of nothing (or no number) stores the default.
  void Store(const Property& p, float& field, float value);
  void Store(const Property& p, std::u16string& field, std::u16string_view value);
  void Store(const Property& p, bool& field, bool value);
  template <std::size_t Row>
  void ReadProperty(PropertyBag& bag);
  template <std::size_t Row>
  void WriteProperty(PropertyBag& bag) const;

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
  bool m_Sized = false;     // the control itself has been sized (once per resolution)
  bool m_LaidOut = false;   // layout done; redone only at a new resolution
  bool m_Pressed = false;   // left button or Space held down on the surface

  // The look the layout gave the surface, whose colours follow the system.
  enum class Look { kNone, kPicture, kButton, kText };
  Look look_ = Look::kNone;
  bool high_contrast_ = false;  // the colours applied are high contrast's

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

consteval std::size_t ZorvickCtrl::RowNamed(std::u16string_view name) {
  for (std::size_t row = 0; row < kPropertyCount; ++row) {
    if (kProperties[row].name == name) return row;
  }
  throw "no property of that name";
}

// Each name must be a property's, and each property named once.
consteval std::array<std::size_t, ZorvickCtrl::kPropertyCount> ZorvickCtrl::OrderOf(
    const std::u16string_view (&names)[kPropertyCount]) {
  std::array<std::size_t, kPropertyCount> rows{};
  for (std::size_t i = 0; i < kPropertyCount; ++i) {
    rows[i] = RowNamed(names[i]);
    for (std::size_t j = 0; j < i; ++j) {
      if (rows[j] == rows[i]) throw "a property named twice";
    }
  }
  return rows;
}

inline constexpr std::array<std::size_t, ZorvickCtrl::kPropertyCount> ZorvickCtrl::kReadOrder =
    OrderOf({u"Control", u"BackColor", u"ForeColor", u"FontSize", u"Command", u"Text",
             u"ImageURL", u"Command1", u"Command2", u"Command3", u"Command4", u"Command5",
             u"Command6", u"Command7", u"Command8", u"Command9", u"AutoSize", u"Border"});

inline constexpr std::array<std::size_t, ZorvickCtrl::kPropertyCount> ZorvickCtrl::kWriteOrder =
    OrderOf({u"BackColor", u"ForeColor", u"FontSize", u"Control", u"Text", u"ImageURL",
             u"Command", u"Command1", u"Command2", u"Command3", u"Command4", u"Command5",
             u"Command6", u"Command7", u"Command8", u"Command9", u"AutoSize", u"Border"});

}  // namespace pelzorvick
