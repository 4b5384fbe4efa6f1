#include "tests/component-library/OcxModule.h"

#include <objbase.h>

#include <gtest/gtest.h>

namespace pelzorvick::test {
namespace {

class ComEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { CoUninitialize(); }
};

const auto* const kComEnvironment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

}  // namespace

const std::wstring& OcxPath() {
  // The build passes the host path; under Wine it is reached through Z:.
  static const std::wstring path = [] {
    const std::string host = PZ_OCX_PATH;
    std::wstring out = L"Z:";
    for (char c : host) out += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return out;
  }();
  return path;
}

HMODULE Ocx() {
  static const HMODULE module = LoadLibraryW(OcxPath().c_str());
  EXPECT_NE(module, nullptr) << "cannot load the .ocx, error " << GetLastError();
  return module;
}

}  // namespace pelzorvick::test
