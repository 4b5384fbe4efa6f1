#pragma once
// Between the core's property types and the automation types of the dual
// interface: float, BSTR (owned by the caller once handed out) and
// VARIANT_BOOL.

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "component/com/WideString.h"

namespace pelzorvick {

template <class Automation>
struct CoreTypeOf;
template <>
struct CoreTypeOf<float> {
  using type = float;
};
template <>
struct CoreTypeOf<BSTR> {
  using type = std::u16string;
};
template <>
struct CoreTypeOf<VARIANT_BOOL> {
  using type = bool;
};

inline float ToAutomation(float value) { return value; }
inline VARIANT_BOOL ToAutomation(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }
inline BSTR ToAutomation(const std::u16string& value) { return MakeBstr(value); }
inline float FromAutomation(float value) { return value; }
inline bool FromAutomation(VARIANT_BOOL value) { return value != VARIANT_FALSE; }
inline std::u16string FromAutomation(BSTR value) { return FromBstr(value); }

}  // namespace pelzorvick
