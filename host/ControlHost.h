#pragma once
// One control on the form: created by ProgID through the registry, wired to
// its sinks, loaded from its section of the property file, active in place.
// Every step prints its own error and reports success as a bool.

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <functional>
#include <string>

#include "component/com/ComPtr.h"
#include "host/PropertyFile.h"

namespace pelzorvick {

class EventSink;
class HostFrame;
class HostPropertyBag;
class HostSite;
class PropertyNotifySink;

inline constexpr wchar_t kProgId[] = L"PelZorvick.ZorvickCtrl";

class ControlHost {
 public:
  // `name` is the section's name ("" for a file without sections); it
  // prefixes the log lines of this control ("Control2.") and is its ambient
  // DisplayName. With `fresh` the control gets InitNew instead of Load.
  ControlHost(HostFrame& frame, PropertySection& section, bool fresh, bool user_mode);
  ~ControlHost();
  ControlHost(const ControlHost&) = delete;
  ControlHost& operator=(const ControlHost&) = delete;

  const std::u16string& Name() const { return name_; }
  // The name the form shows for it: the section's, or "ZorvickCtrl1" alone.
  std::u16string DisplayName() const { return name_.empty() ? u"ZorvickCtrl1" : name_; }
  bool Create();
  bool Load();
  bool Activate();
  bool SetProperty(std::u16string_view name, const FileValue& value);
  bool Execute();
  // A left press and release at the centre of the control's surface (the
  // deepest child window there); `while_pressed` runs between the two.
  bool Press(const std::function<void()>& while_pressed);
  bool Save();
  void Close();

  HostSite& Site() { return *site_.Get(); }
  IUnknown* Object() const { return object_.Get(); }
  // The control's own window and the surface inside it that takes the mouse.
  HWND ControlWindow() const;
  HWND Surface() const;

 private:
  bool Fail(const char* step, HRESULT hr);
  bool Invoke(std::u16string_view member, WORD flags, VARIANT* arg, const char* step);

  PropertySection& section_;
  bool fresh_;
  std::u16string name_;
  std::u16string prefix_;
  HostFrame& frame_;
  ComPtr<HostSite> site_;
  ComPtr<HostPropertyBag> bag_;
  ComPtr<EventSink> events_;
  ComPtr<PropertyNotifySink> notifications_;
  ComPtr<IOleObject> object_;
  ComPtr<IDispatch> dispatch_;
  ComPtr<IConnectionPoint> event_point_, notify_point_;
  DWORD event_cookie_ = 0, notify_cookie_ = 0;
};

// Text for a failed call: the error info's description when the callee set
// one, else the system's message, else a name for the usual control codes.
std::u16string DescribeFailure(HRESULT hr);

}  // namespace pelzorvick
