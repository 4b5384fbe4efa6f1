#include "component/picture/FetchWorkers.h"

#include <objbase.h>

#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "common/ComError.h"

namespace pelzorvick {
namespace {

// Never destroyed: a worker may still run while the process exits.
struct Workers {
  std::mutex lock;
  std::deque<std::function<void()>> waiting;
  int running = 0;
};
Workers& TheWorkers() {
  static Workers* workers = new Workers;
  return *workers;
}

void Work() {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  Workers& workers = TheWorkers();
  for (;;) {
    std::function<void()> fetch;
    {
      const std::lock_guard<std::mutex> hold(workers.lock);
      if (workers.waiting.empty()) {
        --workers.running;
        break;
      }
      fetch = std::move(workers.waiting.front());
      workers.waiting.pop_front();
    }
    fetch();
  }
  if (SUCCEEDED(com)) CoUninitialize();
}

}  // namespace

void RunFetch(std::function<void()> fetch) {
  Workers& workers = TheWorkers();
  const std::lock_guard<std::mutex> hold(workers.lock);
  workers.waiting.push_back(std::move(fetch));
  if (workers.running == kConcurrentFetches) return;
  try {
    std::thread(Work).detach();
    ++workers.running;
  } catch (const std::system_error&) {
    // A worker that runs takes it in turn; with none, nothing would.
    if (workers.running > 0) return;
    workers.waiting.pop_back();
    throw ComError(E_OUTOFMEMORY, u"The picture download cannot start");
  }
}

}  // namespace pelzorvick
