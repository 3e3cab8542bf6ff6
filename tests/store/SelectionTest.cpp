// Selection bounds on a sheet and extension by the mouse.
#include <gtest/gtest.h>

#include "store/DataCore.h"
#include "store/Range.h"

namespace {

struct ToRangeCase {
  const char* name;
  Range selected;
  uint64_t rows, cols;
  Range expect;
};

TEST(Selection, ToRange) {
  const ToRangeCase cases[] = {
      {"cells", {2, 3, 4, 5}, 10, 10, {2, 3, 4, 5}},
      {"whole columns", {0, 2, 0, 3}, 10, 8, {1, 2, 9, 3}},
      {"whole rows", {4, 0, 6, 0}, 10, 8, {4, 1, 6, 7}},
      {"whole sheet", {0, 0, 0, 0}, 10, 8, {1, 1, 9, 7}},
      {"whole sheet of one cell", {0, 0, 0, 0}, 1, 1, {1, 1, 0, 0}},
      {"negative top", {-1, 3, 4, 5}, 10, 10, {1, 1, 1, 1}},
      {"negative left", {2, -5, 4, 5}, 10, 10, {1, 1, 1, 1}},
      {"low 32 bits of the counts", {0, 0, 0, 0}, (uint64_t(1) << 32) + 5, 3, {1, 1, 4, 2}},
  };
  for (const auto& c : cases) {
    DocHeader head{};
    head.mRowCount = c.rows;
    head.mColCount = c.cols;
    Selection sel{0, 0, c.selected};
    EXPECT_EQ(sel.toRange(head), c.expect) << c.name;
  }
  CDataCore sheet;  // the sheet itself is a DocHeader
  sheet.resize(3, 3);
  EXPECT_EQ((Selection{0, 0, {}}).toRange(sheet), (Range{1, 1, 2, 2}));
}

struct ExtendCase {
  const char* name;
  int32_t anchorRow, anchorCol;
  int32_t row, col;
  Range expect;
};

TEST(Selection, ExtendTo) {
  const Range before{9, 9, 9, 9};
  const ExtendCase cases[] = {
      {"whole columns stay whole columns", 0, 3, 7, 5, {0, 3, 7, 5}},
      {"corner (0, 0) becomes (1, 1)", 4, 2, 0, 0, {1, 1, 4, 2}},
      {"anchor (0, 0) keeps the selection", 0, 0, 5, 5, before},
      {"whole rows", 6, 0, 2, 9, {2, 0, 6, 9}},
      {"cells up and left", 5, 5, 2, 3, {2, 3, 5, 5}},
      {"negative corner compares signed", 3, 3, -2, 4, {-2, 3, 3, 4}},
  };
  for (const auto& c : cases) {
    Selection sel{c.anchorRow, c.anchorCol, before};
    sel.extendTo(cellPos(c.row, c.col));
    EXPECT_EQ(sel.range, c.expect) << c.name;
    EXPECT_EQ(sel.anchorRow, c.anchorRow);
  }
}

}  // namespace
