#include "tests/control/Fakes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace pelzorvick::test {

std::string Narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      out += buf;
    }
  }
  return out;
}

std::string Num(float value) {
  char buf[32];
  const auto result = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, result.ptr);
}

std::string Hex(int32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", static_cast<unsigned>(value));
  return buf;
}

namespace {
std::string Bool(bool b) { return b ? "true" : "false"; }
}  // namespace

void FakeContainer::PropertyChanged(int32_t dispid) {
  const Property* p = ZorvickCtrl::FindProperty(dispid);
  log_.push_back("PropertyChanged(" + (p != nullptr ? Narrow(p->name) : Hex(dispid)) + ")");
}
void FakeContainer::SetAutoRedraw(bool on) { log_.push_back("SetAutoRedraw(" + Bool(on) + ")"); }
void FakeContainer::SetBackStyle(int style) {
  log_.push_back("SetBackStyle(" + std::to_string(style) + ")");
}
void FakeContainer::SetWidth(float twips) {
  width = twips;
  log_.push_back("Control.SetWidth(" + Num(twips) + ")");
}
void FakeContainer::SetHeight(float twips) {
  height = twips;
  log_.push_back("Control.SetHeight(" + Num(twips) + ")");
}
void FakeContainer::SetScaleWidth(float twips) {
  log_.push_back("Control.SetScaleWidth(" + Num(twips) + ")");
}
void FakeContainer::SetScaleHeight(float twips) {
  log_.push_back("Control.SetScaleHeight(" + Num(twips) + ")");
}
void FakeContainer::AsyncRead(std::u16string_view target, int type,
                              std::u16string_view property_name, int option) {
  log_.push_back("AsyncRead(" + Narrow(target) + "," + std::to_string(type) + "," +
                 Narrow(property_name) + "," + std::to_string(option) + ")");
  if (fail_async_read) throw ComError(errc::kFail, u"cannot start the read");
  if (on_async_read) on_async_read();
}
void FakeContainer::RaiseClick() { log_.push_back("RaiseClick()"); }

void FakeCanvas::Record(const std::string& name, const std::string& args) {
  log_.push_back(name + "(" + args + ")");
  if (name == fail_on) throw ComError(errc::kFail, u"surface failed");
}
void FakeCanvas::SetLeft(float twips) { Record("SetLeft", Num(twips)); }
void FakeCanvas::SetTop(float twips) { Record("SetTop", Num(twips)); }
void FakeCanvas::SetWidth(float twips) {
  width = twips;
  Record("SetWidth", Num(twips));
}
void FakeCanvas::SetHeight(float twips) {
  height = twips;
  Record("SetHeight", Num(twips));
}
void FakeCanvas::SetForeColor(int32_t color) { Record("SetForeColor", Hex(color)); }
void FakeCanvas::SetBackColor(int32_t color) { Record("SetBackColor", Hex(color)); }
void FakeCanvas::SetFontSize(float points) { Record("SetFontSize", Num(points)); }
void FakeCanvas::SetFontBold(bool on) { Record("SetFontBold", Bool(on)); }
void FakeCanvas::SetFontUnderline(bool on) { Record("SetFontUnderline", Bool(on)); }
void FakeCanvas::SetToolTipText(std::u16string_view text) { Record("SetToolTipText", Narrow(text)); }
void FakeCanvas::SetCurrentX(float twips) { Record("SetCurrentX", Num(twips)); }
void FakeCanvas::SetCurrentY(float twips) { Record("SetCurrentY", Num(twips)); }
void FakeCanvas::Cls() { Record("Cls", ""); }
void FakeCanvas::Line(float x1, float y1, float x2, float y2, int32_t color) {
  Record("Line", Num(x1) + "," + Num(y1) + "," + Num(x2) + "," + Num(y2) + "," + Hex(color));
}
void FakeCanvas::PaintPicture(const Picture& picture, float x, float y) {
  const auto* fake = dynamic_cast<const FakePicture*>(&picture);
  Record("PaintPicture", (fake ? fake->name : "?") + "," + Num(x) + "," + Num(y));
}
void FakeCanvas::Print(std::u16string_view text) { Record("Print", Narrow(text)); }
void FakeCanvas::DrawFocusRect(float x1, float y1, float x2, float y2) {
  Record("DrawFocusRect", Num(x1) + "," + Num(y1) + "," + Num(x2) + "," + Num(y2));
}
float FakeCanvas::TextWidth(std::u16string_view text) {
  Record("TextWidth", Narrow(text));
  return char_width * static_cast<float>(text.size());
}
float FakeCanvas::TextHeight(std::u16string_view text) {
  Record("TextHeight", Narrow(text));
  return text_height;
}

void FakePlatform::StartProgram(std::u16string_view program_file, std::u16string_view command_line,
                                std::u16string_view arguments, int show_style) {
  images.push_back(Narrow(program_file) + "|" + Narrow(arguments));
  log_.push_back("StartProcess(" + Narrow(command_line) + "," + std::to_string(show_style) + ")");
  if (fail_start) throw ComError(errc::kFileNotFound, u"File not found");
}
void FakePlatform::StartCommandInterpreter(std::u16string_view command_line, int show_style) {
  images.push_back(kInterpreter);
  log_.push_back("StartProcess(" + Narrow(command_line) + "," + std::to_string(show_style) + ")");
  if (fail_start) throw ComError(errc::kFileNotFound, u"File not found");
}
void FakePlatform::OpenWithShell(std::u16string_view file, std::u16string_view parameters,
                                 int show_style) {
  log_.push_back("Open(" + Narrow(file) + "|" + Narrow(parameters) + "," + std::to_string(show_style) + ")");
  if (fail_start) throw ComError(errc::kFileNotFound, u"File not found");
}
void FakePlatform::ShowMessageBox(std::u16string_view text, int style, std::u16string_view title) {
  log_.push_back("MessageBox(" + Narrow(text) + "," + std::to_string(style) + "," +
                 Narrow(title) + ")");
}
PicturePtr FakePlatform::ExtractIconPicture(std::u16string_view path, std::u16string_view mode) {
  log_.push_back("ExtractIconPicture(" + Narrow(path) + "," + Narrow(mode) + ")");
  return icon;
}

const FakePropertyBag::Value* FakePropertyBag::Find(std::u16string_view key) const {
  const auto found = values.find(std::u16string(key));
  return found == values.end() ? nullptr : &found->second;
}

namespace {
std::optional<float> ParseNumber(const std::u16string& text) {
  std::string narrow = Narrow(text);
  if (narrow.empty()) return std::nullopt;
  float value = 0;
  const auto result = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
  if (result.ec != std::errc() || result.ptr != narrow.data() + narrow.size()) return std::nullopt;
  return value;
}
}  // namespace

std::u16string FakePropertyBag::ReadString(std::u16string_view key, std::u16string_view def) {
  log_.push_back("ReadString(" + Narrow(key) + ")");
  const Value* v = Find(key);
  if (!v) return std::u16string(def);
  if (const auto* s = std::get_if<std::u16string>(v)) return *s;
  if (const auto* b = std::get_if<bool>(v)) return *b ? u"True" : u"False";
  std::u16string out;
  for (char c : Num(std::get<float>(*v))) out.push_back(static_cast<char16_t>(c));
  return out;
}

float FakePropertyBag::ReadSingle(std::u16string_view key, int16_t def) {
  log_.push_back("ReadSingle(" + Narrow(key) + "," + std::to_string(def) + ")");
  const Value* v = Find(key);
  if (!v) return def;
  if (const auto* f = std::get_if<float>(v)) return *f;
  if (const auto* b = std::get_if<bool>(v)) return *b ? -1.0f : 0.0f;
  const auto number = ParseNumber(std::get<std::u16string>(*v));
  if (!number) ThrowTypeMismatch();
  return *number;
}

bool FakePropertyBag::ReadBool(std::u16string_view key, bool def) {
  log_.push_back("ReadBool(" + Narrow(key) + "," + Bool(def) + ")");
  const Value* v = Find(key);
  if (!v) return def;
  if (const auto* b = std::get_if<bool>(v)) return *b;
  if (const auto* f = std::get_if<float>(v)) return *f != 0;
  const std::u16string& s = std::get<std::u16string>(*v);
  if (s == u"True") return true;
  if (s == u"False") return false;
  const auto number = ParseNumber(s);
  if (!number) ThrowTypeMismatch();
  return *number != 0;
}

void FakePropertyBag::WriteString(std::u16string_view key, std::u16string_view value,
                                  std::u16string_view def) {
  log_.push_back("WriteString(" + Narrow(key) + "," + Narrow(value) + "," + Narrow(def) + ")");
  if (drop_defaults && value == def) return;
  values[std::u16string(key)] = std::u16string(value);
}
void FakePropertyBag::WriteSingle(std::u16string_view key, float value, int16_t def) {
  log_.push_back("WriteSingle(" + Narrow(key) + "," + Num(value) + "," + std::to_string(def) + ")");
  if (drop_defaults && value == def) return;
  values[std::u16string(key)] = value;
}
void FakePropertyBag::WriteBool(std::u16string_view key, bool value, bool def) {
  log_.push_back("WriteBool(" + Narrow(key) + "," + Bool(value) + "," + Bool(def) + ")");
  if (drop_defaults && value == def) return;
  values[std::u16string(key)] = value;
}

void ControlFixture::SetProperties(
    std::initializer_list<std::pair<std::u16string_view, FakePropertyBag::Value>> values) {
  for (const auto& [name, value] : values) {
    const auto& rows = ZorvickCtrl::kProperties;
    const auto at = std::find_if(rows.begin(), rows.end(),
                                 [&](const Property& p) { return p.name == name; });
    if (at == rows.end()) throw std::invalid_argument("no property " + Narrow(name));
    ZorvickCtrl::WithRow(*at, [&](auto row) {
      ctrl.Set<row>(std::get<ZorvickCtrl::ValueType<row>>(value));
    });
  }
}

}  // namespace pelzorvick::test
