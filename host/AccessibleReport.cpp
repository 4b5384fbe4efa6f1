#include "host/AccessibleReport.h"

#include <functional>

#include "component/win/Handles.h"
#include "component/win/WideString.h"
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
  for (const auto& s : kStates) {
    if (!(bits & s.bit)) continue;
    text += (text.empty() ? u"" : u" ") + std::u16string(s.name);
    bits &= ~s.bit;
  }
  if (bits) text += (text.empty() ? u"" : u" ") + HexCode(bits);
  return text.empty() ? u"(none)" : text;
}

// One question: its answer, or its failure (which fails the report).
bool Ask(const std::u16string& name, const char* what, HRESULT hr, const std::u16string& answer) {
  if (hr != S_OK) {
    Output::Error(name + u": accessible " + ToU16(what) + u": " + DescribeFailure(hr));
    return false;
  }
  Output::Line(u"accessible: " + name + u" " + ToU16(what) + u" " + answer);
  return true;
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
  const auto text = [&](const char* what, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(
                                               VARIANT, BSTR*)) {
    UniqueBstr b;
    const HRESULT hr = (acc.Get()->*get)(self, b.put());
    ok = Ask(name, what, hr, FromBstr(b.get())) && ok;
  };
  const auto number = [&](const char* what, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(
                                                 VARIANT, VARIANT*),
                          std::u16string (*show)(const VARIANT&)) {
    UniqueVariant v;
    const HRESULT hr = (acc.Get()->*get)(self, v.get());
    ok = Ask(name, what, hr, show(*v.get())) && ok;
  };
  text("name", &IAccessible::get_accName);
  number("role", &IAccessible::get_accRole, RoleText);
  number("state", &IAccessible::get_accState, StateText);
  text("description", &IAccessible::get_accDescription);
  text("action", &IAccessible::get_accDefaultAction);
  long x = 0, y = 0, w = 0, h = 0;
  const HRESULT hr = acc->accLocation(&x, &y, &w, &h, self);
  ok = Ask(name, "location", hr, Num(x) + u" " + Num(y) + u" " + Num(w) + u" " + Num(h)) && ok;
  RECT rc{};
  GetWindowRect(surface, &rc);
  Output::Line(u"accessible: " + name + u" window " + Num(rc.left) + u" " + Num(rc.top) + u" " +
               Num(rc.right - rc.left) + u" " + Num(rc.bottom - rc.top));
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
  const auto show = [&](const char* what, const std::function<HRESULT()>& call) {
    Output::Line(u"accessible: " + name + u" released " + ToU16(what) + u" " + HexCode(call()));
  };
  show("get_accName", [&] {
    UniqueBstr b;
    return acc->get_accName(self, b.put());
  });
  show("get_accRole", [&] {
    UniqueVariant v;
    return acc->get_accRole(self, v.get());
  });
  show("get_accState", [&] {
    UniqueVariant v;
    return acc->get_accState(self, v.get());
  });
  show("get_accDescription", [&] {
    UniqueBstr b;
    return acc->get_accDescription(self, b.put());
  });
  show("get_accDefaultAction", [&] {
    UniqueBstr b;
    return acc->get_accDefaultAction(self, b.put());
  });
  show("accLocation", [&] {
    long x, y, w, h;
    return acc->accLocation(&x, &y, &w, &h, self);
  });
  show("accDoDefaultAction", [&] { return acc->accDoDefaultAction(self); });
}

}  // namespace pelzorvick
