// The control's property reading over a bag whose answers come from the
// input, then paints, presses, clicks and the picture completion, all against
// recording fakes. Nothing may crash or throw anything but the errors the
// control passes on (overflow of its 16-bit positions, a failed start); a
// read that throws leaves the properties read before it with their values and
// the rest with their creation values, and starts no picture.
//
// Input (read as text by fuzz/FuzzInput.h), one item per line:
//   line 1   options, one letter each: U user mode, E files exist, I an icon
//            is found, A the download completes at once, F the download
//            cannot start, N the completion has no name, W a wrong name,
//            V its value fails, S starting a process fails, C a comma as the
//            decimal separator, T text measures huge, P a huge picture
//   then one line per bag read, in reading order:
//            -       absent (the default)       x   the type mismatch
//            sTEXT   a string                   lN:TEXT  TEXT repeated to N
//            fTEXT   a float from number text   Fab  a float of two code units
//            iN      a 16-bit integer           b1 / b0  a boolean
//   then events: p paint, dN press button N, uN release button N, c click,
//            e Execute, r deliver the download, w write and read back
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/ComError.h"
#include "component/persist/MemoryPropertyBag.h"
#include "control/ZorvickCtrl.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/ReadPropertiesFakes.h"

using namespace pelzorvick;
using namespace pelzorvick::fuzz;

#define Check(ok) ((ok) ? (void)0 : fuzz::Fail(#ok, __LINE__))

namespace {

constexpr std::size_t kReads = 18;
const char16_t* const kReadOrder[kReads] = {
    u"Control",  u"BackColor", u"ForeColor", u"FontSize", u"Command",  u"Text",
    u"ImageURL", u"Command1",  u"Command2",  u"Command3", u"Command4", u"Command5",
    u"Command6", u"Command7",  u"Command8",  u"Command9", u"AutoSize", u"Border"};

// One answer of the bag: absent, a typed value, or the type mismatch.
struct Answer {
  enum { kAbsent, kValue, kMismatch } kind = kAbsent;
  PropertyValue value;
};

Answer ParseAnswer(const std::u16string& line) {
  Answer a;
  if (line.empty()) return a;
  const std::u16string rest = line.substr(1);
  switch (line[0]) {
    case u'x': a.kind = Answer::kMismatch; return a;
    case u's': a.kind = Answer::kValue; a.value = rest; return a;
    case u'l': {
      const std::size_t colon = rest.find(u':');
      std::size_t n = 0;
      for (std::size_t i = 0; i < colon && i < rest.size() && i < 5; ++i)
        if (rest[i] >= u'0' && rest[i] <= u'9') n = n * 10 + (rest[i] - u'0');
      const std::u16string unit = colon == std::u16string::npos ? u"x" : rest.substr(colon + 1);
      std::u16string text;
      if (!unit.empty())
        while (text.size() < n) text += unit;
      a.kind = Answer::kValue;
      a.value = text;
      return a;
    }
    case u'f': {
      a.kind = Answer::kValue;
      if (rest == u"nan") a.value = std::nanf("");
      else if (rest == u"inf") a.value = INFINITY;
      else if (rest == u"-inf") a.value = -INFINITY;
      else {
        const auto d = ParseNumberText(rest);
        a.value = static_cast<float>(d && std::fabs(*d) < 3e38 ? *d : 0.0);
      }
      return a;
    }
    case u'F': {
      uint32_t bits = 0;
      for (std::size_t i = 0; i < 2 && i < rest.size(); ++i) bits |= uint32_t{rest[i]} << (16 * i);
      float f;
      std::memcpy(&f, &bits, sizeof f);
      a.kind = Answer::kValue;
      a.value = f;
      return a;
    }
    case u'i': {
      int32_t n = 0;
      bool negative = !rest.empty() && rest[0] == u'-';
      for (std::size_t i = negative; i < rest.size() && i < 6; ++i)
        if (rest[i] >= u'0' && rest[i] <= u'9') n = n * 10 + (rest[i] - u'0');
      a.kind = Answer::kValue;
      a.value = static_cast<int16_t>(negative ? -n : n);
      return a;
    }
    case u'b': a.kind = Answer::kValue; a.value = rest != u"0"; return a;
    default: return a;
  }
}

// Serves the answers in reading order and remembers what each read gave.
class FuzzBag : public PropertyBag {
 public:
  explicit FuzzBag(std::vector<Answer> answers) : answers_(std::move(answers)) {}

  // What the setter of each completed read was given.
  std::vector<PropertyValue> given;

  std::u16string ReadString(std::u16string_view key, std::u16string_view def) override {
    const Answer& a = Next(key);
    std::u16string s = a.kind == Answer::kAbsent ? std::u16string(def) : PropertyValueToString(a.value);
    given.emplace_back(s);
    return s;
  }
  float ReadSingle(std::u16string_view key, int16_t def) override {
    const Answer& a = Next(key);
    const float f = a.kind == Answer::kAbsent ? def : PropertyValueToSingle(a.value);
    given.emplace_back(f);
    return f;
  }
  bool ReadBool(std::u16string_view key, bool def) override {
    const Answer& a = Next(key);
    const bool b = a.kind == Answer::kAbsent ? def : PropertyValueToBool(a.value);
    given.emplace_back(b);
    return b;
  }
  void WriteString(std::u16string_view, std::u16string_view, std::u16string_view) override {}
  void WriteSingle(std::u16string_view, float, int16_t) override {}
  void WriteBool(std::u16string_view, bool, bool) override {}

 private:
  const Answer& Next(std::u16string_view key) {
    Check(next_ < kReads && key == kReadOrder[next_]);
    const Answer& a = answers_[next_++];
    if (a.kind == Answer::kMismatch) ThrowTypeMismatch();
    return a;
  }

  std::vector<Answer> answers_;
  std::size_t next_ = 0;
};

// The property under a read name, as the setter stored it.
PropertyValue Stored(const ZorvickCtrl& c, std::size_t i) {
  switch (i) {
    case 0: return c.Control();
    case 1: return c.BackColor();
    case 2: return c.ForeColor();
    case 3: return c.FontSize();
    case 4: return c.Command();
    case 5: return c.Text();
    case 6: return c.ImageURL();
    case 7: return c.Command1();
    case 8: return c.Command2();
    case 9: return c.Command3();
    case 10: return c.Command4();
    case 11: return c.Command5();
    case 12: return c.Command6();
    case 13: return c.Command7();
    case 14: return c.Command8();
    case 15: return c.Command9();
    case 16: return c.AutoSize();
    default: return c.Border();
  }
}

bool SameFloat(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// What the setter makes of a value given to it.
PropertyValue AsSet(PropertyValue v) {
  if (auto* f = std::get_if<float>(&v)) {
    if (*f == 0 || std::isnan(*f)) *f = 9;
  }
  return v;
}

bool SameValue(const PropertyValue& a, const PropertyValue& b) {
  if (a.index() != b.index()) return false;
  if (auto* f = std::get_if<float>(&a)) return SameFloat(*f, std::get<float>(b));
  return a == b;
}

// A control's error as the container would get it: allowed are the overflow
// of the 16-bit positions and the failures the fakes were told to produce.
template <typename Step>
void Allowed(Step step) {
  try {
    step();
  } catch (const ComError& e) {
    Check(e.code() == errc::kOverflow || e.code() == errc::kFail);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string rest = fuzz::ToText(data, size);
  Options o;
  // The first line's letters, each an option.
  static constexpr std::pair<char16_t, bool Options::*> kLetters[] = {
      {u'U', &Options::user_mode},   {u'E', &Options::files_exist}, {u'I', &Options::icon},
      {u'A', &Options::complete_at_once}, {u'F', &Options::read_fails}, {u'N', &Options::no_name},
      {u'W', &Options::wrong_name},  {u'V', &Options::value_fails}, {u'S', &Options::start_fails},
      {u'C', &Options::comma},       {u'T', &Options::huge_text},   {u'P', &Options::huge_picture}};
  for (char16_t c : fuzz::TakeLine(rest)) {
    for (const auto& [letter, option] : kLetters) {
      if (c == letter) o.*option = true;
    }
  }
  std::vector<Answer> answers;
  for (std::size_t i = 0; i < kReads; ++i) answers.push_back(ParseAnswer(fuzz::TakeLine(rest)));

  Rig rig(o);
  ZorvickCtrl& control = rig.control;
  FakeContainer& container = rig.container;

  FuzzBag bag(answers);
  bool mismatch = false, overflow = false;
  try {
    control.ReadProperties(bag);
  } catch (const ComError& e) {
    mismatch = e.code() == errc::kTypeMismatch;
    overflow = e.code() == errc::kOverflow;
    Check(mismatch || overflow);
  }
  Check(container.auto_redraw == 0 && container.back_style == 1);
  const std::size_t read = bag.given.size();
  // An overflow can only come from the picture step, after all reads.
  Check(!overflow || read == kReads);
  Check(mismatch || read == kReads);
  // A stopped read starts no picture and notifies nothing more.
  if (mismatch) Check(container.reads.empty() && rig.platform.icons == 0 && container.changed.size() == read);

  // Each completed read reached its setter once, in order; the others kept
  // their creation values. A picture failure may since have set Control and
  // Text once more.
  Check(container.changed.size() >= read);
  for (std::size_t i = 0; i < read; ++i) Check(container.changed[i] == kReadOrder[i]);
  const bool rewritten = container.changed.size() > read;
  for (std::size_t i = 0; i < kReads; ++i) {
    if (rewritten && (i == 0 || i == 5)) continue;
    const PropertyValue now = Stored(control, i);
    if (i < read) {
      Check(SameValue(now, AsSet(bag.given[i])));
    } else {
      const PropertyValue creation = i == 3    ? PropertyValue(0.0f)
                                     : i >= 16 ? PropertyValue(false)
                                               : PropertyValue(std::u16string());
      Check(SameValue(now, creation));
    }
  }

  while (!rest.empty()) {
    const std::u16string event = fuzz::TakeLine(rest);
    if (event.empty()) continue;
    const int16_t button = event.size() > 1 ? static_cast<int16_t>(event[1] - u'0') : 1;
    switch (event[0]) {
      case u'p': Allowed([&] { control.Paint(); }); break;
      case u'd': Allowed([&] { control.CanvasMouseDown(button, 0, 10, 10); }); break;
      case u'u': Allowed([&] { control.CanvasMouseUp(button, 0, 10, 10); }); break;
      case u'c': {
        const int clicks = container.clicks;
        bool failed = false;
        try {
          control.CanvasClick();
        } catch (const ComError& e) {
          Check(e.code() == errc::kOverflow || e.code() == errc::kFail);
          failed = true;
        }
        // Click follows a command that ran, or the message that none was found.
        Check(container.clicks == clicks + (failed ? 0 : 1));
        break;
      }
      case u'e': Allowed([&] { control.Execute(); }); break;
      case u'r': container.Deliver(); break;
      case u'w': {
        // What is written reads back into a new control as the same values.
        MemoryPropertyBag stored;
        control.WriteProperties(stored);
        const Options design;
        Rig copy(design);
        copy.control.ReadProperties(stored);
        for (std::size_t i = 0; i < kReads; ++i) {
          PropertyValue a = Stored(control, i);
          if (i == 3) a = AsSet(a);  // a creation value of 0 loads as 9
          Check(SameValue(a, Stored(copy.control, i)));
        }
        break;
      }
      default: break;
    }
  }
  return 0;
}
