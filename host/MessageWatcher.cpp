#include "host/MessageWatcher.h"

#include "host/Output.h"

namespace pelzorvick {

namespace {

constexpr int kMessageText = 0xFFFF;

std::u16string Text(HWND hwnd) {
  wchar_t buf[2048] = {};
  GetWindowTextW(hwnd, buf, static_cast<int>(std::size(buf)));
  return reinterpret_cast<const char16_t*>(buf);
}

}  // namespace

MessageWatcher::~MessageWatcher() { Stop(); }

void MessageWatcher::Start(bool dismiss) {
  if (running_) return;
  dismiss_ = dismiss;
  running_ = true;
  thread_ = std::thread([this] {
    while (running_) {
      Poll();
      Sleep(25);
    }
  });
}

void MessageWatcher::Stop() {
  running_ = false;
  if (thread_.joinable()) thread_.join();
}

void MessageWatcher::Poll() {
  alive_.clear();
  EnumWindows(Visit, reinterpret_cast<LPARAM>(this));
  // Forget boxes that are gone, so that a new box that reuses a handle is
  // reported too.
  for (auto it = reported_.begin(); it != reported_.end();) {
    it = alive_.count(*it) ? std::next(it) : reported_.erase(it);
  }
}

BOOL CALLBACK MessageWatcher::Visit(HWND hwnd, LPARAM param) {
  auto* self = reinterpret_cast<MessageWatcher*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != GetCurrentProcessId() || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, static_cast<int>(std::size(cls)));
  // A message box: a dialog with the box's text control (other dialogs, the
  // property frame among them, are not the watcher's).
  if (wcscmp(cls, L"#32770") != 0 || !GetDlgItem(hwnd, kMessageText)) return TRUE;
  self->alive_.insert(hwnd);
  if (self->reported_.insert(hwnd).second) {
    wchar_t text[4096] = {};
    GetDlgItemTextW(hwnd, kMessageText, text, static_cast<int>(std::size(text)));
    ++self->seen_;
    Output::Log(u"message: [" + Text(hwnd) + u"] " + reinterpret_cast<const char16_t*>(text));
    if (!Output::Logging()) {
      Output::Line(u"message: [" + Text(hwnd) + u"] " + reinterpret_cast<const char16_t*>(text));
    }
  }
  if (self->dismiss_) PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return TRUE;
}

}  // namespace pelzorvick
