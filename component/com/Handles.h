#pragma once
// The one family of owners for Windows handles: each closes what it holds
// exactly once, when it goes or is reset, so no member or local holds a raw
// owning handle.

#include <windows.h>
#include <oleauto.h>

#include <utility>

namespace pelzorvick {

// Owns one handle of type H, closed by Close; a default H means none.
template <class H, void (*Close)(H)>
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(H h) noexcept : h_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  H get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != H{}; }
  void reset(H h = H{}) noexcept {
    if (H old = std::exchange(h_, h); old != H{}) Close(old);
  }
  H release() noexcept { return std::exchange(h_, H{}); }
  // For an out parameter: closes what is held, then hands the slot to fill.
  H* put() noexcept {
    reset();
    return &h_;
  }

 private:
  H h_{};
};

// Closes a handle with the system's own function for it.
template <class H, auto Api>
void CloseWith(H h) {
  Api(h);
}

// A window whose procedure finds its object through GWLP_USERDATA forgets it
// first, so the messages of its destruction reach no half-gone object.
inline void DestroyOwnedWindow(HWND h) {
  SetWindowLongPtrW(h, GWLP_USERDATA, 0);
  DestroyWindow(h);
}

// Windows.
using UniqueWindow = UniqueHandle<HWND, CloseWith<HWND, DestroyWindow>>;
using UniqueOwnedWindow = UniqueHandle<HWND, DestroyOwnedWindow>;

// GDI objects, all given back by DeleteObject.
template <class H>
using UniqueGdi = UniqueHandle<H, CloseWith<H, DeleteObject>>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniqueFont = UniqueGdi<HFONT>;

// Icons and cursors, strings, kernel objects (threads, processes, events;
// not files, whose "none" is INVALID_HANDLE_VALUE) and registry keys.
using UniqueIcon = UniqueHandle<HICON, CloseWith<HICON, DestroyIcon>>;
using UniqueCursor = UniqueHandle<HCURSOR, CloseWith<HCURSOR, DestroyCursor>>;
using UniqueBstr = UniqueHandle<BSTR, CloseWith<BSTR, SysFreeString>>;
using UniqueKernelHandle = UniqueHandle<HANDLE, CloseWith<HANDLE, CloseHandle>>;
using UniqueKey = UniqueHandle<HKEY, CloseWith<HKEY, RegCloseKey>>;

// A window's device context from GetDC, given back to its window.
class WindowDc {
 public:
  explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a device context; the object it replaced goes
// back in when this ends, so the object can then be deleted.
class Selection {
 public:
  Selection() noexcept = default;
  Selection(HDC dc, HGDIOBJ object) noexcept : dc_(dc), original_(SelectObject(dc, object)) {}
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;
  Selection(Selection&& other) noexcept
      : dc_(std::exchange(other.dc_, nullptr)), original_(std::exchange(other.original_, nullptr)) {}
  Selection& operator=(Selection&& other) noexcept {
    if (this != &other) {
      reset();
      dc_ = std::exchange(other.dc_, nullptr);
      original_ = std::exchange(other.original_, nullptr);
    }
    return *this;
  }
  ~Selection() { reset(); }
  void reset() noexcept {
    if (dc_ && original_) SelectObject(dc_, original_);
    dc_ = nullptr;
    original_ = nullptr;
  }

 private:
  HDC dc_ = nullptr;
  HGDIOBJ original_ = nullptr;
};

// A VARIANT cleared when it goes.
class UniqueVariant {
 public:
  UniqueVariant() noexcept { VariantInit(&v_); }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  ~UniqueVariant() { VariantClear(&v_); }
  VARIANT* get() noexcept { return &v_; }
  const VARIANT* get() const noexcept { return &v_; }
  VARIANT* operator->() noexcept { return &v_; }
  const VARIANT* operator->() const noexcept { return &v_; }
  // For an out parameter: clears what is held first.
  VARIANT* put() noexcept {
    VariantClear(&v_);
    return &v_;
  }
  // Hands the value over; this one is left empty.
  VARIANT release() noexcept {
    VARIANT out = v_;
    VariantInit(&v_);
    return out;
  }

 private:
  VARIANT v_;
};

}  // namespace pelzorvick
