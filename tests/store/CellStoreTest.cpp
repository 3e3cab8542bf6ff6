// Cell reads and writes of the sheet: typing by text, reads by kind, positions outside
// the sheet, formula values, pool references of cells, restore and copy of saved cells,
// copy text and clear.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>

#include "store/TextKey.h"
#include "tests/store/SheetFixture.h"

namespace {

class CellStore : public ::testing::Test {
 protected:
  void SetUp() override { sheet.resize(4, 4); }
  CDataCore sheet;
};

struct TypedCase {
  const char* input;
  uint8_t kind;
  const char* text;  // getText afterwards
};

TEST_F(CellStore, SetTextTypedTypesByText) {
  const TypedCase cases[] = {
      {"42", CELL_INT64, "42"},
      {"-7", CELL_INT64, "-7"},
      {" 42", CELL_INT64, "42"},
      {"\t5", CELL_INT64, "5"},
      {"9223372036854775807", CELL_INT64, "9223372036854775807"},
      {"-9223372036854775808", CELL_INT64, "-9223372036854775808"},
      {"9223372036854775808", CELL_TEXT, "9223372036854775808"},  // beyond 64 bits: text
      {"4.50", CELL_DOUBLE, "4.5"},
      {"0.1", CELL_DOUBLE, "0.1"},
      {"-.5", CELL_DOUBLE, "-0.5"},
      {"3.14159265358979", CELL_DOUBLE, "3.14159265358979"},
      {"0.000000001", CELL_DOUBLE, "0.000000001"},
      {"007", CELL_TEXT, "007"},
      {" ", CELL_TEXT, " "},  // no digit: stays text
      {"-", CELL_TEXT, "-"},
      {".", CELL_TEXT, "."},
      {"1e5", CELL_TEXT, "1e5"},
      {"北京", CELL_TEXT, "北京"},
      {"=A1+1", CELL_FORMULA, "=A1+1"},
  };
  for (const auto& c : cases) {
    sheet.setTextTyped(1, 1, w(c.input).c_str());
    EXPECT_EQ(sheet.cellAt(1, 1)->kind, c.kind) << c.input;
    EXPECT_EQ(u8(sheet.getText(1, 1)), c.text) << c.input;
  }
  expectPoolConsistent(sheet);
}

TEST_F(CellStore, TypedValuesAreStoredExactly) {
  sheet.setTextTyped(1, 1, u"4.50");
  EXPECT_EQ(sheet.getDouble(1, 1), 4.5);
  sheet.setTextTyped(1, 2, u"42");
  EXPECT_EQ(sheet.cellAt(1, 2)->asInt64(), 42);
  sheet.setTextTyped(1, 3, nullptr);  // nothing
  EXPECT_TRUE(sheet.cellAt(1, 3)->isZero());
}

TEST_F(CellStore, EmptyTextEmptiesTheValueButKeepsTheFlag) {
  sheet.setTextTyped(2, 2, u"abc");
  sheet.cellAt(2, 2)->flag = 1;
  sheet.setTextTyped(2, 2, u"");
  EXPECT_EQ(sheet.cellAt(2, 2)->kind, CELL_TEXT);
  EXPECT_EQ(sheet.cellAt(2, 2)->value, 0u);
  EXPECT_EQ(sheet.cellAt(2, 2)->flag, 1);
  EXPECT_EQ(sheet.mPool.size(), 0u);
  sheet.setText(2, 2, u"x");
  sheet.setText(2, 2, u"");
  EXPECT_EQ(sheet.cellAt(2, 2)->flag, 1);
  EXPECT_EQ(sheet.mPool.size(), 0u);
}

TEST_F(CellStore, SetTextKeepsNumbersAsText) {
  sheet.setText(1, 1, u"42");
  EXPECT_EQ(sheet.cellAt(1, 1)->kind, CELL_TEXT);
  EXPECT_EQ(sheet.getInt64(1, 1), 42);
  EXPECT_EQ(sheet.getDouble(1, 1), 42.0);
  EXPECT_EQ(sheet.getNumber(1, 1), 0.0);
  sheet.setText(1, 1, u"=B2");
  EXPECT_EQ(sheet.cellAt(1, 1)->kind, CELL_FORMULA);
}

struct DoubleCase {
  double value;
  const char* text;
  int64_t asInt;
};

TEST_F(CellStore, DoubleReads) {
  const double inf = std::numeric_limits<double>::infinity();
  const DoubleCase cases[] = {
      {4.5, "4.5", 4},
      {1.5, "1.5", 1},
      {2.0, "2", 2},
      {-0.0, "-0", 0},
      {0.1, "0.1", 0},
      {-2.9, "-2.9", -2},
      {1e20, "100000000000000000000", INT64_MAX},
      {-1e30, "-1000000000000000019884624838656", INT64_MIN},
      {1e-9, "0.000000001", 0},
      {123456.123456789, "123456.123456789", 123456},
      {9223372036854775807.0, "9223372036854775808", INT64_MAX},
      {-9223372036854775808.0, "-9223372036854775808", INT64_MIN},
      {inf, "inf", INT64_MAX},
      {-inf, "-inf", INT64_MIN},
  };
  for (const auto& c : cases) {
    sheet.setDouble(1, 1, c.value);
    EXPECT_EQ(u8(sheet.getText(1, 1)), c.text) << c.value;
    EXPECT_EQ(sheet.getInt64(1, 1), c.asInt) << c.value;
    EXPECT_EQ(sheet.getNumber(1, 1), c.value);
  }
  sheet.setDouble(1, 1, std::nan(""));
  EXPECT_EQ(sheet.getInt64(1, 1), 0);
  EXPECT_NE(u8(sheet.getText(1, 1)).find("nan"), std::string::npos);
}

TEST_F(CellStore, IntegerReads) {
  sheet.setInt64(1, 1, -7);
  EXPECT_EQ(u8(sheet.getText(1, 1)), "-7");
  EXPECT_EQ(sheet.getDouble(1, 1), -7.0);
  EXPECT_EQ(sheet.getNumber(1, 1), -7.0);
  sheet.setInt64(1, 1, INT64_MIN);
  EXPECT_EQ(u8(sheet.getText(1, 1)), "-9223372036854775808");
}

TEST_F(CellStore, OutsideTheSheetReadsEmptyAndIgnoresWrites) {
  const std::pair<int32_t, int32_t> outside[] = {{-1, 1}, {1, -1}, {1, 4}, {4, 1}, {INT32_MIN, 1}, {1, INT32_MAX}};
  for (auto [r, c] : outside) {
    sheet.setInt64(r, c, 5);
    sheet.setText(r, c, u"x");
    sheet.setTextTyped(r, c, u"7");
    sheet.setDouble(r, c, 1.5);
    sheet.clearCell(r, c);
    EXPECT_EQ(sheet.getText(r, c), u"");
    EXPECT_EQ(sheet.getInt64(r, c), 0);
    EXPECT_EQ(sheet.getDouble(r, c), 0.0);
    EXPECT_EQ(sheet.valueText(r, c), u"");
    EXPECT_EQ(sheet.cellAt(r, c), &sheet.mEmptyCell);
  }
  EXPECT_TRUE(sheet.mEmptyCell.isZero());
  EXPECT_EQ(sheet.mPool.size(), 0u);
}

TEST_F(CellStore, FormulaValues) {
  sheet.setText(2, 3, u"=A1*2");
  sheet.mFormulaValues[cellPos(2, 3)] = 3.5;
  bool computed = false;
  EXPECT_EQ(u8(sheet.getText(2, 3)), "=A1*2");
  EXPECT_EQ(u8(sheet.valueText(2, 3)), "3.5");
  EXPECT_EQ(u8(sheet.formulaText(2, 3, computed)), "3.5");
  EXPECT_TRUE(computed);
  EXPECT_EQ(sheet.getInt64(2, 3), 3);
  EXPECT_EQ(sheet.getNumber(2, 3), 3.5);
  EXPECT_EQ(sheet.formulaValue(2, 3), 3.5);
  // Overwriting drops the computed value.
  sheet.setText(2, 3, u"=B1");
  EXPECT_EQ(sheet.mFormulaValues.count(cellPos(2, 3)), 0u);
  EXPECT_EQ(u8(sheet.formulaText(2, 3, computed)), "=B1");
  EXPECT_FALSE(computed);
  EXPECT_EQ(sheet.getNumber(2, 3), 0.0);
  sheet.mFormulaValues[cellPos(2, 3)] = 1.0;
  sheet.clearCell(2, 3);
  EXPECT_TRUE(sheet.mFormulaValues.empty());
  expectPoolConsistent(sheet);
}

TEST_F(CellStore, DateTimeTextInLocalTime) {
  setenv("TZ", "CST-8", 1);
  tzset();
  struct Case {
    uint8_t kind;
    int64_t value;
    const char* text;
  } cases[] = {
      {CELL_DATETIME, 0, "1970-01-01 08:00:00"},
      {CELL_DATETIME, 1700000000, "2023-11-15 06:13:20"},
      {CELL_HANDLER, 86400, "1970-01-02 08:00:00"},  // no handler: shown as a date-time
      {CELL_DATETIME, -100000, "-100000"},           // not convertible: the seconds
  };
  for (const auto& c : cases) {
    Cell* cell = sheet.cellAt(1, 1);
    cell->kind = c.kind;
    cell->value = uint64_t(c.value);
    EXPECT_EQ(u8(sheet.getText(1, 1)), c.text) << c.value;
  }
  Cell* cell = sheet.cellAt(1, 1);
  cell->kind = CELL_DATETIME;
  cell->value = 1700000000;
  EXPECT_EQ(sheet.getInt64(1, 1), 1700000000);
  EXPECT_EQ(sheet.getDouble(1, 1), 0.0);
  EXPECT_EQ(sheet.getNumber(1, 1), 0.0);
  *cell = Cell{};
  unsetenv("TZ");
  tzset();
}

TEST_F(CellStore, UnknownKindsReadEmpty) {
  Cell* cell = sheet.cellAt(1, 1);
  cell->kind = 9;
  cell->value = 77;
  EXPECT_EQ(sheet.getText(1, 1), u"");
  EXPECT_EQ(sheet.getInt64(1, 1), 0);
  sheet.setInt64(1, 1, 3);  // holds no reference: nothing to release
  EXPECT_EQ(sheet.getInt64(1, 1), 3);
}

TEST_F(CellStore, SharedTextsAreCounted) {
  sheet.setText(1, 1, u"same");
  sheet.setTextTyped(2, 2, u"same");
  StringPool::Entry e;
  ASSERT_TRUE(sheet.mPool.lookup(textKey(u"same"), e));
  EXPECT_EQ(e.count, 2u);
  EXPECT_EQ(sheet.mPool.size(), 1u);
  sheet.clearCell(1, 1);
  ASSERT_TRUE(sheet.mPool.lookup(textKey(u"same"), e));
  EXPECT_EQ(e.count, 1u);
  sheet.setInt64(2, 2, 1);
  EXPECT_EQ(sheet.mPool.size(), 0u);
  EXPECT_EQ(sheet.mPoolBytes, 0);
}

TEST_F(CellStore, ScriptKindsReleaseTheirTexts) {
  for (uint8_t kind : {CELL_EXPRTK, CELL_TCC, CELL_PYTHON, CELL_HANDLER}) {
    sheet.setText(1, 1, u"script");
    sheet.cellAt(1, 1)->kind = kind;
    EXPECT_EQ(sheet.getInt64(1, 1), 0);
    sheet.setDouble(1, 1, 1.0);
    EXPECT_EQ(sheet.mPool.size(), 0u) << int(kind);
  }
}

TEST_F(CellStore, AttributeTexts) {
  uint64_t k = sheet.setAttrText(ATTR_PYTHON_SCRIPT, u"print(1)");
  EXPECT_EQ(k, textKey(u"print(1)"));
  EXPECT_EQ(sheet.mAttrs[ATTR_PYTHON_SCRIPT].value, k);
  sheet.setAttrText(ATTR_PYTHON_SCRIPT, u"print(2)");
  EXPECT_EQ(sheet.poolFind(k), nullptr);
  expectPoolConsistent(sheet);
  EXPECT_EQ(sheet.setAttrText(ATTR_PYTHON_SCRIPT, u""), 0u);
  EXPECT_EQ(sheet.mPool.size(), 0u);
  EXPECT_EQ(sheet.setAttrText(36, u"x"), 0u);
  EXPECT_EQ(sheet.setAttrText(-1, u"x"), 0u);
}

TEST_F(CellStore, RestoreCellFlagsAndTexts) {
  sheet.cellAt(2, 0)->flag = 1;  // row 2 hidden
  TextMap none;
  Cell keep{CELL_INT64, CELL_FLAG_KEEP, 30};
  sheet.restoreCell(2, 0, keep, none);
  EXPECT_EQ(sheet.cellAt(2, 0)->flag, 1);
  EXPECT_EQ(sheet.getInt64(2, 0), 30);
  Cell clearFlag{CELL_INT64, 0, 30};
  sheet.restoreCell(2, 0, clearFlag, none);
  EXPECT_EQ(sheet.cellAt(2, 0)->flag, 0);

  // A text comes back from the map under its key although the pool lost it meanwhile.
  const std::u16string text = u"回来";
  const uint64_t key = textKey(text);
  TextMap texts{{key, std::string(reinterpret_cast<const char*>(text.data()), 4) + std::string(2, '\0')}};
  Cell saved{CELL_TEXT, CELL_FLAG_KEEP, key};
  sheet.restoreCell(1, 1, saved, texts);
  EXPECT_EQ(sheet.getText(1, 1), text);
  // The same key now held by another text: the restored cell moves to key + 1.
  sheet.clear();
  sheet.resize(3, 3);
  sheet.intern(key, u"other");
  sheet.cellAt(2, 2)->value = key;  // make the other text owned by a cell
  sheet.restoreCell(1, 1, saved, texts);
  EXPECT_EQ(sheet.cellAt(1, 1)->value, key + 1);
  EXPECT_EQ(sheet.getText(1, 1), text);
  expectPoolConsistent(sheet);
  // A text missing from the map cannot own a reference: the cell is left empty.
  Cell lost{CELL_TEXT, 0, 12345};
  sheet.restoreCell(1, 2, lost, texts);
  EXPECT_TRUE(sheet.cellAt(1, 2)->isZero());
  // Restoring a cell onto itself changes nothing.
  sheet.restoreCell(1, 1, *sheet.cellAt(1, 1), none);
  EXPECT_EQ(sheet.getText(1, 1), text);
  expectPoolConsistent(sheet);
}

TEST_F(CellStore, CopyCellFromAnotherSheet) {
  CDataCore other;
  other.resize(3, 3);
  other.setText(1, 1, u"far");
  other.setDouble(1, 2, 2.5);
  const uint64_t key = textKey(u"far");
  sheet.intern(key, u"near");  // this sheet's pool holds the key for a different text
  sheet.cellAt(3, 3)->value = key;
  sheet.copyCell(1, 1, *other.cellAt(1, 1), other.mPool);
  sheet.copyCell(1, 2, *other.cellAt(1, 2), other.mPool);
  EXPECT_EQ(sheet.getText(1, 1), u"far");
  EXPECT_EQ(sheet.cellAt(1, 1)->value, key + 1);
  EXPECT_EQ(sheet.getDouble(1, 2), 2.5);
  StringPool::Entry e;
  ASSERT_TRUE(other.mPool.lookup(key, e));
  EXPECT_EQ(e.count, 1u);  // the source pool is unchanged
  expectPoolConsistent(sheet);
}

TEST_F(CellStore, CopyCellWithinOneSheetKeepsCountsExact) {
  sheet.setText(1, 1, u"source");
  sheet.setText(1, 2, u"overwritten");
  sheet.copyCell(1, 2, *sheet.cellAt(1, 1), sheet.mPool);
  EXPECT_EQ(sheet.getText(1, 2), u"source");
  EXPECT_EQ(sheet.poolFind(textKey(u"overwritten")), nullptr);
  expectPoolConsistent(sheet);
  // A copy of the cell's own only reference, written back over it.
  Cell copy = *sheet.cellAt(1, 1);
  sheet.clearCell(1, 2);
  sheet.copyCell(1, 1, copy, sheet.mPool);
  EXPECT_EQ(sheet.getText(1, 1), u"source");
  expectPoolConsistent(sheet);
}

struct CopyCase {
  const char* name;
  Range range;
  std::vector<int32_t> hiddenRows, hiddenCols;
  const char* expect;
};

TEST(CopyText, VisibleCellsQuotedAndJoined) {
  const CopyCase cases[] = {
      {"block", {1, 1, 3, 3}, {}, {}, "a\tb\tc\nd\te\tf\ng\th\ti"},
      {"hidden second row", {1, 1, 3, 3}, {2}, {}, "a\tb\tc\ng\th\ti"},
      {"hidden first column", {1, 1, 3, 3}, {}, {1}, "b\tc\ne\tf\nh\ti"},
      {"all columns hidden", {1, 1, 2, 3}, {}, {1, 2, 3}, "\n"},
      {"whole rows", {2, 0, 2, 0}, {}, {}, "d\te\tf"},
      {"whole columns", {0, 2, 0, 2}, {}, {}, "b\ne\nh"},
      {"whole sheet", {0, 0, 0, 0}, {}, {}, "a\tb\tc\nd\te\tf\ng\th\ti"},
      {"beyond the sheet", {3, 3, 90, 90}, {}, {}, "i"},
  };
  for (const auto& c : cases) {
    CDataCore sheet;
    fillSheet(sheet, {{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}});
    for (int32_t r : c.hiddenRows) sheet.cellAt(r, 0)->flag = 1;
    for (int32_t col : c.hiddenCols) sheet.cellAt(0, col)->flag = 1;
    EXPECT_EQ(u8(sheet.copyText(c.range)), c.expect) << c.name;
  }
}

TEST(CopyText, QuotingValuesAndTrailingEmptiness) {
  CDataCore sheet;
  fillSheet(sheet, {{"a,b", "x\ty", "say \"hi\""}, {"\"q", "1.50", ""}, {"", "", ""}});
  sheet.setText(2, 3, u"=1");
  sheet.mFormulaValues[cellPos(2, 3)] = 0.25;
  EXPECT_EQ(u8(sheet.copyText({0, 0, 0, 0})), "\"a,b\"\t\"x\ty\"\tsay \"hi\"\n\"\"\"q\"\t1.5\t0.25");
}

TEST(CopyText, WholeSheetOfEmptyCellsIsEmpty) {
  CDataCore sheet;
  sheet.resize(5, 5);
  sheet.setInt64(0, 2, 80);  // a width is not data
  EXPECT_EQ(sheet.copyText({0, 0, 0, 0}), u"");
  EXPECT_EQ(sheet.copyText({0, 2, 0, 3}), u"");
  EXPECT_EQ(sheet.copyText({2, 0, 4, 0}), u"");
  CDataCore none;
  EXPECT_EQ(none.copyText({1, 1, 2, 2}), u"");
}

TEST(ClearSheet, EmptiesEverythingButFormulaValuesCallbacksAndEncodings) {
  CDataCore sheet;
  fillSheet(sheet, {{"a", "1"}, {"b", "2"}});
  sheet.setAttrText(ATTR_C_SCRIPT, u"int x;");
  sheet.mAttrs[ATTR_BANDED_ROWS].value = 1;
  sheet.mFilter.mRange = Range{1, 1, 2, 2};
  sheet.mFilter.mColumns[cellPos(1, 1)] = FilterColumn{cellPos(1, 1), {2}};
  sheet.mFormulaValues[cellPos(1, 1)] = 2.0;
  sheet.mSaveEncoding = ENC_UTF8;
  bool called = false;
  sheet.setProgress([&](uint64_t, int64_t) { called = true; });
  sheet.clear();
  EXPECT_EQ(sheet.mRowCount, 0u);
  EXPECT_EQ(sheet.mColCount, 0u);
  EXPECT_EQ(sheet.mPoolBytes, 0);
  EXPECT_EQ(sheet.mDatas, nullptr);
  for (int i = 0; i < ATTR_SLOT_COUNT; ++i) EXPECT_EQ(sheet.mAttrs[i].value, 0u);
  EXPECT_EQ(sheet.mPool.size(), 0u);
  EXPECT_FALSE(sheet.mFilter.active());
  EXPECT_EQ(sheet.mFilter.mRange, (Range{1, 1, 2, 2}));
  EXPECT_EQ(sheet.mFormulaValues.size(), 1u);
  EXPECT_EQ(sheet.mSaveEncoding, ENC_UTF8);
  sheet.reportProgress(1);
  EXPECT_TRUE(called);
  // The sheet is usable again.
  sheet.resize(2, 2);
  sheet.setText(1, 1, u"again");
  expectPoolConsistent(sheet);
}

TEST(SheetChecks, HeaderAndColumnEmptiness) {
  CDataCore sheet;
  EXPECT_TRUE(sheet.isHeaderEmpty());
  sheet.resize(4, 3);
  EXPECT_TRUE(sheet.isHeaderEmpty());
  sheet.setInt64(0, 1, 50);  // widths are row 0, not row 1
  EXPECT_TRUE(sheet.isHeaderEmpty());
  sheet.cellAt(1, 2)->flag = 1;  // any non-zero byte counts
  EXPECT_FALSE(sheet.isHeaderEmpty());
  EXPECT_TRUE(sheet.isColumnEmpty(1, 1, 3));
  EXPECT_FALSE(sheet.isColumnEmpty(2, 1, 3));
  EXPECT_TRUE(sheet.isColumnEmpty(2, 2, 3));
  EXPECT_TRUE(sheet.isColumnEmpty(2, 3, 1));  // empty row range
}

}  // namespace
