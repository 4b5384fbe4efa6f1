#pragma once
// Errors at the COM boundary: the core's ComError becomes an HRESULT with
// error info, and nothing escapes a COM method or a window procedure.

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <new>
#include <string_view>
#include <utility>

#include "common/ComError.h"

namespace pelzorvick {

inline constexpr wchar_t kErrorSource[] = L"PelZorvick.ZorvickCtrl";

// Sets the thread's error info (source kErrorSource, the interface, the
// text) and returns the code, made a failure if it was not one.
HRESULT ReportComError(int32_t code, std::u16string_view text, REFIID iid);

// The one translator from C++ exceptions to failures, behind every COM
// method, export, class factory and window procedure: runs f and returns its
// answer; what f throws becomes a code and a text handed to `failed`
// (ComError its own, std::bad_alloc E_OUTOFMEMORY, anything else
// E_UNEXPECTED), whose answer is returned instead.
template <class F, class Failed>
auto Translated(F&& f, Failed&& failed) noexcept -> decltype(f()) {
  try {
    return f();
  } catch (const ComError& e) {
    return failed(e.code(), e.text());
  } catch (const std::bad_alloc&) {
    return failed(E_OUTOFMEMORY, u"Out of memory");
  } catch (...) {
    return failed(E_UNEXPECTED, u"Unexpected failure");
  }
}

// A COM method's body (returning HRESULT): a failure thrown inside becomes
// the HRESULT with error info for the interface iid.
template <class F>
HRESULT GuardedCall(REFIID iid, F&& f) noexcept {
  return Translated(std::forward<F>(f), [&](int32_t code, std::u16string_view text) {
    return ReportComError(code, text, iid);
  });
}

// Writes a failure of an event handler to the debugger output and keeps it
// as the thread's error info.
void ReportEventError(std::u16string_view where, int32_t code, std::u16string_view text) noexcept;

// For window procedures and other places with no caller to return to: runs
// f, and on failure writes the error to the debugger output and keeps it as
// the thread's error info. Returns whether f completed.
template <class F>
bool GuardedEvent(std::u16string_view where, F&& f) noexcept {
  return Translated(
      [&] {
        f();
        return true;
      },
      [&](int32_t code, std::u16string_view text) {
        ReportEventError(where, code, text);
        return false;
      });
}

}  // namespace pelzorvick
