#pragma once
// The in-process server's module: its handle and path, and the counts that
// decide whether it may be unloaded (live objects and server locks).

#include <windows.h>

#include <string>

namespace pelzorvick {

class Module {
 public:
  // The module this code is linked into (the .ocx, or a test executable).
  static HMODULE Handle();
  // Its full path; empty if it cannot be read.
  static std::wstring Path();

  static void ObjectCreated();
  static void ObjectDestroyed();

  // IClassFactory::LockServer.
  static void Lock();
  static void Unlock();

  // No live object and no lock.
  static bool CanUnload();
};

}  // namespace pelzorvick
