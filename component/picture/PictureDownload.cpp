#include "component/picture/PictureDownload.h"

#include <wininet.h>

#include <cstring>
#include <string>

#include "common/ComError.h"
#include "component/com/ComObject.h"
#include "component/com/ComPtr.h"
#include "component/picture/DownloadErrors.h"
#include "component/picture/HttpFetch.h"
#include "icons/OlePicture.h"
#include "component/surface/Units.h"
#include "text/StringUtil.h"
#include "component/picture/PictureDimensions.h"
#include "component/com/WideString.h"

namespace pelzorvick {

using download::Fail;
using download::FailTimeout;
using download::FailTooLarge;

namespace {

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

bool StartsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
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
class PictureDownload::Callback final
    : public ComObject<PictureDownload::Callback, Implements<IBindStatusCallback>> {
 public:
  // IBindStatusCallback
  HRESULT OnStartBinding(Guarded, DWORD, IBinding* binding) {
    binding_ = binding;
    return S_OK;
  }
  HRESULT GetPriority(Guarded, LONG*) { return E_NOTIMPL; }
  HRESULT OnLowResource(Guarded, DWORD) { return S_OK; }
  HRESULT OnProgress(Guarded, ULONG, ULONG, ULONG, LPCWSTR) {
    ReadHttpStatus();
    return S_OK;
  }
  HRESULT OnStopBinding(Guarded, HRESULT result, LPCWSTR) {
    ReadHttpStatus();
    stop_result_ = result;
    stopped_ = true;
    binding_.Reset();
    return S_OK;
  }
  HRESULT GetBindInfo(Guarded, DWORD* flags, BINDINFO* info) {
    if (!flags || !info) return E_INVALIDARG;
    // Synchronous: no BINDF_ASYNCHRONOUS. Always ask the server afresh.
    *flags = BINDF_GETNEWESTVERSION | BINDF_NO_UI | BINDF_SILENTOPERATION;
    DWORD size = info->cbSize;
    std::memset(info, 0, size);
    info->cbSize = size;
    info->dwBindVerb = BINDVERB_GET;
    return S_OK;
  }
  HRESULT OnDataAvailable(Guarded, DWORD, DWORD, FORMATETC*, STGMEDIUM*) {
    ReadHttpStatus();
    return S_OK;
  }
  HRESULT OnObjectAvailable(Guarded, REFIID, IUnknown*) { return S_OK; }

  unsigned long http_status() const { return http_status_; }
  bool stopped() const { return stopped_; }
  HRESULT stop_result() const { return stop_result_; }

 private:
  void ReadHttpStatus() {
    if (!binding_) return;
    ComPtr<IWinInetHttpInfo> http;
    if (FAILED(binding_.As(&http)) || !http) return;
    DWORD status = 0;
    DWORD size = sizeof status;
    DWORD flags = 0;
    if (http->QueryInfo(HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, &flags, nullptr) == S_OK &&
        status != 0) {
      http_status_ = status;
    }
  }

  ComPtr<IBinding> binding_;
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
  ComPtr<IMoniker> moniker;
  HRESULT hr = CreateURLMonikerEx(nullptr, address.c_str(), &moniker, URL_MK_UNIFORM);
  if (FAILED(hr) || !moniker) Fail(FAILED(hr) ? hr : E_UNEXPECTED, "The picture address cannot be opened");

  ComPtr<IBindCtx> context;
  hr = CreateBindCtx(0, &context);
  if (FAILED(hr)) Fail(hr, "The picture download cannot be prepared");
  ComPtr<Callback> callback(new Callback());
  hr = RegisterBindStatusCallback(context.Get(), callback.Get(), nullptr, 0);
  if (FAILED(hr)) Fail(hr, "The picture download cannot be prepared");
  return std::unique_ptr<PictureDownload>(new PictureDownload(
      std::move(address), http, std::move(moniker), std::move(context), std::move(callback), deadline));
}

PictureDownload::PictureDownload(std::wstring address, bool http, ComPtr<IMoniker> moniker,
                                 ComPtr<IBindCtx> context, ComPtr<Callback> callback,
                                 std::chrono::milliseconds deadline)
    : address_(std::move(address)),
      http_(http),
      moniker_(std::move(moniker)),
      context_(std::move(context)),
      callback_(std::move(callback)),
      deadline_(deadline) {}

PictureDownload::~PictureDownload() {
  if (context_) RevokeBindStatusCallback(context_.Get(), callback_.Get());
}

unsigned long PictureDownload::HttpStatus() const {
  if (http_) return http_status_;
  return callback_ ? callback_->http_status() : 0;
}

void PictureDownload::ReadHttp(IStream* memory, ULONG& total) {
  std::string data;
  FetchHttpUntil(address_, give_up_at_, data, http_status_);
  if (!data.empty()) Keep(memory, data.data(), static_cast<ULONG>(data.size()), total);
}

void PictureDownload::ReadLocal(IStream* memory, ULONG& total) {
  ComPtr<IStream> source;
  HRESULT hr = moniker_->BindToStorage(context_.Get(), nullptr, IID_PPV_ARGS(&source));
  if (SUCCEEDED(hr) && callback_->stopped() && FAILED(callback_->stop_result())) hr = callback_->stop_result();
  if (FAILED(hr) || !source) Fail(FAILED(hr) ? hr : INET_E_DOWNLOAD_FAILURE, "The picture download failed");
  char buffer[16384];
  for (;;) {
    if (std::chrono::steady_clock::now() >= give_up_at_) FailTimeout();
    ULONG got = 0;
    hr = source->Read(buffer, sizeof buffer, &got);
    if (FAILED(hr)) Fail(hr, "The picture download failed");
    if (got == 0) break;
    Keep(memory, buffer, got, total);
  }
}

PicturePtr PictureDownload::Complete() {
  if (completed_) Fail(E_UNEXPECTED, "The picture download has already completed");
  completed_ = true;
  give_up_at_ = std::chrono::steady_clock::now() + deadline_;

  // Copy into memory first: OleLoadPicture wants the size, and the cap keeps
  // an endless or huge answer from taking the container's memory.
  ComPtr<IStream> memory;
  HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &memory);
  if (FAILED(hr)) Fail(hr, "The picture download failed");
  ULONG total = 0;
  if (http_) {
    ReadHttp(memory.Get(), total);
  } else {
    ReadLocal(memory.Get(), total);
  }
  HGLOBAL data = nullptr;
  if (total && SUCCEEDED(GetHGlobalFromStream(memory.Get(), &data)) && data) {
    const void* bytes = GlobalLock(data);
    const bool allowed = !bytes || PictureHeaderAllowed(std::string_view(static_cast<const char*>(bytes), total));
    GlobalUnlock(data);
    if (!allowed) FailTooLarge("The picture claims more pixels than a control shows");
  }
  LARGE_INTEGER start{};
  memory->Seek(start, STREAM_SEEK_SET, nullptr);
  ComPtr<IPicture> picture;
  hr = total ? OleLoadPicture(memory.Get(), static_cast<LONG>(total), FALSE, IID_PPV_ARGS(&picture)) : E_FAIL;
  if (FAILED(hr) || !picture) Fail(FAILED(hr) ? hr : E_FAIL, "The downloaded data is no picture");

  PicturePtr result = MakeOlePicture(picture.Get());
  // Formats whose header is not read are judged by what they decoded to.
  if (!PictureSizeAllowed(HimetricToPixels(result->Width(), kStandardDpi),
                          HimetricToPixels(result->Height(), kStandardDpi))) {
    FailTooLarge("The picture is larger than a control shows");
  }
  return result;
}

}  // namespace pelzorvick
