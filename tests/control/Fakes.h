#pragma once
// Fakes of every seam of the control. Each call that changes something or
// draws is written to one shared log as a readable line, so a test compares
// the whole conversation in order. Plain queries (sizes, twips per pixel,
// UserMode) are answered from fields and not logged.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "command/FileSystem.h"
#include "common/ComError.h"
#include "component/seams/Canvas.h"
#include "component/seams/ContainerServices.h"
#include "component/seams/Picture.h"
#include "component/seams/Platform.h"
#include "component/seams/PropertyBag.h"
#include "control/ZorvickCtrl.h"
#include "tests/support/PolicyFakes.h"
#include "tests/support/RecordingFileSystem.h"

namespace pelzorvick::test {

std::string Narrow(std::u16string_view text);  // non-ASCII as \uXXXX
std::string Num(float value);                  // shortest round-trip form
std::string Hex(int32_t value);                // 0x80000014

using Log = std::vector<std::string>;

class FakePicture : public Picture {
 public:
  FakePicture(std::string name, int32_t width, int32_t height)
      : name(std::move(name)), width(width), height(height) {}
  int32_t Width() const override { return width; }
  int32_t Height() const override { return height; }
  std::string name;
  int32_t width;
  int32_t height;
};

inline PicturePtr MakePicture(std::string name, int32_t width = 2540, int32_t height = 1270) {
  return std::make_shared<FakePicture>(std::move(name), width, height);
}

class FakeContainer : public ContainerServices {
 public:
  explicit FakeContainer(Log& log) : log_(log) {}

  bool user_mode = true;
  float width = 2000;
  float height = 1000;
  bool fail_async_read = false;
  std::function<void()> on_async_read;  // e.g. deliver the completion at once

  bool UserMode() override { return user_mode; }
  // Logged under the property's name, or the id in hex for none.
  void PropertyChanged(int32_t dispid) override;
  void SetAutoRedraw(bool on) override;
  void SetBackStyle(int style) override;
  float Width() override { return width; }
  float Height() override { return height; }
  void SetWidth(float twips) override;
  void SetHeight(float twips) override;
  void SetScaleWidth(float twips) override;
  void SetScaleHeight(float twips) override;
  void AsyncRead(std::u16string_view target, int type, std::u16string_view property_name,
                 int option) override;
  void RaiseClick() override;

 private:
  Log& log_;
};

class FakeCanvas : public Canvas {
 public:
  explicit FakeCanvas(Log& log) : log_(log) {}

  float width = 1200;  // the look it was created with
  float height = 600;
  float px = 15;
  float py = 15;
  float char_width = 100;  // TextWidth is this per character
  float text_height = 240;
  std::string fail_on;  // name of an operation that throws

  void SetLeft(float twips) override;
  void SetTop(float twips) override;
  float Width() override { return width; }
  float Height() override { return height; }
  void SetWidth(float twips) override;
  void SetHeight(float twips) override;
  void SetForeColor(int32_t color) override;
  void SetBackColor(int32_t color) override;
  void SetFontSize(float points) override;
  void SetFontBold(bool on) override;
  void SetFontUnderline(bool on) override;
  void SetToolTipText(std::u16string_view text) override;
  void SetCurrentX(float twips) override;
  void SetCurrentY(float twips) override;
  void Cls() override;
  void Line(float x1, float y1, float x2, float y2, int32_t color) override;
  void PaintPicture(const Picture& picture, float x, float y) override;
  void Print(std::u16string_view text) override;
  void DrawFocusRect(float x1, float y1, float x2, float y2) override;
  float TextWidth(std::u16string_view text) override;
  float TextHeight(std::u16string_view text) override;
  float HimetricToTwipsX(float himetric) override { return himetric * 1440 / 2540; }
  float HimetricToTwipsY(float himetric) override { return himetric * 1440 / 2540; }
  float TwipsPerPixelX() override { return px; }
  float TwipsPerPixelY() override { return py; }

 private:
  void Record(const std::string& name, const std::string& args);
  Log& log_;
};

class FakePlatform : public Platform {
 public:
  explicit FakePlatform(Log& log) : log_(log) {}

  bool fail_start = false;
  PicturePtr icon;  // what ExtractIconPicture hands out
  bool high_contrast = false;  // what HighContrast answers, unlogged as a state
  // Both starts log as "StartProcess(line,show)"; what each ran is kept
  // here: "program file|arguments", or kInterpreter.
  static constexpr const char* kInterpreter = "<system command interpreter>";
  std::vector<std::string> images;

  void StartProgram(std::u16string_view program_file, std::u16string_view command_line,
                    std::u16string_view arguments, int show_style) override;
  void StartCommandInterpreter(std::u16string_view command_line, int show_style) override;
  // Logs as "Open(file|parameters,show)".
  void OpenWithShell(std::u16string_view file, std::u16string_view parameters,
                     int show_style) override;
  void ShowMessageBox(std::u16string_view text, int style, std::u16string_view title) override;
  PicturePtr ExtractIconPicture(std::u16string_view path, std::u16string_view mode) override;
  bool HighContrast() override { return high_contrast; }

 private:
  Log& log_;
};

// The lookup's file system with the system's usual PATHEXT; its existence
// tests are kept apart from the shared log, as they belong to the lookup.
class FakeFileSystem : public RecordingFileSystem {
 public:
  FakeFileSystem() { environment[u"PATHEXT"] = u".COM;.EXE;.BAT;.CMD"; }
};

// A bag with automation-like conversions: numbers and truth values read as
// text under string keys, text that is no number is a type mismatch.
class FakePropertyBag : public PropertyBag {
 public:
  using Value = std::variant<std::u16string, float, bool>;

  explicit FakePropertyBag(Log& log) : log_(log) {}

  std::map<std::u16string, Value> values;
  bool drop_defaults = false;  // leave out a value equal to its default

  std::u16string ReadString(std::u16string_view key, std::u16string_view def) override;
  float ReadSingle(std::u16string_view key, int16_t def) override;
  bool ReadBool(std::u16string_view key, bool def) override;
  void WriteString(std::u16string_view key, std::u16string_view value,
                   std::u16string_view def) override;
  void WriteSingle(std::u16string_view key, float value, int16_t def) override;
  void WriteBool(std::u16string_view key, bool value, bool def) override;

 private:
  const Value* Find(std::u16string_view key) const;
  Log& log_;
};

class FakeRead : public AsyncReadResult {
 public:
  std::u16string name = u"Image";
  PicturePtr value;
  bool fail_name = false;
  bool fail_value = false;
  mutable int name_reads = 0;
  mutable int value_reads = 0;

  std::u16string PropertyName() const override {
    ++name_reads;
    if (fail_name) throw ComError(errc::kFail, u"no name");
    return name;
  }
  PicturePtr Value() const override {
    ++value_reads;
    if (fail_value) throw ComError(errc::kFail, u"download failed");
    return value;
  }
};

}  // namespace pelzorvick::test

namespace pelzorvick {

// The tests' door to the private routines and fields.
class ZorvickCtrlProbe {
 public:
  static bool IsPictureMode(const ZorvickCtrl& c) { return c.IsPictureMode(); }
  static bool ShowsBorder(const ZorvickCtrl& c) { return c.ShowsBorder(); }
  static bool IsButtonMode(const ZorvickCtrl& c) { return c.IsButtonMode(); }
  static std::u16string FindAvailableCommand(const ZorvickCtrl& c) {
    return c.FindAvailableCommand();
  }
  static void AcquirePicture(ZorvickCtrl& c) { c.AcquirePicture(); }
  static void SetPicture(ZorvickCtrl& c, PicturePtr p) { c.m_Picture = std::move(p); }
  static bool Sized(const ZorvickCtrl& c) { return c.m_Sized; }
  static bool LaidOut(const ZorvickCtrl& c) { return c.m_LaidOut; }
  static bool Pressed(const ZorvickCtrl& c) { return c.m_Pressed; }
};

namespace test {

// One control over a full set of fakes; `Take` hands out the log so far.
class ControlFixture {
 public:
  Log log;
  FakeContainer container{log};
  FakeCanvas canvas{log};
  FakePlatform platform{log};
  FakeFileSystem files;
  PolicyRig admin;
  ZorvickCtrl ctrl{container, canvas, platform, files, admin.policy};

  Log Take() {
    Log taken;
    taken.swap(log);
    return taken;
  }
  // A freshly initialised control whose log starts empty.
  void Fresh() {
    ctrl.InitProperties();
    log.clear();
  }
  // Each through the control's own table, in the order given, as its setter
  // would; an unknown name throws.
  void SetProperties(
      std::initializer_list<std::pair<std::u16string_view, FakePropertyBag::Value>> values);
};

}  // namespace test
}  // namespace pelzorvick
