#pragma once
// Work handed back to a thread that owns windows: one hidden message-only
// window per thread, whose posted message runs the tasks other threads left
// for it, so that they run where that thread's COM objects live.

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "component/com/Handles.h"

namespace pelzorvick {

class ThreadInbox {
 public:
  // The calling thread's inbox, made on its first use and kept while anyone
  // holds it; its last holder must be its own thread, which its tasks are.
  // Throws ComError when its window cannot be made.
  static std::shared_ptr<ThreadInbox> ForThisThread();
  ~ThreadInbox();
  ThreadInbox(const ThreadInbox&) = delete;
  ThreadInbox& operator=(const ThreadInbox&) = delete;

  // From any thread: `task` runs on the inbox's thread when it next takes
  // its messages. False when it cannot be handed over (the thread is gone);
  // the task is then dropped here.
  bool Post(std::function<void()> task);

 private:
  ThreadInbox();
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void RunTasks();

  DWORD thread_;
  UniqueOwnedWindow window_;
  std::weak_ptr<ThreadInbox> self_;
  std::mutex lock_;
  std::vector<std::function<void()>> tasks_;
};

}  // namespace pelzorvick
