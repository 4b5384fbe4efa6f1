#include "component/surface/AccessibleSurface.h"

#include <utility>

#include "common/ComError.h"
#include "component/com/ErrorInfo.h"
#include "component/com/WideString.h"

namespace pelzorvick {
namespace {

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The accessibility library is loaded when a screen reader first asks, not
// imported: most containers never need it. Pinned once loaded; its objects
// may be held by clients until the process ends.
struct Oleacc {
  decltype(&CreateStdAccessibleObject) create_standard = nullptr;
  decltype(&LresultFromObject) lresult = nullptr;
};

const Oleacc& Library() {
  static const Oleacc library = [] {
    Oleacc found;
    if (HMODULE module = LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
      found.create_standard = reinterpret_cast<decltype(&CreateStdAccessibleObject)>(
          reinterpret_cast<void*>(GetProcAddress(module, "CreateStdAccessibleObject")));
      found.lresult = reinterpret_cast<decltype(&LresultFromObject)>(
          reinterpret_cast<void*>(GetProcAddress(module, "LresultFromObject")));
    }
    return found;
  }();
  return library;
}

}  // namespace

AccessibleSurface::AccessibleSurface(HWND window, AccessibleSource& source,
                                     std::function<RECT()> location)
    : window_(window), source_(&source), location_(std::move(location)) {
  const Oleacc& oleacc = Library();
  if (!oleacc.create_standard || !oleacc.lresult) {
    throw ComError(E_NOTIMPL, u"The system offers no accessibility library");
  }
  const HRESULT hr = oleacc.create_standard(window, OBJID_CLIENT, IID_PPV_ARGS(&standard_));
  if (FAILED(hr)) throw ComError(hr, u"The surface's accessible object cannot be made");
}

LRESULT AccessibleSurface::Lresult(WPARAM wparam) {
  return Library().lresult(__uuidof(IAccessible), wparam, static_cast<IAccessible*>(this));
}

void AccessibleSurface::Disconnect() {
  source_ = nullptr;
  location_ = nullptr;
  standard_.Reset();
}

template <class F>
HRESULT AccessibleSurface::OnSelf(const VARIANT& child, F&& f) {
  if (!source_) return RPC_E_DISCONNECTED;
  if (!IsSelf(child)) return E_INVALIDARG;  // the surface has no children
  // A call may run the command and let the container release the control.
  const ComPtr<IUnknown> keep(Identity());
  return f();
}

template <class F>
HRESULT AccessibleSurface::Text(const VARIANT& child, BSTR* out, F&& pick) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return OnSelf(child, [&] {
    *out = MakeBstr(pick(source_->DescribeSurface()));
    return S_OK;
  });
}

HRESULT AccessibleSurface::Invoke(Guarded, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                  EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

// Where the window system knows better (the window's parent, hit testing,
// navigation among siblings), the standard object answers.

HRESULT AccessibleSurface::get_accParent(Guarded, IDispatch** parent) {
  if (parent == nullptr) return E_POINTER;
  *parent = nullptr;
  if (!source_) return RPC_E_DISCONNECTED;
  return standard_->get_accParent(parent);
}

HRESULT AccessibleSurface::get_accChildCount(Guarded, long* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return source_ ? S_OK : RPC_E_DISCONNECTED;
}

HRESULT AccessibleSurface::get_accChild(Guarded, VARIANT, IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return source_ ? E_INVALIDARG : RPC_E_DISCONNECTED;
}

HRESULT AccessibleSurface::get_accName(Guarded, VARIANT child, BSTR* name) {
  return Text(child, name, [](const AccessibleFacts& f) { return f.name; });
}

HRESULT AccessibleSurface::get_accValue(Guarded, VARIANT child, BSTR* value) {
  if (value == nullptr) return E_POINTER;
  *value = nullptr;
  return OnSelf(child, [] { return DISP_E_MEMBERNOTFOUND; });
}

HRESULT AccessibleSurface::get_accDescription(Guarded, VARIANT child, BSTR* description) {
  return Text(child, description, [](const AccessibleFacts& f) { return f.description; });
}

HRESULT AccessibleSurface::get_accRole(Guarded, VARIANT child, VARIANT* role) {
  if (role == nullptr) return E_POINTER;
  VariantInit(role);
  return OnSelf(child, [&] {
    role->vt = VT_I4;
    role->lVal = source_->DescribeSurface().link ? ROLE_SYSTEM_LINK : ROLE_SYSTEM_PUSHBUTTON;
    return S_OK;
  });
}

HRESULT AccessibleSurface::get_accState(Guarded, VARIANT child, VARIANT* state) {
  if (state == nullptr) return E_POINTER;
  VariantInit(state);
  return OnSelf(child, [&] {
    const AccessibleFacts facts = source_->DescribeSurface();
    long bits = STATE_SYSTEM_FOCUSABLE;
    if (facts.focused) bits |= STATE_SYSTEM_FOCUSED;
    if (facts.pressed) bits |= STATE_SYSTEM_PRESSED;
    if (facts.link) bits |= STATE_SYSTEM_LINKED;
    if (!IsWindowVisible(window_)) bits |= STATE_SYSTEM_INVISIBLE;
    state->vt = VT_I4;
    state->lVal = bits;
    return S_OK;
  });
}

HRESULT AccessibleSurface::get_accHelp(Guarded, VARIANT child, BSTR* help) {
  if (help == nullptr) return E_POINTER;
  *help = nullptr;
  return OnSelf(child, [] { return S_FALSE; });
}

HRESULT AccessibleSurface::get_accHelpTopic(Guarded, BSTR* file, VARIANT child, long* topic) {
  if (file == nullptr || topic == nullptr) return E_POINTER;
  *file = nullptr;
  *topic = 0;
  return OnSelf(child, [] { return S_FALSE; });
}

HRESULT AccessibleSurface::get_accKeyboardShortcut(Guarded, VARIANT child, BSTR* shortcut) {
  if (shortcut == nullptr) return E_POINTER;
  *shortcut = nullptr;
  return OnSelf(child, [] { return S_FALSE; });
}

HRESULT AccessibleSurface::get_accFocus(Guarded, VARIANT* focus) {
  if (focus == nullptr) return E_POINTER;
  VariantInit(focus);
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  return OnSelf(self, [&] {
    if (!source_->DescribeSurface().focused) return S_FALSE;
    *focus = self;
    return S_OK;
  });
}

HRESULT AccessibleSurface::get_accSelection(Guarded, VARIANT* selection) {
  if (selection == nullptr) return E_POINTER;
  VariantInit(selection);
  return source_ ? S_FALSE : RPC_E_DISCONNECTED;
}

HRESULT AccessibleSurface::get_accDefaultAction(Guarded, VARIANT child, BSTR* action) {
  return Text(child, action, [](const AccessibleFacts& f) { return f.default_action; });
}

HRESULT AccessibleSurface::accSelect(Guarded, long flags, VARIANT child) {
  if (!source_) return RPC_E_DISCONNECTED;
  return standard_->accSelect(flags, child);
}

HRESULT AccessibleSurface::accLocation(Guarded, long* left, long* top, long* width, long* height,
                                       VARIANT child) {
  if (!left || !top || !width || !height) return E_POINTER;
  *left = *top = *width = *height = 0;
  return OnSelf(child, [&] {
    const RECT rect = location_();
    *left = rect.left;
    *top = rect.top;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return S_OK;
  });
}

HRESULT AccessibleSurface::accNavigate(Guarded, long direction, VARIANT start, VARIANT* end) {
  if (end == nullptr) return E_POINTER;
  VariantInit(end);
  if (!source_) return RPC_E_DISCONNECTED;
  return standard_->accNavigate(direction, start, end);
}

HRESULT AccessibleSurface::accHitTest(Guarded, long x, long y, VARIANT* child) {
  if (child == nullptr) return E_POINTER;
  VariantInit(child);
  if (!source_) return RPC_E_DISCONNECTED;
  return standard_->accHitTest(x, y, child);
}

HRESULT AccessibleSurface::accDoDefaultAction(Guarded, VARIANT child) {
  return OnSelf(child, [&] {
    source_->DoSurfaceDefaultAction();
    return S_OK;
  });
}

HRESULT AccessibleSurface::put_accName(Guarded, VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT AccessibleSurface::put_accValue(Guarded, VARIANT, BSTR) { return E_NOTIMPL; }

}  // namespace pelzorvick
