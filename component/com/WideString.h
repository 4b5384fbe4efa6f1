#pragma once
// UTF-16 text at the Windows edge: wchar_t is 16-bit there, so char16_t text
// passes by reinterpretation; BSTRs are owned by UniqueBstr (Handles.h).

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <new>
#include <string>
#include <string_view>

namespace pelzorvick {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wchar_t is UTF-16");

inline const wchar_t* AsWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* AsWide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
inline const char16_t* AsU16(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }

// A null-terminated copy, for calls that take a C string. The view may hold
// NULs of its own; the callee then sees the text up to the first.
inline std::wstring ToWide(std::u16string_view text) {
  return std::wstring(AsWide(text.data()), text.size());
}

inline std::u16string FromWide(const wchar_t* text) {
  return text ? std::u16string(AsU16(text)) : std::u16string();
}
inline std::u16string FromWide(const wchar_t* text, std::size_t length) {
  return text ? std::u16string(AsU16(text), length) : std::u16string();
}

// The whole BSTR, embedded NULs included; a null BSTR is the empty text.
inline std::u16string FromBstr(BSTR text) { return FromWide(text, SysStringLen(text)); }

// A freshly allocated BSTR; throws std::bad_alloc when none can be had.
inline BSTR MakeBstr(std::u16string_view text) {
  BSTR b = SysAllocStringLen(AsWide(text.data()), static_cast<UINT>(text.size()));
  if (!b) throw std::bad_alloc();
  return b;
}

// A null-terminated copy in task memory, which the caller frees with
// CoTaskMemFree; throws std::bad_alloc when none can be had.
inline LPOLESTR MakeTaskString(std::u16string_view text) {
  auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
  if (!copy) throw std::bad_alloc();
  text.copy(reinterpret_cast<char16_t*>(copy), text.size());
  copy[text.size()] = L'\0';
  return copy;
}

}  // namespace pelzorvick
