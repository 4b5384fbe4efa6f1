#pragma once
// A synchronous download of an address (http, https, file: URLs and plain
// drive paths) through URL monikers, decoded into an OLE picture.
//
// Which failure surfaces where:
//   Start     the address is empty or holds a NUL (INET_E_INVALID_URL), the
//             moniker cannot be made from it (CreateURLMonikerEx's code, e.g.
//             for an address it cannot parse), or the bind context and its
//             callback cannot be set up.
//   Complete  everything the bind itself finds: an unknown protocol, a host
//             that cannot be reached or refuses (0x800C0008), a missing file
//             (0x800C0005), an HTTP status of 400 or more (0x800C0005 for 404
//             and 410, 0x800C0008 otherwise; the body, an error page, is never
//             decoded), data over kMaxPictureDownloadSize, and data that
//             OleLoadPicture cannot read.
// Both throw ComError. The thread must have COM initialised.

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <urlmon.h>

#include <memory>
#include <string_view>

#include "component/Picture.h"

namespace pelzorvick {

inline constexpr ULONG kMaxPictureDownloadSize = 64u << 20;

class PictureDownload {
 public:
  static std::unique_ptr<PictureDownload> Start(std::u16string_view url);
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
  PictureDownload(IMoniker* moniker, IBindCtx* context, Callback* callback);

  IMoniker* moniker_;
  IBindCtx* context_;
  Callback* callback_;
  bool completed_ = false;
};

}  // namespace pelzorvick
