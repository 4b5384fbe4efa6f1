#include "component/win/PictureDownload.h"

#include <wininet.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "common/ComError.h"
#include "component/win/OlePicture.h"
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

std::unique_ptr<PictureDownload> PictureDownload::Start(std::u16string_view url) {
  if (url.empty() || url.find(u'\0') != std::u16string_view::npos) {
    Fail(INET_E_INVALID_URL, "The picture address is empty or invalid");
  }
  const std::wstring address = ToWide(url);
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
  return std::unique_ptr<PictureDownload>(new PictureDownload(moniker, context, callback));
}

PictureDownload::PictureDownload(IMoniker* moniker, IBindCtx* context, Callback* callback)
    : moniker_(moniker), context_(context), callback_(callback) {}

PictureDownload::~PictureDownload() {
  if (context_) RevokeBindStatusCallback(context_, callback_);
  SafeRelease(context_);
  SafeRelease(moniker_);
  SafeRelease(callback_);
}

unsigned long PictureDownload::HttpStatus() const { return callback_ ? callback_->http_status() : 0; }

PicturePtr PictureDownload::Complete() {
  if (completed_) Fail(E_UNEXPECTED, "The picture download has already completed");
  completed_ = true;

  IStream* source = nullptr;
  HRESULT hr = moniker_->BindToStorage(context_, nullptr, IID_IStream, reinterpret_cast<void**>(&source));
  if (SUCCEEDED(hr) && callback_->stopped() && FAILED(callback_->stop_result())) hr = callback_->stop_result();
  if (FAILED(hr) || !source) {
    SafeRelease(source);
    Fail(FAILED(hr) ? hr : INET_E_DOWNLOAD_FAILURE, "The picture download failed");
  }

  const unsigned long status = callback_->http_status();
  if (status >= 400) {
    source->Release();
    char text[64];
    std::snprintf(text, sizeof text, "The server answered the picture request with status %lu", status);
    HRESULT code = (status == 404 || status == 410) ? INET_E_RESOURCE_NOT_FOUND : INET_E_DOWNLOAD_FAILURE;
    throw ComError(static_cast<int32_t>(code), Ascii(text));
  }

  // Copy into memory first: OleLoadPicture wants the size, and the cap keeps
  // an endless or huge answer from taking the container's memory.
  IStream* memory = nullptr;
  hr = CreateStreamOnHGlobal(nullptr, TRUE, &memory);
  if (FAILED(hr)) {
    source->Release();
    Fail(hr, "The picture download failed");
  }
  ULONG total = 0;
  char buffer[16384];
  for (;;) {
    ULONG got = 0;
    hr = source->Read(buffer, sizeof buffer, &got);
    if (FAILED(hr) || got == 0) break;
    if (got > kMaxPictureDownloadSize - total) {
      hr = HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
      break;
    }
    ULONG written = 0;
    hr = memory->Write(buffer, got, &written);
    if (FAILED(hr)) break;
    total += got;
    if (hr == S_FALSE) hr = S_OK;
  }
  source->Release();
  if (FAILED(hr)) {
    memory->Release();
    Fail(hr, "The picture download failed");
  }

  LARGE_INTEGER start{};
  memory->Seek(start, STREAM_SEEK_SET, nullptr);
  IPicture* picture = nullptr;
  hr = total ? OleLoadPicture(memory, static_cast<LONG>(total), FALSE, IID_IPicture,
                              reinterpret_cast<void**>(&picture))
             : E_FAIL;
  memory->Release();
  if (FAILED(hr) || !picture) Fail(FAILED(hr) ? hr : E_FAIL, "The downloaded data is no picture");

  PicturePtr result;
  try {
    result = MakeOlePicture(picture);
  } catch (...) {
    picture->Release();
    throw;
  }
  picture->Release();
  return result;
}

}  // namespace pelzorvick
