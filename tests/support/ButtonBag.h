#pragma once
// What a button with a few fallback commands writes: all eighteen
// properties, in writing order. The stream's tests and its benchmark share it.

#include "component/persist/MemoryPropertyBag.h"

namespace pelzorvick::test {

inline MemoryPropertyBag ButtonBag() {
  MemoryPropertyBag bag;
  bag.WriteString(u"BackColor", u"#F0F0F0", u"");
  bag.WriteString(u"ForeColor", u"navy", u"");
  bag.WriteSingle(u"FontSize", 10.5f, 9);
  bag.WriteString(u"Control", u"Button", u"");
  bag.WriteString(u"Text", u"Open the report", u"");
  bag.WriteString(u"ImageURL", u"", u"");
  bag.WriteString(u"Command", u"\"C:\\Program Files\\Office\\winword.exe\" /q report.docx", u"");
  bag.WriteString(u"Command1", u"C:\\Windows\\notepad.exe report.txt", u"");
  bag.WriteString(u"Command2", u"write.exe report.txt", u"");
  for (const char16_t* key : {u"Command3", u"Command4", u"Command5", u"Command6", u"Command7",
                              u"Command8", u"Command9"}) {
    bag.WriteString(key, u"", u"");
  }
  bag.WriteBool(u"AutoSize", true, true);
  bag.WriteBool(u"Border", true, true);
  return bag;
}

}  // namespace pelzorvick::test
