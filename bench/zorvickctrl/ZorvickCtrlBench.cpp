// The control's load from a memory bag and its paint in each display mode,
// against no-op container, canvas, platform and file system, so that the
// numbers are the control's own work.
#include <benchmark/benchmark.h>

#include <memory>
#include <string_view>

#include "component/persist/MemoryPropertyBag.h"
#include "control/ZorvickCtrl.h"
#include "tests/support/PolicyFakes.h"
#include "tests/support/SizedSeams.h"

namespace {

using namespace pelzorvick;

class NoPicture : public Picture {
 public:
  int32_t Width() const override { return 847; }
  int32_t Height() const override { return 847; }
};

class NoRead : public AsyncReadResult {
 public:
  std::u16string PropertyName() const override { return u"Image"; }
  PicturePtr Value() const override { return std::make_shared<NoPicture>(); }
};

class NoContainer : public test::SizedContainer {
 public:
  bool UserMode() override { return true; }
  void PropertyChanged(int32_t) override {}
  void SetAutoRedraw(bool) override {}
  void SetBackStyle(int) override {}
  // The download completes before it returns, as a container may do.
  void AsyncRead(std::u16string_view, int, std::u16string_view, int) override {
    if (control) control->PictureReadComplete(NoRead());
  }
  void RaiseClick() override {}

  ZorvickCtrl* control = nullptr;
};

class NoCanvas : public test::SizedCanvas {
 public:
  void SetLeft(float) override {}
  void SetTop(float) override {}
  void SetForeColor(int32_t) override {}
  void SetBackColor(int32_t) override {}
  void SetFontSize(float) override {}
  void SetFontBold(bool) override {}
  void SetFontUnderline(bool) override {}
  void SetToolTipText(std::u16string_view) override {}
  void SetCurrentX(float) override {}
  void SetCurrentY(float) override {}
  void Cls() override {}
  void Line(float, float, float, float, int32_t) override {}
  void PaintPicture(const Picture&, float, float) override {}
  void Print(std::u16string_view) override {}
  void DrawFocusRect(float, float, float, float) override {}
  float TextWidth(std::u16string_view text) override { return 105.0f * text.size(); }
  float TextHeight(std::u16string_view) override { return 225; }
};

class NoPlatform : public Platform {
 public:
  void StartProgram(std::u16string_view, std::u16string_view, std::u16string_view, int) override {}
  void StartCommandInterpreter(std::u16string_view, int) override {}
  void OpenWithShell(std::u16string_view, std::u16string_view, int) override {}
  void ShowMessageBox(std::u16string_view, int, std::u16string_view) override {}
  PicturePtr ExtractIconPicture(std::u16string_view, std::u16string_view) override {
    return std::make_shared<NoPicture>();
  }
};

// Every drive path exists, so the first command is the one found.
class NoFiles : public FileSystem {
 public:
  bool FileExists(std::u16string_view) override { return true; }
  std::u16string GetEnvironment(std::u16string_view) override { return u".COM;.EXE;.BAT;.CMD"; }
};

// A stored control of the given mode: the eighteen keys as it writes them.
MemoryPropertyBag StoredControl(std::u16string_view mode) {
  MemoryPropertyBag bag;
  bag.WriteString(u"BackColor", u"#F0F0F0", u"");
  bag.WriteString(u"ForeColor", u"navy", u"");
  bag.WriteSingle(u"FontSize", 10.5f, 9);
  bag.WriteString(u"Control", mode, u"");
  bag.WriteString(u"Text", u"Open the report", u"");
  bag.WriteString(u"ImageURL", u"http://127.0.0.1:8080/logo.gif", u"");
  bag.WriteString(u"Command", u"\"C:\\Program Files\\Office\\winword.exe\" /q report.docx", u"");
  bag.WriteString(u"Command1", u"C:\\Windows\\notepad.exe report.txt", u"");
  const char16_t* const rest[] = {u"Command2", u"Command3", u"Command4", u"Command5",
                                  u"Command6", u"Command7", u"Command8", u"Command9"};
  for (const char16_t* key : rest) bag.WriteString(key, u"", u"");
  bag.WriteBool(u"AutoSize", true, true);
  bag.WriteBool(u"Border", true, true);
  return bag;
}

struct Rig {
  NoContainer container;
  NoCanvas canvas;
  NoPlatform platform;
  NoFiles files;
  test::PolicyRig policy;
  ZorvickCtrl control{container, canvas, platform, files, policy.policy};
  Rig() { container.control = &control; }
};

// A new control reading its eighteen properties; the picture modes include
// their picture acquisition (an icon, or a download that completes at once).
void ReadProperties(benchmark::State& state, std::u16string_view mode) {
  MemoryPropertyBag bag = StoredControl(mode);
  for (auto _ : state) {
    Rig rig;
    rig.control.ReadProperties(bag);
    benchmark::DoNotOptimize(rig.control.Picture());
  }
}
BENCHMARK_CAPTURE(ReadProperties, Button, u"Button");
BENCHMARK_CAPTURE(ReadProperties, Icon, u"Icon");
BENCHMARK_CAPTURE(ReadProperties, Image, u"Image");

// The first paint of a loaded control: layout (colours, size, tool tip with
// the command lookup), automatic sizing and the drawing.
void FirstPaint(benchmark::State& state, std::u16string_view mode) {
  MemoryPropertyBag bag = StoredControl(mode);
  for (auto _ : state) {
    state.PauseTiming();
    auto rig = std::make_unique<Rig>();
    rig->control.ReadProperties(bag);
    state.ResumeTiming();
    rig->control.Paint();
    state.PauseTiming();
    rig.reset();
    state.ResumeTiming();
  }
}

// Every later paint: the layout is done once per instance, so this is the
// frame and the content alone.
void Paint(benchmark::State& state, std::u16string_view mode) {
  MemoryPropertyBag bag = StoredControl(mode);
  Rig rig;
  rig.control.ReadProperties(bag);
  rig.control.Paint();
  for (auto _ : state) rig.control.Paint();
}

#define PZ_EACH_MODE(bench)                        \
  BENCHMARK_CAPTURE(bench, Image, u"Image");        \
  BENCHMARK_CAPTURE(bench, Icon, u"Icon");          \
  BENCHMARK_CAPTURE(bench, SmallIcon, u"SmallIcon"); \
  BENCHMARK_CAPTURE(bench, Text, u"Text");          \
  BENCHMARK_CAPTURE(bench, Button, u"Button")

PZ_EACH_MODE(FirstPaint);
PZ_EACH_MODE(Paint);

}  // namespace
