#include "control/ZorvickCtrl.h"

namespace pelzorvick {

namespace {
constexpr int16_t kDefaultFontSize = 9;  // travels as an integer
constexpr bool kDefaultAutoSize = true;
constexpr bool kDefaultBorder = true;
constexpr int kOpaque = 1;
}  // namespace

void ZorvickCtrl::InitProperties() {
  // Directly: a new control has nothing the container should save yet.
  m_FontSize = kDefaultFontSize;
  m_Command.clear();
  m_Control.clear();
  m_Text.clear();
  m_BackColor.clear();
  m_ForeColor.clear();
  m_ImageURL.clear();
  m_Command1.clear();
  m_Command2.clear();
  m_Command3.clear();
  m_Command4.clear();
  m_Command5.clear();
  m_Command6.clear();
  m_Command7.clear();
  m_Command8.clear();
  m_Command9.clear();
  m_AutoSize = kDefaultAutoSize;
  m_Border = kDefaultBorder;
}

bool ZorvickCtrl::ReadProperties(PropertyBag& bag) {
  container_.SetAutoRedraw(false);
  container_.SetBackStyle(kOpaque);

  // Each value goes through its setter at once, so a type error halfway
  // leaves the earlier ones read.
  SetControl(bag.ReadString(u"Control", u""));
  SetBackColor(bag.ReadString(u"BackColor", u""));
  SetForeColor(bag.ReadString(u"ForeColor", u""));
  SetFontSize(bag.ReadSingle(u"FontSize", kDefaultFontSize));
  SetCommand(bag.ReadString(u"Command", u""));
  SetText(bag.ReadString(u"Text", u""));
  SetImageURL(bag.ReadString(u"ImageURL", u""));
  SetCommand1(bag.ReadString(u"Command1", u""));
  SetCommand2(bag.ReadString(u"Command2", u""));
  SetCommand3(bag.ReadString(u"Command3", u""));
  SetCommand4(bag.ReadString(u"Command4", u""));
  SetCommand5(bag.ReadString(u"Command5", u""));
  SetCommand6(bag.ReadString(u"Command6", u""));
  SetCommand7(bag.ReadString(u"Command7", u""));
  SetCommand8(bag.ReadString(u"Command8", u""));
  SetCommand9(bag.ReadString(u"Command9", u""));
  SetAutoSize(bag.ReadBool(u"AutoSize", kDefaultAutoSize));
  SetBorder(bag.ReadBool(u"Border", kDefaultBorder));

  // Pictures are fetched only for a running form, once per load.
  if (!container_.UserMode() || !IsPictureMode()) return false;
  const std::u16string control = m_Control;
  const std::u16string text = m_Text;
  AcquirePicture();
  return m_Control != control || m_Text != text;
}

void ZorvickCtrl::WriteProperties(PropertyBag& bag) const {
  bag.WriteString(u"BackColor", m_BackColor, u"");
  bag.WriteString(u"ForeColor", m_ForeColor, u"");
  bag.WriteSingle(u"FontSize", m_FontSize, kDefaultFontSize);
  bag.WriteString(u"Control", m_Control, u"");
  bag.WriteString(u"Text", m_Text, u"");
  bag.WriteString(u"ImageURL", m_ImageURL, u"");
  bag.WriteString(u"Command", m_Command, u"");
  bag.WriteString(u"Command1", m_Command1, u"");
  bag.WriteString(u"Command2", m_Command2, u"");
  bag.WriteString(u"Command3", m_Command3, u"");
  bag.WriteString(u"Command4", m_Command4, u"");
  bag.WriteString(u"Command5", m_Command5, u"");
  bag.WriteString(u"Command6", m_Command6, u"");
  bag.WriteString(u"Command7", m_Command7, u"");
  bag.WriteString(u"Command8", m_Command8, u"");
  bag.WriteString(u"Command9", m_Command9, u"");
  bag.WriteBool(u"AutoSize", m_AutoSize, kDefaultAutoSize);
  bag.WriteBool(u"Border", m_Border, kDefaultBorder);
}

}  // namespace pelzorvick
