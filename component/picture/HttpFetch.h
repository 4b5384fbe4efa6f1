#pragma once
// An http: or https: address fetched whole through WinINet, for the picture
// download.

#include <windows.h>

#include <chrono>
#include <string>

namespace pelzorvick {

// Fetches `address` into `data`, within the download's size cap, waiting no
// later than `give_up_at`; `status` gets the HTTP status once there is one.
// WinINet blocks without end on a server that stalls, and closing its
// handles does not wake every blocked call: the fetch runs on a thread of its
// own, which finishes on WinINet's timeouts and drops what it got when the
// caller stopped waiting. Throws ComError (INET_E_CONNECTION_TIMEOUT at the
// deadline).
void FetchHttpUntil(const std::wstring& address, std::chrono::steady_clock::time_point give_up_at,
                    std::string& data, unsigned long& status);

}  // namespace pelzorvick
