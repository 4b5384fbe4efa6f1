#pragma once
// A synchronous download of an address, decoded into an OLE picture: http:
// and https: through WinINet, file: URLs and drive paths through URL
// monikers. Nothing else is fetched: a network path (\\host\share, or
// file://host/...) would make Windows sign in to that host with the user's
// credentials.
//
// Which failure surfaces where:
//   Start     the address is empty, holds a NUL (INET_E_INVALID_URL), is of
//             another kind (INET_E_UNKNOWN_PROTOCOL; a network path
//             E_ACCESSDENIED), the moniker cannot be made from it
//             (CreateURLMonikerEx's code, e.g. for a port it cannot parse), or
//             the bind context and its callback cannot be set up.
//   Complete  everything the fetch itself finds: a host that cannot be
//             reached or refuses (0x800C0008), a missing file (0x800C0005),
//             an HTTP status of 400 or more (0x800C0005 for 404 and 410,
//             0x800C0008 otherwise; the body, an error page, is never
//             decoded), the deadline passing (INET_E_CONNECTION_TIMEOUT),
//             data over kMaxPictureDownloadSize or a picture over the
//             dimensions of PictureDimensions.h (ERROR_FILE_TOO_LARGE), and
//             data that OleLoadPicture cannot read.
// Both throw ComError. The thread must have COM initialised.

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <urlmon.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "component/seams/Picture.h"
#include "component/com/ComPtr.h"

namespace pelzorvick {

inline constexpr ULONG kMaxPictureDownloadSize = 64u << 20;
// The container's thread waits for the picture: never longer than this.
inline constexpr std::chrono::milliseconds kPictureDownloadDeadline = std::chrono::seconds(30);

class PictureDownload {
 public:
  // The deadline counts from the start of Complete.
  static std::unique_ptr<PictureDownload> Start(std::u16string_view url,
                                                std::chrono::milliseconds deadline = kPictureDownloadDeadline);
  ~PictureDownload();
  PictureDownload(const PictureDownload&) = delete;
  PictureDownload& operator=(const PictureDownload&) = delete;

  // Blocks until the data is there; once only (later calls throw E_UNEXPECTED).
  // The result is an OlePicture.
  PicturePtr Complete();

  // The HTTP status of the finished download; 0 before Complete and for
  // other protocols.
  unsigned long HttpStatus() const;

 private:
  class Callback;
  PictureDownload(std::wstring address, bool http, ComPtr<IMoniker> moniker, ComPtr<IBindCtx> context,
                  ComPtr<Callback> callback, std::chrono::milliseconds deadline);

  // Each copies the data into `memory`, within the limits.
  void ReadHttp(IStream* memory, ULONG& total);
  void ReadLocal(IStream* memory, ULONG& total);

  std::wstring address_;
  bool http_;
  ComPtr<IMoniker> moniker_;
  ComPtr<IBindCtx> context_;
  ComPtr<Callback> callback_;
  std::chrono::milliseconds deadline_;
  std::chrono::steady_clock::time_point give_up_at_{};
  unsigned long http_status_ = 0;
  bool completed_ = false;
};

}  // namespace pelzorvick
