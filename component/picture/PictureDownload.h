#pragma once
// A download of an address, decoded into an OLE picture: http: and https:
// through WinINet, file: URLs and drive paths through URL monikers. Nothing
// else is fetched: a network path (\\host\share, or file://host/...) would
// make Windows sign in to that host with the user's credentials. Start runs
// on the thread that asks, Fetch on any (the background reads run it on a
// worker), Decode on the thread that will draw the picture.
//
// Which failure surfaces where:
//   Start     the address is empty, holds a NUL (INET_E_INVALID_URL), is of
//             another kind (INET_E_UNKNOWN_PROTOCOL; a network path
//             E_ACCESSDENIED), or the moniker cannot be made from it
//             (CreateURLMonikerEx's code, e.g. for a port it cannot parse).
//   Fetch     everything the fetch itself finds: a host that cannot be
//             reached or refuses (0x800C0008), a missing file (0x800C0005),
//             an HTTP status of 400 or more (0x800C0005 for 404 and 410,
//             0x800C0008 otherwise; the body, an error page, is never
//             decoded), the deadline passing (INET_E_CONNECTION_TIMEOUT),
//             data over kMaxPictureDownloadSize (ERROR_FILE_TOO_LARGE), or
//             the bind context and its callback failing to be set up.
//   Decode    a picture over the dimensions of PictureDimensions.h
//             (ERROR_FILE_TOO_LARGE), and data that OleLoadPicture cannot
//             read.
// Each throws ComError. The thread must have COM initialised.

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <urlmon.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "component/seams/Picture.h"

namespace pelzorvick {

inline constexpr ULONG kMaxPictureDownloadSize = 64u << 20;
// A picture that has not arrived by then fails.
inline constexpr std::chrono::milliseconds kPictureDownloadDeadline = std::chrono::seconds(30);

class PictureDownload {
 public:
  // The deadline counts from here.
  static std::unique_ptr<PictureDownload> Start(std::u16string_view url,
                                                std::chrono::milliseconds deadline = kPictureDownloadDeadline);
  PictureDownload(const PictureDownload&) = delete;
  PictureDownload& operator=(const PictureDownload&) = delete;

  // The data, once only (later calls throw E_UNEXPECTED). Ends at the
  // deadline, and early once `abandoned` is set (E_ABORT).
  std::string Fetch(const std::atomic<bool>& abandoned);
  // The picture in the data: an OlePicture.
  static PicturePtr Decode(std::string_view data);
  // Fetch and Decode, here.
  PicturePtr Complete();

  // The HTTP status of the finished fetch; 0 before it and for other
  // protocols.
  unsigned long HttpStatus() const { return http_status_; }

 private:
  class Callback;
  PictureDownload(std::wstring address, bool http, std::chrono::steady_clock::time_point give_up_at);

  std::string ReadLocal(const std::atomic<bool>& abandoned);

  std::wstring address_;
  bool http_;
  std::chrono::steady_clock::time_point give_up_at_;
  unsigned long http_status_ = 0;
  bool fetched_ = false;
};

}  // namespace pelzorvick
