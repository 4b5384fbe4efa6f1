#include "tests/component-library/OcxModule.h"

#include <gtest/gtest.h>

#include "tests/support/HostPath.h"

namespace pelzorvick::test {

const std::wstring& OcxPath() {
  // The build passes the host path; under Wine it is reached through Z:.
  static const std::wstring path = FromHostPath(PZ_OCX_PATH);
  return path;
}

HMODULE Ocx() {
  static const HMODULE module = LoadLibraryW(OcxPath().c_str());
  EXPECT_NE(module, nullptr) << "cannot load the .ocx, error " << GetLastError();
  return module;
}

}  // namespace pelzorvick::test
