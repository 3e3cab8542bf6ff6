// Column letters and numbers.
#include <gtest/gtest.h>

#include "store/ColumnName.h"
#include "tests/store/SheetFixture.h"

namespace {

TEST(ColumnLetters, NamesAndNumbers) {
  const std::pair<int32_t, const char*> names[] = {
      {0, "A"},    {25, "Z"},      {26, "AA"},     {51, "AZ"},
      {701, "ZZ"}, {702, "AAA"},   {16383, "XFD"}, {INT32_MAX, "FXSHRXX"},
      {-1, ""},    {INT32_MIN, ""}};
  for (auto [index, name] : names) {
    EXPECT_EQ(colNameA(index), name) << index;
    EXPECT_EQ(u8(colName(index)), name) << index;
  }
  const std::pair<std::string, int32_t> numbers[] = {
      {"A", 1},
      {"z", 26},
      {"AA", 27},
      {"AAA", 703},
      {"xfd", 16384},
      {"", 0},
      {"A1", 0},
      {"1", 0},
      {"A B", 0},
      {"\xe4\xb8\xad", 0},
      {"FXSHRXW", INT32_MAX},
      {"FXSHRXX", 0},   // one beyond the 32-bit range
      {"ZZZZZZZZ", 0},  // beyond the range
      {std::string(100000, 'Z'), 0},
      {std::string(100000, 'A'), 0},
  };
  for (const auto& [letters, number] : numbers) EXPECT_EQ(colNumber(letters), number) << letters.substr(0, 20);
  for (int32_t i : {0, 25, 26, 701, 702, 1000000, INT32_MAX - 1}) EXPECT_EQ(colNumber(colNameA(i)), i + 1);
}

}  // namespace
