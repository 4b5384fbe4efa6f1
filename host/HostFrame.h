#pragma once
// The form: the host's top-level window, which is also the in-place frame
// of every control on it. Controls are laid out one below the other. It is
// counted like any COM object: make it with new and hold it in a ComPtr, so
// that a control still holding the frame keeps it alive.

#include <windows.h>
#include <ole2.h>

#include <vector>

#include "component/com/ComObject.h"
#include "component/com/ComPtr.h"
#include "component/com/Handles.h"

namespace pelzorvick {

class HostSite;

class HostFrame : public ComObject<HostFrame,
                                   Implements<IOleInPlaceFrame, IOleInPlaceUIWindow, IOleWindow>> {
 public:
  HostFrame();
  ~HostFrame() override;

  bool Create(const wchar_t* title);
  HWND Window() const { return hwnd_.get(); }
  void Add(HostSite* site) { sites_.push_back(site); }
  // Places every site below the previous one, tells each control its new
  // rectangle and fits the window around them. While held, only notes that
  // it is wanted.
  void Layout();
  // Held while the form paints: a control that sizes itself on its first
  // paint would otherwise move every control below it, each time, and fifty
  // controls made that a move per pair. Letting go lays out once, if asked.
  void HoldLayout();
  void ReleaseLayout();
  bool LayoutHeld() const { return layout_held_; }
  // True once the user (or a script) has closed the window.
  bool Closed() const { return closed_; }
  // A key on the form goes first to the UI-active control, then to the
  // form's dialog navigation (Tab between tab stops). True when either took
  // it; otherwise the caller dispatches it.
  bool TranslateKey(MSG& msg);

  static constexpr int kMargin = 10;

  // IOleWindow
  HRESULT GetWindow(Guarded, HWND* phwnd);
  HRESULT ContextSensitiveHelp(Guarded, BOOL);
  // IOleInPlaceUIWindow
  HRESULT GetBorder(Guarded, LPRECT);
  HRESULT RequestBorderSpace(Guarded, LPCBORDERWIDTHS);
  HRESULT SetBorderSpace(Guarded, LPCBORDERWIDTHS);
  HRESULT SetActiveObject(Guarded, IOleInPlaceActiveObject* active, LPCOLESTR);
  // IOleInPlaceFrame
  HRESULT InsertMenus(Guarded, HMENU, LPOLEMENUGROUPWIDTHS);
  HRESULT SetMenu(Guarded, HMENU, HOLEMENU, HWND);
  HRESULT RemoveMenus(Guarded, HMENU);
  HRESULT SetStatusText(Guarded, LPCOLESTR);
  HRESULT EnableModeless(Guarded, BOOL);
  HRESULT TranslateAccelerator(Guarded, LPMSG, WORD);

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);

  UniqueOwnedWindow hwnd_;
  bool closed_ = false;
  bool laying_out_ = false;
  bool layout_held_ = false;
  bool layout_wanted_ = false;
  bool again_ = false;
  std::vector<HostSite*> sites_;
  ComPtr<IOleInPlaceActiveObject> active_;
};

// One message of this thread, keys through their form's TranslateKey.
void DispatchHostMessage(MSG& msg);
// Dispatches this thread's messages until none has come for `idle_ms`
// (painting included), or `max_ms` have passed.
void PumpMessages(int idle_ms, int max_ms = 5000);

}  // namespace pelzorvick
