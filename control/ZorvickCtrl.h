#pragma once
// The launcher control: its state, persistence, command running, picture and
// drawing, against the seams through which it reaches container and platform.

#include <cstdint>
#include <string>
#include <string_view>

#include "command/FileSystem.h"
#include "component/Canvas.h"
#include "component/ContainerServices.h"
#include "component/Picture.h"
#include "component/Platform.h"
#include "component/PropertyBag.h"

namespace pelzorvick {

class ZorvickCtrl {
 public:
  ZorvickCtrl(ContainerServices& container, Canvas& canvas, Platform& platform,
              FileSystem& file_system);
  ZorvickCtrl(const ZorvickCtrl&) = delete;
  ZorvickCtrl& operator=(const ZorvickCtrl&) = delete;

  // Properties. Every setter notifies the container under the property's
  // name, also when the value is unchanged.
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
  // the process cannot be started.
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

  // The picture of the picture modes, for the component's view object.
  const PicturePtr& Picture() const { return m_Picture; }

 private:
  friend class ZorvickCtrlProbe;  // the tests' view of the private routines

  bool IsPictureMode() const;
  bool ShowsBorder() const;
  bool IsButtonMode() const;

  std::u16string FindAvailableCommand() const;
  void RunCommand();

  void AcquirePicture();
  void ReportPictureFailure(std::u16string_view prefix);

  void ApplyAutoSize();
  bool UpdateLayout();
  void DrawContent();

  void Notify(std::u16string_view name);

  ContainerServices& container_;
  Canvas& canvas_;
  Platform& platform_;
  FileSystem& file_system_;

  // Creation values; InitProperties or ReadProperties gives the defaults.
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
  bool m_Pressed = false;   // left button held down on the surface
};

}  // namespace pelzorvick
