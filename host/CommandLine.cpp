#include "host/CommandLine.h"

#include <charconv>
#include <climits>

#include "common/Utf8.h"
#include "text/StringUtil.h"

namespace pelzorvick {

const char kHostUsage[] =
    "usage: zorvick-host [FILE] [options]\n"
    "Places PelZorvick.ZorvickCtrl controls on a form: one for FILE, or one per\n"
    "[section] of FILE; without FILE one freshly initialised control.\n"
    "  --design              ambient UserMode false (design mode)\n"
    "  --set [S.]Name=value  set a property through IDispatch after loading\n"
    "                        (value as in the file; other text is a string)\n"
    "  --control S           the control that --press, --execute, --set,\n"
    "                        --default-action address (default: the first)\n"
    "  --press               left press and release on the control's surface\n"
    "  --execute             call the method Execute\n"
    "  --focus S             press Tab until control S has the focus\n"
    "  --tab N               press Tab N times (in order with --key)\n"
    "  --key K               press K: tab, space, enter or escape; K-down or K-up\n"
    "                        for one half (repeatable, in order; keys go through\n"
    "                        the form's message loop to the focused window)\n"
    "  --properties          after the steps above, open the control's property\n"
    "                        pages in the system's frame; wait until it closes\n"
    "  --frame STEP          a step in that frame (repeatable, in order): page=N,\n"
    "                        key=K (tab, space, enter, escape, or alt+LETTER),\n"
    "                        type=TEXT, screenshot=F.png, ok, cancel\n"
    "  --accessible          print what a screen reader finds on each control\n"
    "  --default-action      the control's accessible default action\n"
    "  --accessible-after-release   ask the control's accessible object again\n"
    "                        after the host has released the control\n"
    "  --screenshot F.png    the form's pixels after painting\n"
    "  --screenshot-pressed F.png   the form's pixels while --press holds the button\n"
    "  --render F.png        the form as each control draws itself through\n"
    "                        IViewObject::Draw at --render-dpi, as a printer gets it\n"
    "  --render-dpi N        the resolution of --render (default 300)\n"
    "  --dismiss-messages    close every message box with OK, printing it\n"
    "  --log                 print notifications, events, message boxes and errors\n"
    "  --describe            print the form's geometry, tooltips and system colours\n"
    "  --save F              write the properties to F when the host closes\n"
    "  --settle MS           after the first paint, take messages for MS before the\n"
    "                        steps below (pictures come in the background)\n"
    "  --exit-after MS       close MS milliseconds after the steps above\n"
    "  --time-first-paint    print the time from making the controls to the first\n"
    "                        complete paint of the form\n"
    "  --floor               with --time-first-paint: a trivial object and a child\n"
    "                        window stand in for each control\n";

namespace {

KeyStep ParseKeyStep(std::u16string_view text) {
  static const struct {
    std::u16string_view name;
    KeyStep::Key key;
  } kKeys[] = {{u"tab", KeyStep::Key::kTab},
               {u"space", KeyStep::Key::kSpace},
               {u"enter", KeyStep::Key::kEnter},
               {u"escape", KeyStep::Key::kEscape}};
  KeyStep step{KeyStep::Key::kTab, KeyStep::Stroke::kPress};
  std::u16string_view name = text;
  const auto ends = [&](std::u16string_view suffix) {
    if (name.size() <= suffix.size() || name.substr(name.size() - suffix.size()) != suffix) {
      return false;
    }
    name.remove_suffix(suffix.size());
    return true;
  };
  if (ends(u"-down")) {
    step.stroke = KeyStep::Stroke::kDown;
  } else if (ends(u"-up")) {
    step.stroke = KeyStep::Stroke::kUp;
  }
  for (const auto& k : kKeys) {
    if (name == k.name) {
      step.key = k.key;
      return step;
    }
  }
  throw UsageError("--key knows tab, space, enter, escape (each also -down or -up), not \"" +
                   ToUtf8Lossy(text) + "\"");
}

int ParseCount(const std::string& option, const std::string& text, int most);

FrameStep ParseFrameStep(std::u16string_view text) {
  using Kind = FrameStep::Kind;
  const std::size_t eq = text.find(u'=');
  const std::u16string_view name = text.substr(0, eq);
  const std::u16string value(eq == std::u16string_view::npos ? u"" : text.substr(eq + 1));
  const bool valued = eq != std::u16string_view::npos;
  if (!valued && name == u"ok") return {Kind::kOk, u""};
  if (!valued && name == u"cancel") return {Kind::kCancel, u""};
  if (valued && name == u"type" && !value.empty()) return {Kind::kType, value};
  if (valued && name == u"screenshot" && !value.empty()) return {Kind::kScreenshot, value};
  if (valued && name == u"page") {
    FrameStep step{Kind::kPage, u""};
    step.page = ParseCount("--frame page", ToUtf8Lossy(value), 16);
    if (step.page == 0) throw UsageError("--frame page counts from 1");
    return step;
  }
  if (valued && name == u"key") {
    const bool digit = value.size() == 5 && value[4] >= u'0' && value[4] <= u'9';
    if (value.size() == 5 && value.substr(0, 4) == u"alt+" && (digit || IsLetter(value.substr(4)))) {
      return {Kind::kMnemonic, value.substr(4)};
    }
    FrameStep step{Kind::kKey, u""};
    step.key = ParseKeyStep(value);
    return step;
  }
  throw UsageError("--frame knows page=N, key=K, type=TEXT, screenshot=F.png, ok, cancel, not \"" +
                   ToUtf8Lossy(text) + "\"");
}

int ParseCount(const std::string& option, const std::string& text, int most) {
  int n = -1;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || end != text.data() + text.size() || n < 0 || n > most) {
    throw UsageError(option + " needs a number up to " + std::to_string(most) + ", not \"" +
                     text + "\"");
  }
  return n;
}

}  // namespace

FileValue ParseSetValue(std::u16string_view text) {
  if (std::optional<FileValue> v = ParseValue(text)) return *v;
  return FileValue::String(std::u16string(text));
}

// The options that only switch something on, and those that take a text.
template <class T>
struct Option {
  std::u16string_view name;
  T HostOptions::*field;
};
template <class T, std::size_t N>
const Option<T>* Find(const Option<T> (&table)[N], std::u16string_view name) {
  for (const Option<T>& option : table) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

constexpr Option<bool> kFlags[] = {
    {u"--press", &HostOptions::press},
    {u"--execute", &HostOptions::execute},
    {u"--design", &HostOptions::design},
    {u"--dismiss-messages", &HostOptions::dismiss_messages},
    {u"--log", &HostOptions::log},
    {u"--time-first-paint", &HostOptions::time_first_paint},
    {u"--floor", &HostOptions::floor},
    {u"--describe", &HostOptions::describe},
    {u"--accessible", &HostOptions::accessible},
    {u"--default-action", &HostOptions::default_action},
    {u"--accessible-after-release", &HostOptions::accessible_after},
    {u"--properties", &HostOptions::properties},
    {u"--help", &HostOptions::help},
    {u"-h", &HostOptions::help},
    {u"/?", &HostOptions::help},
};
constexpr Option<std::u16string> kTexts[] = {
    {u"--save", &HostOptions::save},
    {u"--screenshot", &HostOptions::screenshot},
    {u"--screenshot-pressed", &HostOptions::screenshot_pressed},
    {u"--render", &HostOptions::render},
    {u"--control", &HostOptions::target},
    {u"--focus", &HostOptions::focus},
};

HostOptions ParseHostCommandLine(const std::vector<std::u16string>& args) {
  HostOptions o;
  const auto narrow = [](std::u16string_view s) { return ToUtf8Lossy(s); };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::u16string& a = args[i];
    const auto value = [&]() -> const std::u16string& {
      if (i + 1 >= args.size()) throw UsageError(narrow(a) + " needs a value");
      return args[++i];
    };
    if (const Option<bool>* flag = Find(kFlags, a)) {
      o.*flag->field = true;
    } else if (const Option<std::u16string>* text = Find(kTexts, a)) {
      o.*text->field = value();
    } else if (a == u"--exit-after") {
      o.exit_after = ParseCount("--exit-after", narrow(value()), INT_MAX);
    } else if (a == u"--render-dpi") {
      o.render_dpi = ParseCount("--render-dpi", narrow(value()), 1200);
      if (o.render_dpi == 0) throw UsageError("--render-dpi needs a resolution above 0");
    } else if (a == u"--settle") {
      o.settle = ParseCount("--settle", narrow(value()), INT_MAX);
    } else if (a == u"--tab") {
      o.keys.insert(o.keys.end(), ParseCount("--tab", narrow(value()), 100),
                    KeyStep{KeyStep::Key::kTab, KeyStep::Stroke::kPress});
    } else if (a == u"--key") {
      o.keys.push_back(ParseKeyStep(value()));
    } else if (a == u"--frame") {
      o.frame.push_back(ParseFrameStep(value()));
    } else if (a == u"--set") {
      const std::u16string& s = value();
      const std::size_t eq = s.find(u'=');
      if (eq == std::u16string::npos || eq == 0) {
        throw UsageError(std::string("--set needs Name=value, not \"").append(narrow(s)) + "\"");
      }
      SetRequest r;
      r.name = s.substr(0, eq);
      if (const std::size_t dot = r.name.find(u'.'); dot != std::u16string::npos) {
        r.control = r.name.substr(0, dot);
        r.name = r.name.substr(dot + 1);
      }
      r.value = ParseSetValue(std::u16string_view(s).substr(eq + 1));
      o.sets.push_back(std::move(r));
    } else if (a.size() > 1 && a[0] == u'-' && a[1] == u'-') {
      throw UsageError(std::string("unknown option ").append(narrow(a)));
    } else if (o.file.empty()) {
      o.file = a;
    } else {
      throw UsageError(std::string("only one property file, not also ").append(narrow(a)));
    }
  }
  if (!o.screenshot_pressed.empty() && !o.press) {
    throw UsageError("--screenshot-pressed needs --press");
  }
  if (!o.frame.empty() && !o.properties) throw UsageError("--frame needs --properties");
  return o;
}

}  // namespace pelzorvick
