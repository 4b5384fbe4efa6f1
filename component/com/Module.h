#pragma once
// The in-process server's module: its handle and path, the counts that
// decide whether it may be unloaded (live objects and server locks), and the
// pin that keeps it loaded once its code has run.

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

  // Keeps the module loaded until the process ends. The static runtime takes
  // a thread-local-storage slot the first time our code runs (thread_local,
  // exception support) and never gives it back when the module is freed; a
  // container that loads and frees us a thousand times would run out of
  // slots and abort. Called by every export that runs our code.
  static void Pin();
};

}  // namespace pelzorvick
