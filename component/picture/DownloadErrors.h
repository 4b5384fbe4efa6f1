#pragma once
// The failures of a picture download, as ComError with the code the caller
// sees and a text that names it. Shared by the download and its http fetch.

#include <windows.h>
#include <urlmon.h>

#include <cstdio>
#include <string>

#include "common/ComError.h"
#include "component/picture/PictureDownload.h"

namespace pelzorvick::download {

inline std::u16string Ascii(const char* text) {
  std::u16string out;
  for (; *text; ++text) out.push_back(static_cast<unsigned char>(*text));
  return out;
}

[[noreturn]] inline void Fail(HRESULT hr, const char* what) {
  char text[96];
  std::snprintf(text, sizeof text, "%s (0x%08lX)", what, static_cast<unsigned long>(hr));
  throw ComError(static_cast<int32_t>(hr), Ascii(text));
}

[[noreturn]] inline void FailTooLarge(const char* what) {
  Fail(HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE), what);
}

[[noreturn]] inline void FailTimeout() {
  Fail(INET_E_CONNECTION_TIMEOUT, "The picture download did not finish in time");
}

[[noreturn]] inline void FailAbandoned() { Fail(E_ABORT, "The picture download was abandoned"); }

// Adds what a read gave, refusing a picture beyond the size kept.
inline void Append(std::string& data, const char* bytes, unsigned long size) {
  if (size > kMaxPictureDownloadSize - data.size()) FailTooLarge("The picture is larger than 64 MiB");
  data.append(bytes, size);
}

}  // namespace pelzorvick::download
