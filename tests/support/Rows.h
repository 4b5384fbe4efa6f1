#pragma once
// Rows of the tables behind parameterised tests.

#include <string>

#include <gtest/gtest.h>

namespace pelzorvick::test {

// Names each instance after its row's `name`, so a failure says which row.
struct RowName {
  template <class Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
    return std::string(info.param.name);
  }
};

// A row for a function from text to text.
struct TextRow {
  std::u16string in;
  std::u16string out;
};

}  // namespace pelzorvick::test
