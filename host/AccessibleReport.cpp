#include "host/AccessibleReport.h"

#include "component/com/Handles.h"
#include "component/com/WideString.h"
#include "host/ControlHost.h"
#include "host/Output.h"

namespace pelzorvick {

namespace {

VARIANT Self() {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = CHILDID_SELF;
  return v;
}

std::u16string Num(long n) { return ToU16(std::to_string(n)); }

std::u16string RoleText(const VARIANT& role) {
  if (V_VT(&role) != VT_I4) return u"(not a number)";
  switch (V_I4(&role)) {
    case ROLE_SYSTEM_PUSHBUTTON: return u"pushbutton";
    case ROLE_SYSTEM_LINK: return u"link";
    default: return Num(V_I4(&role));
  }
}

std::u16string StateText(const VARIANT& state) {
  if (V_VT(&state) != VT_I4) return u"(not a number)";
  static const struct {
    LONG bit;
    const char16_t* name;
  } kStates[] = {{STATE_SYSTEM_FOCUSABLE, u"focusable"}, {STATE_SYSTEM_FOCUSED, u"focused"},
                 {STATE_SYSTEM_PRESSED, u"pressed"},     {STATE_SYSTEM_LINKED, u"linked"},
                 {STATE_SYSTEM_INVISIBLE, u"invisible"}, {STATE_SYSTEM_UNAVAILABLE, u"unavailable"}};
  auto bits = static_cast<LONG>(V_I4(&state));
  std::u16string text;
  const auto add = [&](std::u16string_view word) {
    if (!text.empty()) text += u' ';
    text += word;
  };
  for (const auto& s : kStates) {
    if (!(bits & s.bit)) continue;
    add(s.name);
    bits &= ~s.bit;
  }
  if (bits) add(HexCode(bits));
  return text.empty() ? u"(none)" : text;
}

using TextQuestion = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);
using ValueQuestion = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, VARIANT*);

const struct {
  const char* what;
  TextQuestion ask;
} kTextQuestions[] = {{"name", &IAccessible::get_accName},
                      {"description", &IAccessible::get_accDescription},
                      {"action", &IAccessible::get_accDefaultAction}};

const struct {
  const char* what;
  ValueQuestion ask;
  std::u16string (*show)(const VARIANT&);
} kValueQuestions[] = {{"role", &IAccessible::get_accRole, RoleText},
                       {"state", &IAccessible::get_accState, StateText}};

// One answer; a failed question fails the report.
bool Answer(const std::u16string& name, const char* what, HRESULT hr,
            const std::u16string& answer) {
  if (hr != S_OK) {
    Output::Error(name + u": accessible " + ToU16(what) + u": " + DescribeFailure(hr));
    return false;
  }
  Output::Line(u"accessible: " + name + u" " + ToU16(what) + u" " + answer);
  return true;
}

std::u16string Rect(long x, long y, long w, long h) {
  return Num(x) + u" " + Num(y) + u" " + Num(w) + u" " + Num(h);
}

}  // namespace

ComPtr<IAccessible> SurfaceAccessible(const std::u16string& name, HWND surface) {
  ComPtr<IAccessible> accessible;
  const HRESULT hr = AccessibleObjectFromWindow(surface, static_cast<DWORD>(OBJID_CLIENT),
                                                IID_PPV_ARGS(&accessible));
  if (FAILED(hr) || !accessible) {
    Output::Error(name + u": AccessibleObjectFromWindow: " + DescribeFailure(hr));
    return nullptr;
  }
  return accessible;
}

bool PrintAccessible(const std::u16string& name, HWND surface) {
  ComPtr<IAccessible> acc = SurfaceAccessible(name, surface);
  if (!acc) return false;
  const VARIANT self = Self();
  bool ok = true;
  for (const auto& q : kTextQuestions) {
    UniqueBstr b;
    const HRESULT hr = (acc.Get()->*q.ask)(self, b.put());
    ok = Answer(name, q.what, hr, FromBstr(b.get())) && ok;
  }
  for (const auto& q : kValueQuestions) {
    UniqueVariant v;
    const HRESULT hr = (acc.Get()->*q.ask)(self, v.get());
    ok = Answer(name, q.what, hr, q.show(*v.get())) && ok;
  }
  long x = 0, y = 0, w = 0, h = 0;
  const HRESULT hr = acc->accLocation(&x, &y, &w, &h, self);
  ok = Answer(name, "location", hr, Rect(x, y, w, h)) && ok;
  RECT rc{};
  GetWindowRect(surface, &rc);
  Output::Line(u"accessible: " + name + u" window " +
               Rect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top));
  return ok;
}

bool DoAccessibleDefaultAction(const std::u16string& name, HWND surface) {
  ComPtr<IAccessible> acc = SurfaceAccessible(name, surface);
  if (!acc) return false;
  SetErrorInfo(0, nullptr);
  const HRESULT hr = acc->accDoDefaultAction(Self());
  if (FAILED(hr)) {
    Output::Error(name + u": accDoDefaultAction: " + DescribeFailure(hr));
    return false;
  }
  return true;
}

void PrintReleasedAccessible(const std::u16string& name, IAccessible* acc) {
  const VARIANT self = Self();
  const auto show = [&](const char* what, HRESULT hr) {
    Output::Line(u"accessible: " + name + u" released " + ToU16(what) + u" " + HexCode(hr));
  };
  for (const auto& q : kTextQuestions) {
    UniqueBstr b;
    show(q.what, (acc->*q.ask)(self, b.put()));
  }
  for (const auto& q : kValueQuestions) {
    UniqueVariant v;
    show(q.what, (acc->*q.ask)(self, v.get()));
  }
  long x, y, w, h;
  show("location", acc->accLocation(&x, &y, &w, &h, self));
  show("doaction", acc->accDoDefaultAction(self));
}

}  // namespace pelzorvick
