#include "component/picture/ThreadInbox.h"

#include <algorithm>
#include <utility>

#include "common/ComError.h"
#include "component/com/ErrorInfo.h"
#include "component/com/Module.h"
#include "component/surface/WindowClass.h"

namespace pelzorvick {
namespace {

constexpr wchar_t kInboxClass[] = L"PelZorvickInbox";
constexpr UINT kTasksWaiting = WM_APP + 1;

// The inboxes of the threads that have one. Never destroyed: a worker may
// still post while the process exits.
struct Inboxes {
  std::mutex lock;
  std::vector<std::pair<DWORD, std::weak_ptr<ThreadInbox>>> of_thread;
};
Inboxes& AllInboxes() {
  static Inboxes* inboxes = new Inboxes;
  return *inboxes;
}

}  // namespace

std::shared_ptr<ThreadInbox> ThreadInbox::ForThisThread() {
  const DWORD thread = GetCurrentThreadId();
  Inboxes& all = AllInboxes();
  {
    const std::lock_guard<std::mutex> hold(all.lock);
    for (const auto& [owner, inbox] : all.of_thread) {
      if (owner == thread) {
        if (std::shared_ptr<ThreadInbox> found = inbox.lock()) return found;
      }
    }
  }
  if (!EnsureWindowClass(kInboxClass, Procedure)) {
    throw ComError(HRESULT_FROM_WIN32(GetLastError()), u"The picture's delivery window cannot be made");
  }
  std::shared_ptr<ThreadInbox> inbox(new ThreadInbox());
  inbox->self_ = inbox;
  inbox->window_.reset(CreateWindowExW(0, kInboxClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       Module::Handle(), inbox.get()));
  if (!inbox->window_) {
    throw ComError(HRESULT_FROM_WIN32(GetLastError()), u"The picture's delivery window cannot be made");
  }
  const std::lock_guard<std::mutex> hold(all.lock);
  std::erase_if(all.of_thread, [&](const auto& entry) { return entry.first == thread; });
  all.of_thread.emplace_back(thread, inbox);
  return inbox;
}

ThreadInbox::ThreadInbox() : thread_(GetCurrentThreadId()) {}

ThreadInbox::~ThreadInbox() {
  Inboxes& all = AllInboxes();
  const std::lock_guard<std::mutex> hold(all.lock);
  std::erase_if(all.of_thread, [&](const auto& entry) {
    return entry.first == thread_ && entry.second.expired();
  });
}

bool ThreadInbox::Post(std::function<void()> task) {
  // Posted under the lock that RunTasks takes, so the message never
  // arrives before its task is there.
  const std::lock_guard<std::mutex> hold(lock_);
  if (!PostMessageW(window_.get(), kTasksWaiting, 0, 0)) return false;
  tasks_.push_back(std::move(task));
  return true;
}

void ThreadInbox::RunTasks() {
  std::vector<std::function<void()>> tasks;
  {
    const std::lock_guard<std::mutex> hold(lock_);
    tasks.swap(tasks_);
  }
  for (std::function<void()>& task : tasks) {
    GuardedEvent(u"Picture delivery", task);
    task = nullptr;  // what it holds goes here, on this thread
  }
}

LRESULT CALLBACK ThreadInbox::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return RouteToOwner(hwnd, message, wparam, lparam, u"Picture delivery", &ThreadInbox::HandleMessage);
}

LRESULT ThreadInbox::HandleMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != kTasksWaiting) return DefWindowProcW(hwnd, message, wparam, lparam);
  // Held while its tasks run: the last of them may let the last other
  // holder go, and the inbox (with this window) goes when this returns.
  const std::shared_ptr<ThreadInbox> keep = self_.lock();
  if (keep) keep->RunTasks();
  return 0;
}

}  // namespace pelzorvick
