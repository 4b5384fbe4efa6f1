#pragma once
// Errors at the COM boundary: the core's ComError becomes an HRESULT with
// error info, and nothing escapes a COM method or a window procedure.

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <new>
#include <string_view>

#include "common/ComError.h"

namespace pelzorvick {

inline constexpr wchar_t kErrorSource[] = L"PelZorvick.ZorvickCtrl";

// Sets the thread's error info (source kErrorSource, the interface, the
// text) and returns the code, made a failure if it was not one.
HRESULT ReportComError(int32_t code, std::u16string_view text, REFIID iid);

// Clears the thread's error info, so that a caller never sees a stale one.
void ClearComError();

// Runs f (returning HRESULT) so that nothing throws out of it: ComError gives
// its code and text, std::bad_alloc E_OUTOFMEMORY, anything else E_UNEXPECTED.
template <class F>
HRESULT GuardedCall(REFIID iid, F&& f) noexcept {
  try {
    return f();
  } catch (const ComError& e) {
    return ReportComError(e.code(), e.text(), iid);
  } catch (const std::bad_alloc&) {
    return ReportComError(E_OUTOFMEMORY, u"Out of memory", iid);
  } catch (...) {
    return ReportComError(E_UNEXPECTED, u"Unexpected failure", iid);
  }
}

// Writes a failure of an event handler to the debugger output and keeps it
// as the thread's error info.
void ReportEventError(std::u16string_view where, int32_t code, std::u16string_view text) noexcept;

// For window procedures and other places with no caller to return to: runs
// f, and on failure writes the error to the debugger output and keeps it as
// the thread's error info. Returns whether f completed.
template <class F>
bool GuardedEvent(std::u16string_view where, F&& f) noexcept {
  try {
    f();
    return true;
  } catch (const ComError& e) {
    ReportEventError(where, e.code(), e.text());
  } catch (const std::bad_alloc&) {
    ReportEventError(where, E_OUTOFMEMORY, u"Out of memory");
  } catch (...) {
    ReportEventError(where, E_UNEXPECTED, u"Unexpected failure");
  }
  return false;
}

}  // namespace pelzorvick
