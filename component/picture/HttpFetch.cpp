// The http fetch of a picture download, on a thread of its own.

#include "component/picture/HttpFetch.h"

#include <wininet.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "common/ComError.h"
#include "component/picture/DownloadErrors.h"
#include "component/com/ErrorInfo.h"
#include "component/com/Handles.h"
#include "component/picture/PictureDownload.h"

namespace pelzorvick {

using download::Ascii;
using download::Fail;
using download::FailTimeout;
using download::FailTooLarge;

namespace {

// What a fetch thread hands back. The container's thread may stop waiting
// for it at the deadline; the thread then finishes on its own, on WinINet's
// timeouts, and drops what it got.
struct HttpFetch {
  std::wstring address;
  std::mutex mutex;
  std::condition_variable finished_changed;
  bool finished = false;
  std::atomic<bool> abandoned{false};
  std::string data;
  unsigned long status = 0;
  std::optional<ComError> error;
};

void CloseInternet(HINTERNET handle) { InternetCloseHandle(handle); }
using InternetHandle = UniqueHandle<HINTERNET, CloseInternet>;

[[noreturn]] void FailInternet(const char* what) {
  const DWORD error = GetLastError();
  if (error == ERROR_INTERNET_TIMEOUT) FailTimeout();
  char text[96];
  std::snprintf(text, sizeof text, "%s (WinINet error %lu)", what, static_cast<unsigned long>(error));
  throw ComError(static_cast<int32_t>(INET_E_DOWNLOAD_FAILURE), Ascii(text));
}

// On the fetch thread: the whole answer into fetch.data, within the cap.
void FetchHttp(HttpFetch& fetch) {
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
  if (!InternetCrackUrlW(fetch.address.c_str(), 0, 0, &parts)) {
    Fail(INET_E_INVALID_URL, "The picture address cannot be read");
  }
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
  path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (path.empty()) path = L"/";

  InternetHandle session(InternetOpenW(L"PelZorvick", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session.get()) FailInternet("The picture download cannot be prepared");
  InternetHandle connection(
      InternetConnectW(session.get(), host.c_str(), parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection.get()) FailInternet("The picture's server cannot be reached");
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI |
                INTERNET_FLAG_PRAGMA_NOCACHE;
  if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
  InternetHandle request(
      HttpOpenRequestW(connection.get(), L"GET", path.c_str(), nullptr, nullptr, nullptr, flags, 0));
  if (!request.get()) FailInternet("The picture request cannot be made");
  if (!HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) FailInternet("The picture download failed");

  DWORD status = 0;
  DWORD size = sizeof status;
  if (HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
    fetch.status = status;
  }
  if (fetch.status >= 400) {
    char text[64];
    std::snprintf(text, sizeof text, "The server answered the picture request with status %lu", fetch.status);
    HRESULT code = (fetch.status == 404 || fetch.status == 410) ? INET_E_RESOURCE_NOT_FOUND : INET_E_DOWNLOAD_FAILURE;
    throw ComError(static_cast<int32_t>(code), Ascii(text));
  }
  wchar_t length_text[32] = {};
  DWORD length_size = sizeof length_text;
  if (HttpQueryInfoW(request.get(), HTTP_QUERY_CONTENT_LENGTH, length_text, &length_size, nullptr) &&
      std::wcstoull(length_text, nullptr, 10) > kMaxPictureDownloadSize) {
    FailTooLarge("The picture is larger than 64 MiB");
  }

  std::vector<char> buffer(1 << 18);
  for (;;) {
    if (fetch.abandoned) return;
    DWORD got = 0;
    if (!InternetReadFile(request.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got)) {
      FailInternet("The picture download failed");
    }
    if (got == 0) return;
    if (got > kMaxPictureDownloadSize - fetch.data.size()) FailTooLarge("The picture is larger than 64 MiB");
    fetch.data.append(buffer.data(), got);
  }
}

// Holds a reference to this module while it runs, so the library stays
// loaded under a fetch that outlives its download.
DWORD WINAPI FetchThread(void* parameter) {
  auto* fetch = static_cast<std::shared_ptr<HttpFetch>*>(parameter);
  {
    std::shared_ptr<HttpFetch> keep = std::move(*fetch);
    delete fetch;
    std::optional<ComError> error = Translated(
        [&] {
          FetchHttp(*keep);
          return std::optional<ComError>();
        },
        [](int32_t code, std::u16string_view text) {
          return std::optional<ComError>(ComError(code, std::u16string(text)));
        });
    std::lock_guard<std::mutex> lock(keep->mutex);
    keep->error = std::move(error);
    keep->finished = true;
    keep->finished_changed.notify_all();
  }
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&FetchThread), &self);
  FreeLibraryAndExitThread(self, 0);
}

}  // namespace

void FetchHttpUntil(const std::wstring& address, std::chrono::steady_clock::time_point give_up_at,
                    std::string& data, unsigned long& status) {
  auto fetch = std::make_shared<HttpFetch>();
  fetch->address = address;
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&FetchThread), &self)) {
    Fail(HRESULT_FROM_WIN32(GetLastError()), "The picture download cannot be prepared");
  }
  auto* parameter = new std::shared_ptr<HttpFetch>(fetch);
  const UniqueKernelHandle thread(CreateThread(nullptr, 0, FetchThread, parameter, 0, nullptr));
  if (!thread) {
    const DWORD error = GetLastError();
    delete parameter;
    FreeLibrary(self);
    Fail(HRESULT_FROM_WIN32(error), "The picture download cannot be prepared");
  }

  std::unique_lock<std::mutex> lock(fetch->mutex);
  if (!fetch->finished_changed.wait_until(lock, give_up_at, [&] { return fetch->finished; })) {
    fetch->abandoned = true;
    FailTimeout();
  }
  status = fetch->status;
  if (fetch->error) throw *fetch->error;
  data = std::move(fetch->data);
}

}  // namespace pelzorvick
