#pragma once
// Watches for message boxes of this process on a thread of its own: prints
// each one's caption and text ("message: [caption] text") and, when asked,
// closes it with OK, so a script never waits on a modal box.

#include <windows.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>

namespace pelzorvick {

class MessageWatcher {
 public:
  MessageWatcher() = default;
  ~MessageWatcher();
  MessageWatcher(const MessageWatcher&) = delete;
  MessageWatcher& operator=(const MessageWatcher&) = delete;

  void Start(bool dismiss);
  void Stop();
  int Seen() const { return seen_; }

  // One look at the top-level windows; public for callers without a thread.
  void Poll();

 private:
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM self);

  bool dismiss_ = false;
  std::atomic<bool> running_{false};
  std::atomic<int> seen_{0};
  std::thread thread_;
  std::set<HWND> reported_;
  std::set<HWND> alive_;
};

}  // namespace pelzorvick
