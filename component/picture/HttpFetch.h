#pragma once
// An http: or https: address fetched whole through WinINet, for the picture
// download, on the calling thread.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>

namespace pelzorvick {

// Fetches `address` into `data`, within the download's size cap; `status`
// gets the HTTP status once there is one. Ends by `give_up_at`, or at the
// next call once `abandoned` is set: WinINet waits without end on a server
// that stalls, and closing a handle does not wake a call blocked on it, so
// every blocking call gets the time that remains as its timeouts, and the
// answer is read as it arrives, so that a server that trickles cannot hold
// a read open either. (Wine takes the receive timeout once, when the answer
// begins: there a server that sends part of the body and then stalls is
// given up as long after the answer began as the time then left.) No
// sign-in and no cookies are offered. Throws ComError
// (INET_E_CONNECTION_TIMEOUT at the deadline, E_ABORT when abandoned).
void FetchHttpUntil(const std::wstring& address, std::chrono::steady_clock::time_point give_up_at,
                    const std::atomic<bool>& abandoned, std::string& data, unsigned long& status);

}  // namespace pelzorvick
