#pragma once
// The threads that picture fetches run on: a few per process at most, made
// when there is work and gone when there is none.

#include <functional>

namespace pelzorvick {

// Fetches that run at once in a process; the others wait their turn, so a
// form of many pictures from one slow server does not take a thread each.
inline constexpr int kConcurrentFetches = 4;

// Runs `fetch` on a worker with COM initialised (multithreaded); it must
// not throw. Throws ComError when there is no worker and none can start.
void RunFetch(std::function<void()> fetch);

}  // namespace pelzorvick
