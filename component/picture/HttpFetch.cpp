// The http fetch of a picture download.

#include "component/picture/HttpFetch.h"

#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "common/ComError.h"
#include "component/com/Handles.h"
#include "component/picture/DownloadErrors.h"
#include "component/picture/PictureDownload.h"

namespace pelzorvick {

using download::Ascii;
using download::Fail;
using download::FailTimeout;
using download::Append;
using download::FailAbandoned;
using download::FailTooLarge;

namespace {

void CloseInternet(HINTERNET handle) { InternetCloseHandle(handle); }
using InternetHandle = UniqueHandle<HINTERNET, CloseInternet>;

// The time a fetch has left, and the failures it reports by it.
class TimeLeft {
 public:
  TimeLeft(std::chrono::steady_clock::time_point give_up_at, const std::atomic<bool>& abandoned)
      : give_up_at_(give_up_at), abandoned_(abandoned) {}

  // Gives every timeout of `handle` the time that remains. Wine takes them
  // from the request, Windows from the session down: each is set.
  void Bound(HINTERNET handle) const {
    DWORD ms = Milliseconds();
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT}) {
      InternetSetOptionW(handle, option, &ms, sizeof ms);
    }
  }

  // A call that failed once the time was up failed for it, whatever its
  // error says (Wine reports a timed-out socket as a broken connection).
  [[noreturn]] void FailCall(const char* what) const {
    const DWORD error = GetLastError();
    if (abandoned_) FailAbandoned();
    if (error == ERROR_INTERNET_TIMEOUT || std::chrono::steady_clock::now() >= give_up_at_) FailTimeout();
    char text[96];
    std::snprintf(text, sizeof text, "%s (WinINet error %lu)", what, static_cast<unsigned long>(error));
    throw ComError(static_cast<int32_t>(INET_E_DOWNLOAD_FAILURE), Ascii(text));
  }

 private:
  // At least 1: WinINet reads 0 as no timeout at all. Throws when none is left.
  DWORD Milliseconds() const {
    if (abandoned_) FailAbandoned();
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(give_up_at_ - std::chrono::steady_clock::now());
    if (left.count() <= 0) FailTimeout();
    return static_cast<DWORD>(std::min<std::chrono::milliseconds::rep>(left.count(), MAXDWORD - 1));
  }

  std::chrono::steady_clock::time_point give_up_at_;
  const std::atomic<bool>& abandoned_;
};

void FailOnErrorStatus(unsigned long status) {
  if (status < 400) return;
  char text[64];
  std::snprintf(text, sizeof text, "The server answered the picture request with status %lu", status);
  const HRESULT code = (status == 404 || status == 410) ? INET_E_RESOURCE_NOT_FOUND : INET_E_DOWNLOAD_FAILURE;
  throw ComError(static_cast<int32_t>(code), Ascii(text));
}

}  // namespace

void FetchHttpUntil(const std::wstring& address, std::chrono::steady_clock::time_point give_up_at,
                    const std::atomic<bool>& abandoned, std::string& data, unsigned long& status) {
  const TimeLeft time_left(give_up_at, abandoned);
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
  if (!InternetCrackUrlW(address.c_str(), 0, 0, &parts)) {
    Fail(INET_E_INVALID_URL, "The picture address cannot be read");
  }
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
  path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (path.empty()) path = L"/";

  InternetHandle session(InternetOpenW(L"PelZorvick", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) time_left.FailCall("The picture download cannot be prepared");
  time_left.Bound(session.get());
  InternetHandle connection(
      InternetConnectW(session.get(), host.c_str(), parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) time_left.FailCall("The picture's server cannot be reached");
  // A picture is no reason to sign in to its server or to tell it who we are.
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI |
                INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_AUTH | INTERNET_FLAG_NO_COOKIES;
  if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
  InternetHandle request(
      HttpOpenRequestW(connection.get(), L"GET", path.c_str(), nullptr, nullptr, nullptr, flags, 0));
  if (!request) time_left.FailCall("The picture request cannot be made");
  time_left.Bound(request.get());
  if (!HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) time_left.FailCall("The picture download failed");

  DWORD code = 0;
  DWORD size = sizeof code;
  if (HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr)) {
    status = code;
  }
  FailOnErrorStatus(status);
  wchar_t length_text[32] = {};
  DWORD length_size = sizeof length_text;
  if (HttpQueryInfoW(request.get(), HTTP_QUERY_CONTENT_LENGTH, length_text, &length_size, nullptr) &&
      std::wcstoull(length_text, nullptr, 10) > kMaxPictureDownloadSize) {
    FailTooLarge("The picture is larger than 64 MiB");
  }

  // Only what has arrived is read: a read of more waits until it is all there.
  std::vector<char> buffer(1 << 16);
  for (;;) {
    time_left.Bound(request.get());
    DWORD available = 0;
    if (!InternetQueryDataAvailable(request.get(), &available, 0, 0)) {
      time_left.FailCall("The picture download failed");
    }
    // None available is the end, which a read of nothing confirms.
    const DWORD wanted = std::clamp<DWORD>(available, 1, static_cast<DWORD>(buffer.size()));
    DWORD got = 0;
    if (!InternetReadFile(request.get(), buffer.data(), wanted, &got)) {
      time_left.FailCall("The picture download failed");
    }
    if (got == 0) return;
    Append(data, buffer.data(), got);
  }
}

}  // namespace pelzorvick
