#pragma once
// A handle every surface of a thread shares: made at its first user's need,
// gone with its last user, so nothing of it outlives the module's code. Plain
// data, since a thread-local object with a destructor would run it after an
// unloaded module's code is gone.

namespace pelzorvick {

template <class H>
struct ThreadShared {
  H handle = nullptr;
  int users = 0;
};

// The handle, made by `make` if there is none (null when that fails, and
// then no user is counted).
template <class H, class Make>
H AcquireShared(ThreadShared<H>& shared, Make&& make) {
  if (!shared.handle) shared.handle = make();
  if (shared.handle) ++shared.users;
  return shared.handle;
}

template <class H, class Destroy>
void ReleaseShared(ThreadShared<H>& shared, Destroy&& destroy) {
  if (!shared.handle || --shared.users > 0) return;
  destroy(shared.handle);
  shared = {};
}

}  // namespace pelzorvick
