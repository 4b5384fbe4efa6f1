#include "component/picture/PictureDownload.h"

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
using download::Append;
using download::FailAbandoned;
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


}  // namespace

// Sees the final result of the bind, which the stream alone may not tell.
class PictureDownload::Callback final
    : public ComObject<PictureDownload::Callback, Implements<IBindStatusCallback>> {
 public:
  // IBindStatusCallback
  HRESULT OnStartBinding(Guarded, DWORD, IBinding*) { return S_OK; }
  HRESULT GetPriority(Guarded, LONG*) { return E_NOTIMPL; }
  HRESULT OnLowResource(Guarded, DWORD) { return S_OK; }
  HRESULT OnProgress(Guarded, ULONG, ULONG, ULONG, LPCWSTR) { return S_OK; }
  HRESULT OnStopBinding(Guarded, HRESULT result, LPCWSTR) {
    stop_result_ = result;
    return S_OK;
  }
  HRESULT GetBindInfo(Guarded, DWORD* flags, BINDINFO* info) {
    if (!flags || !info) return E_INVALIDARG;
    // Synchronous: no BINDF_ASYNCHRONOUS. Always read the file afresh.
    *flags = BINDF_GETNEWESTVERSION | BINDF_NO_UI | BINDF_SILENTOPERATION;
    DWORD size = info->cbSize;
    std::memset(info, 0, size);
    info->cbSize = size;
    info->dwBindVerb = BINDVERB_GET;
    return S_OK;
  }
  HRESULT OnDataAvailable(Guarded, DWORD, DWORD, FORMATETC*, STGMEDIUM*) { return S_OK; }
  HRESULT OnObjectAvailable(Guarded, REFIID, IUnknown*) { return S_OK; }

  HRESULT stop_result() const { return stop_result_; }

 private:
  HRESULT stop_result_ = S_OK;
};

std::unique_ptr<PictureDownload> PictureDownload::Start(std::u16string_view url,
                                                       std::chrono::milliseconds deadline) {
  if (url.empty() || url.find(u'\0') != std::u16string_view::npos) {
    Fail(INET_E_INVALID_URL, "The picture address is empty or invalid");
  }
  const bool http = Classify(url) == AddressKind::kHttp;
  std::wstring address = ToWide(url);
  // The moniker also vets http addresses, as it did when it fetched them;
  // the fetch makes its own, on its own thread.
  ComPtr<IMoniker> moniker;
  const HRESULT hr = CreateURLMonikerEx(nullptr, address.c_str(), &moniker, URL_MK_UNIFORM);
  if (FAILED(hr) || !moniker) Fail(FAILED(hr) ? hr : E_UNEXPECTED, "The picture address cannot be opened");
  return std::unique_ptr<PictureDownload>(
      new PictureDownload(std::move(address), http, std::chrono::steady_clock::now() + deadline));
}

PictureDownload::PictureDownload(std::wstring address, bool http,
                                 std::chrono::steady_clock::time_point give_up_at)
    : address_(std::move(address)), http_(http), give_up_at_(give_up_at) {}

std::string PictureDownload::ReadLocal(const std::atomic<bool>& abandoned) {
  ComPtr<IMoniker> moniker;
  HRESULT hr = CreateURLMonikerEx(nullptr, address_.c_str(), &moniker, URL_MK_UNIFORM);
  if (FAILED(hr) || !moniker) Fail(FAILED(hr) ? hr : E_UNEXPECTED, "The picture address cannot be opened");
  ComPtr<IBindCtx> context;
  hr = CreateBindCtx(0, &context);
  if (FAILED(hr)) Fail(hr, "The picture download cannot be prepared");
  ComPtr<Callback> callback(new Callback());
  hr = RegisterBindStatusCallback(context.Get(), callback.Get(), nullptr, 0);
  if (FAILED(hr)) Fail(hr, "The picture download cannot be prepared");
  struct Revoke {
    IBindCtx* context;
    IBindStatusCallback* callback;
    ~Revoke() { RevokeBindStatusCallback(context, callback); }
  } revoke{context.Get(), callback.Get()};

  ComPtr<IStream> source;
  hr = moniker->BindToStorage(context.Get(), nullptr, IID_PPV_ARGS(&source));
  if (SUCCEEDED(hr) && FAILED(callback->stop_result())) hr = callback->stop_result();
  if (FAILED(hr) || !source) Fail(FAILED(hr) ? hr : INET_E_DOWNLOAD_FAILURE, "The picture download failed");
  std::string data;
  char buffer[16384];
  for (;;) {
    if (abandoned) FailAbandoned();
    if (std::chrono::steady_clock::now() >= give_up_at_) FailTimeout();
    ULONG got = 0;
    hr = source->Read(buffer, sizeof buffer, &got);
    if (FAILED(hr)) Fail(hr, "The picture download failed");
    if (got == 0) return data;
    Append(data, buffer, got);
  }
}

std::string PictureDownload::Fetch(const std::atomic<bool>& abandoned) {
  if (fetched_) Fail(E_UNEXPECTED, "The picture download has already completed");
  fetched_ = true;
  if (!http_) return ReadLocal(abandoned);
  std::string data;
  FetchHttpUntil(address_, give_up_at_, abandoned, data, http_status_);
  return data;
}

PicturePtr PictureDownload::Decode(std::string_view data) {
  if (!PictureHeaderAllowed(data)) FailTooLarge("The picture claims more pixels than a control shows");
  // OleLoadPicture wants a stream and the size.
  ComPtr<IStream> memory;
  HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &memory);
  if (FAILED(hr)) Fail(hr, "The picture cannot be decoded");
  ULONG written = 0;
  hr = memory->Write(data.data(), static_cast<ULONG>(data.size()), &written);
  if (FAILED(hr) || written != data.size()) Fail(FAILED(hr) ? hr : E_OUTOFMEMORY, "The picture cannot be decoded");
  LARGE_INTEGER start{};
  memory->Seek(start, STREAM_SEEK_SET, nullptr);
  ComPtr<IPicture> picture;
  hr = data.empty() ? E_FAIL
                    : OleLoadPicture(memory.Get(), static_cast<LONG>(data.size()), FALSE, IID_PPV_ARGS(&picture));
  if (FAILED(hr) || !picture) Fail(FAILED(hr) ? hr : E_FAIL, "The downloaded data is no picture");

  PicturePtr result = MakeOlePicture(picture.Get());
  // Formats whose header is not read are judged by what they decoded to.
  if (!PictureSizeAllowed(HimetricToPixels(result->Width(), kStandardDpi),
                          HimetricToPixels(result->Height(), kStandardDpi))) {
    FailTooLarge("The picture is larger than a control shows");
  }
  return result;
}

PicturePtr PictureDownload::Complete() {
  const std::atomic<bool> never{false};
  return Decode(Fetch(never));
}

}  // namespace pelzorvick
