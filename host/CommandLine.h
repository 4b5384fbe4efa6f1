#pragma once
// The host's command line.

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/PropertyFile.h"

namespace pelzorvick {

struct SetRequest {
  std::u16string control;  // section name; empty: the target control
  std::u16string name;
  FileValue value;
};

// One keyboard step: a whole press (down, then up) or one half of it. A down
// while the key is already down arrives as the keyboard's auto-repeat.
struct KeyStep {
  enum class Key { kTab, kSpace, kEnter, kEscape };
  enum class Stroke { kPress, kDown, kUp };
  Key key;
  Stroke stroke;
  bool operator==(const KeyStep& o) const { return key == o.key && stroke == o.stroke; }
};

// One step in the property frame that --properties opens, in order.
struct FrameStep {
  enum class Kind { kPage, kKey, kMnemonic, kType, kScreenshot, kOk, kCancel };
  Kind kind;
  std::u16string text;  // kType: the text; kScreenshot: the file; kMnemonic: the letter
  int page = 0;         // kPage: from 1
  KeyStep key{KeyStep::Key::kTab, KeyStep::Stroke::kPress};  // kKey
  bool operator==(const FrameStep& o) const {
    return kind == o.kind && text == o.text && page == o.page && key == o.key;
  }
};

struct HostOptions {
  std::u16string file;  // empty: one control, freshly initialised
  std::u16string save;
  std::u16string screenshot;
  std::u16string screenshot_pressed;
  std::u16string render;  // --render: the form as each control draws itself, PNG
  int render_dpi = 300;
  std::vector<SetRequest> sets;
  std::u16string target;  // --control: whom --press, --execute, --set address
  std::u16string focus;    // --focus: the control Tab is pressed until it has the focus
  std::vector<KeyStep> keys;  // --tab and --key, in order
  bool properties = false;    // open the target's property pages, last
  std::vector<FrameStep> frame;  // --frame, in order
  bool press = false;
  bool execute = false;
  bool design = false;
  bool dismiss_messages = false;
  bool log = false;
  bool describe = false;
  bool accessible = false;         // print what a screen reader finds on each control
  bool default_action = false;     // the target's accessible default action
  bool accessible_after = false;   // the target's accessible object once it is released
  bool help = false;
  bool time_first_paint = false;  // print the time to the first complete paint
  bool floor = false;             // floor stand-ins instead of the controls
  int settle = 0;       // milliseconds of messages after the first paint
  int exit_after = -1;  // milliseconds; -1: until the window is closed
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// `args` without the program name. Throws UsageError.
HostOptions ParseHostCommandLine(const std::vector<std::u16string>& args);
// --set's value: the property file's syntax, or else the text as a string.
FileValue ParseSetValue(std::u16string_view text);

extern const char kHostUsage[];

}  // namespace pelzorvick
