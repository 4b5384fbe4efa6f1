#pragma once
// How long a form takes to its first complete paint: from just before its
// controls are made until every window on it has painted once. The floor form
// stands the least an in-process control can be in for each control (a
// trivial object and one child window), for the same count.

#include <windows.h>
#include <ole2.h>

#include <cstddef>

#include "component/com/ComPtr.h"
#include "component/com/Handles.h"
#include "host/HostFrame.h"

namespace pelzorvick {

// The least an in-process object can be, registered for this apartment while
// this lives: the object of a floor.
class FloorClass {
 public:
  FloorClass();
  HRESULT registered() const { return registered_; }
  // Through CoCreateInstance, as a control is made.
  ComPtr<IUnknown> Create() const;

 private:
  ComPtr<IClassFactory> factory_;
  UniqueHandle<DWORD, CloseWith<DWORD, CoRevokeClassObject>> registration_;
  HRESULT registered_;
};

class FormTimer {
 public:
  explicit FormTimer(bool on);
  // The first call prints "first complete paint: N us, M controls".
  void FirstPaintDone(std::size_t controls);

 private:
  bool on_;
  double start_ = 0;
};

// Times a form of `count` floor stand-ins to its first complete paint and
// prints it as FormTimer does. Returns the host's exit status.
int RunFloorForm(std::size_t count);

}  // namespace pelzorvick
