#include "host/CommandLine.h"

#include <charconv>

#include "common/Utf8.h"

namespace pelzorvick {

const char kHostUsage[] =
    "usage: zorvick-host [FILE] [options]\n"
    "Places PelZorvick.ZorvickCtrl controls on a form: one for FILE, or one per\n"
    "[section] of FILE; without FILE one freshly initialised control.\n"
    "  --design              ambient UserMode false (design mode)\n"
    "  --set [S.]Name=value  set a property through IDispatch after loading\n"
    "                        (value as in the file; other text is a string)\n"
    "  --control S           the control that --press, --execute, --set address\n"
    "                        (default: the first)\n"
    "  --press               left press and release on the control's surface\n"
    "  --execute             call the method Execute\n"
    "  --screenshot F.png    the form's pixels after painting\n"
    "  --screenshot-pressed F.png   the form's pixels while --press holds the button\n"
    "  --dismiss-messages    close every message box with OK, printing it\n"
    "  --log                 print notifications, events, message boxes and errors\n"
    "  --describe            print the form's geometry, tooltips and system colours\n"
    "  --save F              write the properties to F when the host closes\n"
    "  --exit-after MS       close MS milliseconds after the steps above\n";

FileValue ParseSetValue(std::u16string_view text) {
  if (std::optional<FileValue> v = ParseValue(text)) return *v;
  return FileValue::String(std::u16string(text));
}

HostOptions ParseHostCommandLine(const std::vector<std::u16string>& args) {
  HostOptions o;
  const auto narrow = [](std::u16string_view s) { return ToUtf8Lossy(s); };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::u16string& a = args[i];
    const auto value = [&]() -> const std::u16string& {
      if (i + 1 >= args.size()) throw UsageError(narrow(a) + " needs a value");
      return args[++i];
    };
    if (a == u"--press") {
      o.press = true;
    } else if (a == u"--execute") {
      o.execute = true;
    } else if (a == u"--design") {
      o.design = true;
    } else if (a == u"--dismiss-messages") {
      o.dismiss_messages = true;
    } else if (a == u"--log") {
      o.log = true;
    } else if (a == u"--describe") {
      o.describe = true;
    } else if (a == u"--help" || a == u"-h" || a == u"/?") {
      o.help = true;
    } else if (a == u"--save") {
      o.save = value();
    } else if (a == u"--screenshot") {
      o.screenshot = value();
    } else if (a == u"--screenshot-pressed") {
      o.screenshot_pressed = value();
    } else if (a == u"--control") {
      o.target = value();
    } else if (a == u"--exit-after") {
      const std::string ms = narrow(value());
      int n = -1;
      const auto [end, ec] = std::from_chars(ms.data(), ms.data() + ms.size(), n);
      if (ec != std::errc() || end != ms.data() + ms.size() || n < 0) {
        throw UsageError(std::string("--exit-after needs milliseconds, not \"").append(ms) + "\"");
      }
      o.exit_after = n;
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
  return o;
}

}  // namespace pelzorvick
