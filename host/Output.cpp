#include "host/Output.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <mutex>

#include "common/Utf8.h"

namespace pelzorvick {

namespace {

std::atomic<bool> g_logging{false};
std::mutex g_mutex;

void Write(DWORD which, std::u16string_view text) {
  std::u16string line(text);
  line += u"\r\n";
  const std::lock_guard<std::mutex> lock(g_mutex);
  HANDLE h = GetStdHandle(which);
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(h, &mode)) {
    WriteConsoleW(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  } else {
    // Redirected: UTF-8 with a plain newline, as scripts reading it expect.
    line.erase(line.size() - 2, 1);
    const std::string bytes = ToUtf8Lossy(line);
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
}

}  // namespace

void Output::SetLogging(bool on) { g_logging = on; }
bool Output::Logging() { return g_logging; }

void Output::Line(std::u16string_view text) { Write(STD_OUTPUT_HANDLE, text); }

void Output::Log(std::u16string_view text) {
  if (g_logging) Write(STD_OUTPUT_HANDLE, text);
}

void Output::Error(std::u16string_view text) {
  Write(g_logging ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE, u"error: " + std::u16string(text));
}

std::u16string ToU16(std::string_view ascii) {
  return FromUtf8Strict(ascii).value_or(u"(unreadable text)");
}

std::u16string HexCode(long code) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08lX", static_cast<unsigned long>(code) & 0xFFFFFFFFul);
  return ToU16(buf);
}

}  // namespace pelzorvick
