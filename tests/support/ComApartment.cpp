// Linked into a Windows test executable, runs every test in a COM apartment.

#include <objbase.h>

#include <gtest/gtest.h>

namespace pelzorvick::test {
namespace {

class ComApartment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { CoUninitialize(); }
};

const auto* const kComApartment = ::testing::AddGlobalTestEnvironment(new ComApartment);

}  // namespace
}  // namespace pelzorvick::test
