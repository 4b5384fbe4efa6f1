// The keyboard and screen readers: the surface's keys, focus and accessible
// object reach the core, and only the surface's keys pass the container's
// accelerator translation.

#include "component/com/ErrorInfo.h"
#include "component/object/ZorvickObject.h"

namespace pelzorvick {

void ZorvickObject::OnCanvasKey(CanvasKey key, bool down, bool repeat) {
  Microsoft::WRL::ComPtr<IUnknown> keep(Identity());
  bool click = false;
  if (GuardedEvent(down ? u"KeyDown" : u"KeyUp", [&] {
        click = down ? ctrl_.CanvasKeyDown(key, repeat) : ctrl_.CanvasKeyUp(key);
      })) {
    canvas_.Commit();
  } else {
    canvas_.Rollback();
  }
  // The released look is shown before the command runs, as after a click.
  if (click) GuardedEvent(u"Click", [&] { ctrl_.CanvasClick(); });
}

void ZorvickObject::OnCanvasFocus(bool focused, bool cue) {
  Microsoft::WRL::ComPtr<IUnknown> keep(Identity());
  if (GuardedEvent(u"Focus", [&] { ctrl_.CanvasFocus(focused, cue); })) {
    canvas_.Commit();
  } else {
    canvas_.Rollback();
  }
  GuardedEvent(u"Focus", [&] {
    // A click or Tab into the surface makes the control the active one.
    if (focused && inplace_site_ && !ui_active_) {
      ActivateInPlace(site_.Get(), nullptr, nullptr, true);
    }
    Microsoft::WRL::ComPtr<IOleControlSite> control_site;
    if (site_ && SUCCEEDED(site_.As(&control_site))) control_site->OnFocus(focused);
  });
}

AccessibleFacts ZorvickObject::DescribeSurface() {
  AccessibleFacts facts;
  facts.name = ctrl_.AccessibleName();
  facts.description = ctrl_.AccessibleDescription();
  facts.default_action = ctrl_.DefaultAction();
  facts.link = ctrl_.Role() == AccessibleRole::kLink;
  facts.pressed = ctrl_.Pressed();
  facts.focused = ctrl_.Focused();
  return facts;
}

// As a click: the command, then Click; a start that fails is the caller's
// error and raises no Click.
void ZorvickObject::DoSurfaceDefaultAction() {
  Microsoft::WRL::ComPtr<IUnknown> keep(Identity());
  ctrl_.CanvasClick();
}

HRESULT ZorvickObject::TranslateAccelerator(Guarded, LPMSG msg) {
  if (msg == nullptr) return E_POINTER;
  HWND surface = canvas_.Window();
  if (!surface || msg->hwnd != surface || !canvas_.Focused() || !canvas_.WantsKey(*msg)) {
    return S_FALSE;
  }
  Microsoft::WRL::ComPtr<IUnknown> keep(Identity());
  DispatchMessageW(msg);
  return S_OK;
}

}  // namespace pelzorvick
