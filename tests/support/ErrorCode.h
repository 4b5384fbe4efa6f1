#pragma once
// The code of the core's error a call throws, so that a test compares it
// like any other result: 0 when the call returns.

#include <cstdint>

#include "common/ComError.h"

namespace pelzorvick::test {

template <class Call>
int32_t ErrorCodeOf(Call&& call) {
  try {
    call();
  } catch (const ComError& e) {
    return e.code();
  }
  return 0;
}

}  // namespace pelzorvick::test
