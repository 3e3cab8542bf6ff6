// Names of parameterised cases. A table row that has a `name` field names its case by it
// (INSTANTIATE_TEST_SUITE_P's fourth argument: testsupport::ByName()) and prints as it
// (the test file's one-line PrintTo for the row type calls printName), so that ctest and
// a failure show what the case tests rather than the row's bytes.
#pragma once
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

namespace testsupport {

// `text` as a test name: each run of characters outside [A-Za-z0-9] becomes one '_',
// none at either end ("x" for a text without a letter or digit).
inline std::string identifier(std::string_view text) {
  std::string out;
  bool gap = false;
  for (char ch : text) {
    const bool word = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
    if (!word) {
      gap = !out.empty();
      continue;
    }
    if (gap) out += '_';
    gap = false;
    out += ch;
  }
  return out.empty() ? "x" : out;
}

// The name generator of a suite whose rows have a `name` field.
struct ByName {
  template <class Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
    return identifier(info.param.name);
  }
};

// What a row with a `name` field prints as.
template <class Row>
void printName(const Row& row, std::ostream* os) {
  *os << row.name;
}

}  // namespace testsupport
