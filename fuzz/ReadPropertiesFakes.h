#pragma once
// The seams of the control for the property-reading fuzz target: every
// answer (user mode, files, icons, the download, starts, text sizes) comes
// from the input's options, and nothing is kept beyond what the checks need.

#include <cstdint>
#include <memory>
#include <string>

#include "command/FileSystem.h"
#include "common/ComError.h"
#include "component/seams/Canvas.h"
#include "component/seams/ContainerServices.h"
#include "component/seams/Picture.h"
#include "component/seams/Platform.h"
#include "control/ZorvickCtrl.h"
#include "tests/support/PolicyFakes.h"
#include "tests/support/SizedSeams.h"

namespace pelzorvick::fuzz {

struct Options {
  bool user_mode = false, files_exist = false, icon = false, complete_at_once = false,
       read_fails = false, no_name = false, wrong_name = false, value_fails = false,
       start_fails = false, comma = false, huge_text = false, huge_picture = false;
};

class FakePicture : public Picture {
 public:
  explicit FakePicture(int32_t size) : size_(size) {}
  int32_t Width() const override { return size_; }
  int32_t Height() const override { return size_ / 2; }

 private:
  int32_t size_;
};

PicturePtr MakePicture(const Options& o) {
  return std::make_shared<FakePicture>(o.huge_picture ? INT32_MAX : 847);
}

class FakeRead : public AsyncReadResult {
 public:
  explicit FakeRead(const Options& o) : o_(o) {}
  std::u16string PropertyName() const override {
    if (o_.no_name) throw ComError(errc::kFail, u"no name");
    return o_.wrong_name ? u"image" : u"Image";
  }
  PicturePtr Value() const override {
    if (o_.value_fails) throw ComError(errc::kFail, u"not a picture");
    return MakePicture(o_);
  }

 private:
  const Options& o_;
};

class FakeContainer : public test::SizedContainer {
 public:
  explicit FakeContainer(const Options& o) : o_(o) {}
  ZorvickCtrl* control = nullptr;
  std::vector<std::u16string> changed;
  std::vector<std::u16string> reads;
  int auto_redraw = -1, back_style = -1, clicks = 0;

  bool UserMode() override { return o_.user_mode; }
  void PropertyChanged(int32_t dispid) override {
    const Property* p = ZorvickCtrl::FindProperty(dispid);
    changed.emplace_back(p != nullptr ? p->name : u"?");
  }
  void SetAutoRedraw(bool on) override { auto_redraw = on; }
  void SetBackStyle(int style) override { back_style = style; }
  void AsyncRead(std::u16string_view target, int, std::u16string_view, int) override {
    if (o_.read_fails) throw ComError(errc::kFail, u"cannot start");
    reads.emplace_back(target);
    if (o_.complete_at_once) Deliver();
  }
  void RaiseClick() override { ++clicks; }

  void Deliver() {
    FakeRead read(o_);
    control->PictureReadComplete(read);
  }

 private:
  const Options& o_;
};

class FakeCanvas : public test::SizedCanvas {
 public:
  explicit FakeCanvas(const Options& o) : o_(o) {}
  long calls = 0;

  void SetLeft(float) override { ++calls; }
  void SetTop(float) override { ++calls; }
  void SetForeColor(int32_t) override { ++calls; }
  void SetBackColor(int32_t) override { ++calls; }
  void SetFontSize(float) override { ++calls; }
  void SetFontBold(bool) override { ++calls; }
  void SetFontUnderline(bool) override { ++calls; }
  void SetToolTipText(std::u16string_view) override { ++calls; }
  void SetCurrentX(float) override { ++calls; }
  void SetCurrentY(float) override { ++calls; }
  void Cls() override { ++calls; }
  void Line(float, float, float, float, int32_t) override { ++calls; }
  void PaintPicture(const Picture&, float, float) override { ++calls; }
  void Print(std::u16string_view) override { ++calls; }
  void DrawFocusRect(float, float, float, float) override { ++calls; }
  float TextWidth(std::u16string_view text) override {
    return o_.huge_text ? 3e38f * static_cast<float>(text.size()) : 120.0f * text.size();
  }
  float TextHeight(std::u16string_view) override { return o_.huge_text ? 3e38f : 225.0f; }

 private:
  const Options& o_;
};

class FakePlatform : public Platform {
 public:
  explicit FakePlatform(const Options& o) : o_(o) {}
  std::vector<std::u16string> started;
  int messages = 0, icons = 0;

  void StartProgram(std::u16string_view, std::u16string_view line, std::u16string_view, int) override {
    Start(line);
  }
  void StartCommandInterpreter(std::u16string_view line, int) override { Start(line); }
  void OpenWithShell(std::u16string_view file, std::u16string_view, int) override { Start(file); }
  void ShowMessageBox(std::u16string_view, int, std::u16string_view) override { ++messages; }
  void Start(std::u16string_view line) {
    if (o_.start_fails) throw ComError(errc::kFail, u"cannot start");
    started.emplace_back(line);
  }
  PicturePtr ExtractIconPicture(std::u16string_view, std::u16string_view) override {
    ++icons;
    return o_.icon ? MakePicture(o_) : nullptr;
  }
  char16_t DecimalSeparator() override { return o_.comma ? u',' : u'.'; }

 private:
  const Options& o_;
};

class FakeFiles : public FileSystem {
 public:
  explicit FakeFiles(const Options& o) : o_(o) {}
  bool FileExists(std::u16string_view) override { return o_.files_exist; }
  std::u16string GetEnvironment(std::u16string_view name) override {
    return name == u"PATHEXT" ? u".COM;.EXE;.BAT" : u"";
  }

 private:
  const Options& o_;
};

// A control over the fakes, all answering from the same options.
struct Rig {
  explicit Rig(const Options& o) : container(o), canvas(o), platform(o), files(o) {
    container.control = &control;
  }
  FakeContainer container;
  FakeCanvas canvas;
  FakePlatform platform;
  FakeFiles files;
  test::PolicyRig policy;
  ZorvickCtrl control{container, canvas, platform, files, policy.policy};
};

}  // namespace pelzorvick::fuzz
