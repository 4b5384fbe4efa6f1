#pragma once
// Checks of what a property bag reads, shared by the bags' tests.

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include <gtest/gtest.h>

#include "component/seams/PropertyBag.h"

namespace pelzorvick::test {

// Each key reads as the truth value given. The default asked with it is the
// opposite, so that a key the bag passes over cannot pass.
inline void ExpectBools(PropertyBag& bag,
                        std::initializer_list<std::pair<std::u16string_view, bool>> reads) {
  for (const auto& [key, expected] : reads) {
    EXPECT_EQ(bag.ReadBool(key, !expected), expected) << std::string(key.begin(), key.end());
  }
}

}  // namespace pelzorvick::test
