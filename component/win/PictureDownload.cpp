#include "component/win/PictureDownload.h"

#include <wininet.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/ComError.h"
#include "component/win/OlePicture.h"
#include "component/win/PictureDimensions.h"
#include "component/win/WideString.h"

namespace pelzorvick {

namespace {

std::u16string Ascii(const char* text) {
  std::u16string out;
  for (; *text; ++text) out.push_back(static_cast<unsigned char>(*text));
  return out;
}

[[noreturn]] void Fail(HRESULT hr, const char* what) {
  char text[96];
  std::snprintf(text, sizeof text, "%s (0x%08lX)", what, static_cast<unsigned long>(hr));
  throw ComError(static_cast<int32_t>(hr), Ascii(text));
}

template <typename T>
void SafeRelease(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

[[noreturn]] void FailTooLarge(const char* what) { Fail(HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE), what); }

[[noreturn]] void FailTimeout() {
  Fail(INET_E_CONNECTION_TIMEOUT, "The picture download did not finish in time");
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

bool StartsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char16_t c = text[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

// "C:", "C:\...", "C:/..."; also "C|" as file: URLs may write it.
bool IsDrivePath(std::u16string_view text) {
  return text.size() >= 2 && IsAsciiLetter(text[0]) && (text[1] == u':' || text[1] == u'|');
}

enum class AddressKind { kHttp, kLocal };

// Only the web and local drives: anything that could reach a file share or
// another handler is refused before a byte moves.
AddressKind Classify(std::u16string_view address) {
  if (StartsWithIgnoringCase(address, u"http:") || StartsWithIgnoringCase(address, u"https:")) {
    return AddressKind::kHttp;
  }
  if (StartsWithIgnoringCase(address, u"file:")) {
    std::u16string_view rest = address.substr(5);
    if (StartsWithIgnoringCase(rest, u"//localhost/")) rest.remove_prefix(12);
    // "file:C:/x", "file:/C:/x", "file:///C:/x"; after two slashes comes a
    // host, and a host is what is refused.
    const std::size_t slashes = rest.find_first_not_of(u"/\\");
    if (slashes != 2 && slashes <= 3 && IsDrivePath(rest.substr(slashes))) return AddressKind::kLocal;
    Fail(E_ACCESSDENIED, "A picture is not fetched from a network path");
  }
  if (address[0] == u'\\' || address[0] == u'/') {
    Fail(E_ACCESSDENIED, "A picture is not fetched from a network path");
  }
  if (address.size() >= 2 && IsAsciiLetter(address[0]) && address[1] == u':') return AddressKind::kLocal;
  Fail(INET_E_UNKNOWN_PROTOCOL, "Pictures are fetched from http:, https:, file: addresses and drive paths only");
}

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

class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  ~InternetHandle() {
    if (handle_) InternetCloseHandle(handle_);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  HINTERNET get() const { return handle_; }

 private:
  HINTERNET handle_;
};

[[noreturn]] void FailInternet(const char* what) {
  const DWORD error = GetLastError();
  if (error == ERROR_INTERNET_TIMEOUT) FailTimeout();
  char text[96];
  std::snprintf(text, sizeof text, "%s (WinINet error %lu)", what, static_cast<unsigned long>(error));
  throw ComError(static_cast<int32_t>(INET_E_DOWNLOAD_FAILURE), Ascii(text));
}

// Appends to the memory stream, within the size cap.
void Keep(IStream* memory, const char* data, ULONG size, ULONG& total) {
  if (size > kMaxPictureDownloadSize - total) FailTooLarge("The picture is larger than 64 MiB");
  ULONG written = 0;
  const HRESULT hr = memory->Write(data, size, &written);
  if (FAILED(hr)) Fail(hr, "The picture download failed");
  total += size;
}

}  // namespace

// Sees the binding so that the HTTP status can be read while it is alive,
// and the final result of the bind.
class PictureDownload::Callback final : public IBindStatusCallback {
 public:
  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IBindStatusCallback) {
      *out = static_cast<IBindStatusCallback*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return refs;
  }

  // IBindStatusCallback
  STDMETHODIMP OnStartBinding(DWORD, IBinding* binding) override {
    SafeRelease(binding_);
    binding_ = binding;
    if (binding_) binding_->AddRef();
    return S_OK;
  }
  STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP OnLowResource(DWORD) override { return S_OK; }
  STDMETHODIMP OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override {
    ReadHttpStatus();
    return S_OK;
  }
  STDMETHODIMP OnStopBinding(HRESULT result, LPCWSTR) override {
    ReadHttpStatus();
    stop_result_ = result;
    stopped_ = true;
    SafeRelease(binding_);
    return S_OK;
  }
  STDMETHODIMP GetBindInfo(DWORD* flags, BINDINFO* info) override {
    if (!flags || !info) return E_INVALIDARG;
    // Synchronous: no BINDF_ASYNCHRONOUS. Always ask the server afresh.
    *flags = BINDF_GETNEWESTVERSION | BINDF_NO_UI | BINDF_SILENTOPERATION;
    DWORD size = info->cbSize;
    std::memset(info, 0, size);
    info->cbSize = size;
    info->dwBindVerb = BINDVERB_GET;
    return S_OK;
  }
  STDMETHODIMP OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override {
    ReadHttpStatus();
    return S_OK;
  }
  STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

  unsigned long http_status() const { return http_status_; }
  bool stopped() const { return stopped_; }
  HRESULT stop_result() const { return stop_result_; }

 private:
  ~Callback() { SafeRelease(binding_); }

  void ReadHttpStatus() {
    if (!binding_) return;
    IWinInetHttpInfo* http = nullptr;
    if (FAILED(binding_->QueryInterface(IID_IWinInetHttpInfo, reinterpret_cast<void**>(&http))) || !http) {
      return;
    }
    DWORD status = 0;
    DWORD size = sizeof status;
    DWORD flags = 0;
    if (http->QueryInfo(HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, &flags, nullptr) == S_OK &&
        status != 0) {
      http_status_ = status;
    }
    http->Release();
  }

  LONG refs_ = 1;
  IBinding* binding_ = nullptr;
  unsigned long http_status_ = 0;
  bool stopped_ = false;
  HRESULT stop_result_ = S_OK;
};

std::unique_ptr<PictureDownload> PictureDownload::Start(std::u16string_view url,
                                                       std::chrono::milliseconds deadline) {
  if (url.empty() || url.find(u'\0') != std::u16string_view::npos) {
    Fail(INET_E_INVALID_URL, "The picture address is empty or invalid");
  }
  const bool http = Classify(url) == AddressKind::kHttp;
  std::wstring address = ToWide(url);
  // The moniker also vets http addresses, as it did when it fetched them.
  IMoniker* moniker = nullptr;
  HRESULT hr = CreateURLMonikerEx(nullptr, address.c_str(), &moniker, URL_MK_UNIFORM);
  if (FAILED(hr) || !moniker) Fail(FAILED(hr) ? hr : E_UNEXPECTED, "The picture address cannot be opened");

  IBindCtx* context = nullptr;
  hr = CreateBindCtx(0, &context);
  if (FAILED(hr)) {
    moniker->Release();
    Fail(hr, "The picture download cannot be prepared");
  }
  auto* callback = new Callback();
  hr = RegisterBindStatusCallback(context, callback, nullptr, 0);
  if (FAILED(hr)) {
    callback->Release();
    context->Release();
    moniker->Release();
    Fail(hr, "The picture download cannot be prepared");
  }
  return std::unique_ptr<PictureDownload>(
      new PictureDownload(std::move(address), http, moniker, context, callback, deadline));
}

PictureDownload::PictureDownload(std::wstring address, bool http, IMoniker* moniker, IBindCtx* context,
                                 Callback* callback, std::chrono::milliseconds deadline)
    : address_(std::move(address)),
      http_(http),
      moniker_(moniker),
      context_(context),
      callback_(callback),
      deadline_(deadline) {}

PictureDownload::~PictureDownload() {
  if (context_) RevokeBindStatusCallback(context_, callback_);
  SafeRelease(context_);
  SafeRelease(moniker_);
  SafeRelease(callback_);
}

unsigned long PictureDownload::HttpStatus() const {
  if (http_) return http_status_;
  return callback_ ? callback_->http_status() : 0;
}

namespace {

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
    std::optional<ComError> error;
    try {
      FetchHttp(*keep);
    } catch (const ComError& e) {
      error = e;
    } catch (...) {
      error = ComError(E_OUTOFMEMORY, u"The picture download failed");
    }
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

// WinINet blocks without end on a server that stalls, and closing its
// handles does not wake every blocked call: the fetch runs on its own thread
// and the container's thread waits only until the deadline.
void PictureDownload::ReadHttp(IStream* memory, ULONG& total) {
  auto fetch = std::make_shared<HttpFetch>();
  fetch->address = address_;
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&FetchThread), &self)) {
    Fail(HRESULT_FROM_WIN32(GetLastError()), "The picture download cannot be prepared");
  }
  auto* parameter = new std::shared_ptr<HttpFetch>(fetch);
  const HANDLE thread = CreateThread(nullptr, 0, FetchThread, parameter, 0, nullptr);
  if (!thread) {
    const DWORD error = GetLastError();
    delete parameter;
    FreeLibrary(self);
    Fail(HRESULT_FROM_WIN32(error), "The picture download cannot be prepared");
  }
  CloseHandle(thread);

  std::unique_lock<std::mutex> lock(fetch->mutex);
  if (!fetch->finished_changed.wait_until(lock, give_up_at_, [&] { return fetch->finished; })) {
    fetch->abandoned = true;
    FailTimeout();
  }
  http_status_ = fetch->status;
  if (fetch->error) throw *fetch->error;
  if (!fetch->data.empty()) Keep(memory, fetch->data.data(), static_cast<ULONG>(fetch->data.size()), total);
}

void PictureDownload::ReadLocal(IStream* memory, ULONG& total) {
  IStream* source = nullptr;
  HRESULT hr = moniker_->BindToStorage(context_, nullptr, IID_IStream, reinterpret_cast<void**>(&source));
  if (SUCCEEDED(hr) && callback_->stopped() && FAILED(callback_->stop_result())) hr = callback_->stop_result();
  if (FAILED(hr) || !source) {
    SafeRelease(source);
    Fail(FAILED(hr) ? hr : INET_E_DOWNLOAD_FAILURE, "The picture download failed");
  }
  try {
    char buffer[16384];
    for (;;) {
      if (std::chrono::steady_clock::now() >= give_up_at_) FailTimeout();
      ULONG got = 0;
      hr = source->Read(buffer, sizeof buffer, &got);
      if (FAILED(hr)) Fail(hr, "The picture download failed");
      if (got == 0) break;
      Keep(memory, buffer, got, total);
    }
  } catch (...) {
    source->Release();
    throw;
  }
  source->Release();
}

PicturePtr PictureDownload::Complete() {
  if (completed_) Fail(E_UNEXPECTED, "The picture download has already completed");
  completed_ = true;
  give_up_at_ = std::chrono::steady_clock::now() + deadline_;

  // Copy into memory first: OleLoadPicture wants the size, and the cap keeps
  // an endless or huge answer from taking the container's memory.
  IStream* memory = nullptr;
  HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &memory);
  if (FAILED(hr)) Fail(hr, "The picture download failed");
  ULONG total = 0;
  IPicture* picture = nullptr;
  try {
    if (http_) {
      ReadHttp(memory, total);
    } else {
      ReadLocal(memory, total);
    }
    HGLOBAL data = nullptr;
    if (total && SUCCEEDED(GetHGlobalFromStream(memory, &data)) && data) {
      const void* bytes = GlobalLock(data);
      const bool allowed = !bytes || PictureHeaderAllowed(std::string_view(static_cast<const char*>(bytes), total));
      GlobalUnlock(data);
      if (!allowed) FailTooLarge("The picture claims more pixels than a control shows");
    }
    LARGE_INTEGER start{};
    memory->Seek(start, STREAM_SEEK_SET, nullptr);
    hr = total ? OleLoadPicture(memory, static_cast<LONG>(total), FALSE, IID_IPicture,
                                reinterpret_cast<void**>(&picture))
               : E_FAIL;
    if (FAILED(hr) || !picture) Fail(FAILED(hr) ? hr : E_FAIL, "The downloaded data is no picture");
  } catch (...) {
    memory->Release();
    throw;
  }
  memory->Release();

  PicturePtr result;
  try {
    result = MakeOlePicture(picture);
  } catch (...) {
    picture->Release();
    throw;
  }
  picture->Release();
  // Formats whose header is not read are judged by what they decoded to.
  if (!PictureSizeAllowed(MulDiv(result->Width(), 96, 2540), MulDiv(result->Height(), 96, 2540))) {
    FailTooLarge("The picture is larger than a control shows");
  }
  return result;
}

}  // namespace pelzorvick
