// The document file's byte layout: files written by the sheet compared byte for byte
// with files made by hand, and hand-made files read into a sheet.
#include "tests/store/MvtSupport.h"

using namespace mvttest;

namespace {

TEST(MvtLayout, SmallSheetIsWrittenByteForByte) {
  ScratchDir dir;
  CDataCore core;
  core.resize(3, 2);
  core.setText(1, 1, u"a");
  core.setText(2, 1, u"a");
  ASSERT_TRUE(core.write(dir.path("a.mvt"), true));

  const uint64_t key = textKey(u"a");
  Bytes expected;
  expected.head(3, 2, 20)
      .cell(0, 0, 0)
      .cell(0, 0, 0)
      .cell(0, 0, 0)
      .cell(CELL_TEXT, 0, key)
      .cell(0, 0, 0)
      .cell(CELL_TEXT, 0, key)
      .entry(key, textBytes(u"a"), 2);
  std::string file = readBytes(dir.native("a.mvt"));
  EXPECT_EQ(file.size(), 496u + 60u + 28u);
  EXPECT_EQ(file, expected.s);

  CDataCore back;
  ASSERT_TRUE(back.read(dir.path("a.mvt")));
  expectSameSheet(core, back);
  EXPECT_EQ(back.getText(2, 1), u"a");
}

// Header cells, every attribute slot in use and a text shared with a script land at the
// offsets of the layout.
TEST(MvtLayout, AttributesAndHeaderCellsLieAtTheirOffsets) {
  ScratchDir dir;
  CDataCore core;
  core.resize(2, 3);
  core.setInt64(0, 2, 80);     // column 2 width
  core.setInt64(1, 0, 30);     // row 1 height
  core.mDatas[0][1].flag = 1;  // column 1 hidden
  core.setDouble(1, 1, 2.5);
  core.setText(1, 2, u"=1+2");
  core.mAttrs[ATTR_EDIT_LOCK].value = 1;
  core.mAttrs[ATTR_BANDED_ROWS].value = 7;
  const uint64_t py = core.setAttrText(ATTR_PYTHON_SCRIPT, u"p");
  const uint64_t ex = core.setAttrText(ATTR_EXPRTK_SCRIPT, u"=1+2");  // shares the formula's entry
  ASSERT_TRUE(core.write(dir.path("b.mvt"), true));
  std::string file = readBytes(dir.native("b.mvt"));

  EXPECT_EQ(u64At(file, 76), 1u);
  EXPECT_EQ(u64At(file, 136), 0u);
  EXPECT_EQ(u64At(file, 148), 7u);
  EXPECT_EQ(u64At(file, 160), ex);
  EXPECT_EQ(u64At(file, 172), 0u);
  EXPECT_EQ(u64At(file, 184), py);
  double d = 2.5;
  uint64_t bits;
  std::memcpy(&bits, &d, 8);
  const uint64_t formula = textKey(u"=1+2");
  ASSERT_EQ(ex, formula);
  Bytes cells;
  cells.cell(0, 0, 0)
      .cell(0, 1, 0)
      .cell(CELL_INT64, 0, 80)
      .cell(CELL_INT64, 0, 30)
      .cell(CELL_DOUBLE, 0, bits)
      .cell(CELL_FORMULA, 0, formula);
  EXPECT_EQ(file.substr(496, 60), cells.s);
  // Two entries in the pool's order: "=1+2" counted twice, "p" once.
  std::map<uint64_t, std::pair<std::string, uint64_t>> entries;
  for (size_t at = 556; at < file.size();) {
    uint64_t k = u64At(file, at), len = u64At(file, at + 8);
    entries[k] = {file.substr(at + 16, len - 8), u64At(file, at + 16 + len - 8)};
    at += 16 + len;
  }
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[formula], std::make_pair(textBytes(u"=1+2"), uint64_t(2)));
  EXPECT_EQ(entries[py], std::make_pair(textBytes(u"p"), uint64_t(1)));
  EXPECT_EQ(int64_t(u64At(file, 40)), core.mPoolBytes);
  EXPECT_EQ(core.mPoolBytes, (10 + 16) + (4 + 16));
}

TEST(MvtLayout, HandMadeFileReadsIntoTheSheet) {
  ScratchDir dir;
  const uint64_t text = 0x1111, script = 0x2222, formula = 0x3333;
  // A filter over (2, 1, 9, 3) on the column whose header cell is (2, 3), hiding 4 and 7.
  Bytes filter;
  filter.u32(2).u32(1).u32(9).u32(3).u64(1).u64(cellPos(2, 3)).u64(2).u32(4).u32(7);
  const uint64_t filterKey = fnv1a64(filter.s.data(), filter.s.size());
  double half = 0.5;
  uint64_t halfBits;
  std::memcpy(&halfBits, &half, 8);
  Bytes f;
  f.head(3, 3, 0, {{ATTR_FILTER, filterKey}, {ATTR_C_SCRIPT, script}})
      .cell(0, 0, 0)
      .cell(CELL_INT64, 0, 90)
      .cell(0, 0, 0)
      .cell(CELL_INT64, 1, 25)
      .cell(CELL_TEXT, 0, text)
      .cell(CELL_INT64, 0, uint64_t(-7))
      .cell(0, 0, 0)
      .cell(CELL_DOUBLE, 0, halfBits)
      .cell(CELL_FORMULA, 0, formula)
      .entry(text, textBytes(u"汉字"), 1)
      .entry(script, textBytes(u"int main(){}"), 1)
      .entry(formula, textBytes(u"=2*3"), 1)
      .entry(filterKey, filter.s, 1);
  writeBytes(dir.native("h.mvt"), f.s);

  CDataCore core;
  core.mOpenEncoding = core.mSaveEncoding = ENC_UTF8;
  ASSERT_TRUE(core.read(dir.path("h.mvt")));
  EXPECT_EQ(core.mOpenEncoding, ENC_ANSI);
  EXPECT_EQ(core.mSaveEncoding, ENC_ANSI);
  EXPECT_EQ(core.mRowCount, 3u);
  EXPECT_EQ(core.mColCount, 3u);
  EXPECT_EQ(core.getInt64(0, 1), 90);
  EXPECT_EQ(core.cellAt(1, 0)->flag, 1);
  EXPECT_EQ(core.getText(1, 1), u"汉字");
  EXPECT_EQ(core.getText(1, 2), u"-7");
  EXPECT_EQ(core.getDouble(2, 1), 0.5);
  EXPECT_EQ(core.getText(2, 2), u"=2*3");
  EXPECT_EQ(core.poolText(core.mAttrs[ATTR_C_SCRIPT].value), u"int main(){}");
  // The head said 0 pool bytes; the sheet keeps the figure its entries bear out.
  EXPECT_EQ(core.mPoolBytes, (6 + 16) + (26 + 16) + (10 + 16) + (48 + 16));
  ASSERT_EQ(core.mFilter.mColumns.size(), 1u);
  EXPECT_EQ(core.mFilter.mRange, (Range{2, 1, 9, 3}));
  EXPECT_EQ(core.mFilter.hiddenRows(), (std::set<int32_t>{4, 7}));
}

// A key given twice keeps the later entry, whether the pool is stored by one thread or
// by several; an entry with a count of 0 takes its key out.
TEST(MvtLayout, RepeatedKeysKeepTheLaterEntry) {
  ScratchDir dir;
  Bytes f;
  // Counts come from the references: 0x10 once, 0x20 from three row-header cells,
  // 0x30 from none, each "x" text from one cell of its own row.
  f.head(1504, 2, 0).cell(0, 0, 0).cell(0, 0, 0).cell(CELL_TEXT, 0, 0x20).cell(CELL_TEXT, 0, 0x10);
  f.cell(CELL_TEXT, 0, 0x20).zeros(10).cell(CELL_TEXT, 0, 0x20).zeros(10);
  for (size_t i = 0; i < 1500; ++i) f.zeros(10).cell(CELL_TEXT, 0, 0x1000 + i);
  f.entry(0x10, textBytes(u"first"), 1)
      .entry(0x20, textBytes(u"kept"), 2)
      .entry(0x10, textBytes(u"second"), 1)
      .entry(0x20, textBytes(u"kept"), 3)
      .entry(0x30, textBytes(u"gone"), 1)
      .entry(0x30, textBytes(u"gone"), 0);
  for (size_t i = 0; i < 1500; ++i) f.entry(0x1000 + i, textBytes(u"x" + widen(std::to_string(i))), 1);
  writeBytes(dir.native("twice.mvt"), f.s);
  {
    CDataCore core;
    ASSERT_TRUE(core.read(dir.path("twice.mvt")));
    EXPECT_EQ(core.getText(1, 1), u"second");
    auto pool = poolOf(core);
    EXPECT_EQ(pool.size(), 1502u);
    EXPECT_EQ(pool[0x20].count, 3u);
    EXPECT_EQ(pool.count(0x30), 0u);
    // "second" and "kept", then "x0".."x1499": 2 x (1 + digits) + 2 bytes each, + 16.
    EXPECT_EQ(core.mPoolBytes, (14 + 16) + (10 + 16) + 10 * 22 + 90 * 24 + 900 * 26 + 500 * 28);
  }
}

// Without filter columns slot 6 stays 0 over repeated saves; a filter goes in under the
// FNV-1a key of its bytes, and is taken out again once the filter is gone.
TEST(MvtLayout, FilterStateSlotFollowsTheFilter) {
  ScratchDir dir;
  CDataCore core;
  core.resize(4, 2);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(core.write(dir.path("f.mvt"), true));
    EXPECT_EQ(u64At(readBytes(dir.native("f.mvt")), 136), 0u);
  }
  core.mFilter.mRange = Range{1, 1, 3, 1};
  core.mFilter.mColumns[cellPos(1, 1)] = FilterColumn{cellPos(1, 1), {2}};
  const std::string bytes = core.mFilter.serialize();
  ASSERT_TRUE(core.write(dir.path("f.mvt"), true));
  const uint64_t key = core.mAttrs[ATTR_FILTER].value;
  EXPECT_EQ(key, fnv1a64(bytes.data(), bytes.size()));
  EXPECT_EQ(u64At(readBytes(dir.native("f.mvt")), 136), key);
  ASSERT_TRUE(core.write(dir.path("f.mvt"), true));  // saved again: still one reference
  EXPECT_EQ(poolOf(core)[key].count, 1u);

  core.mFilter.mColumns.clear();
  ASSERT_TRUE(core.write(dir.path("f.mvt"), true));
  EXPECT_EQ(core.mAttrs[ATTR_FILTER].value, 0u);
  EXPECT_EQ(core.mPool.size(), 0u);
  EXPECT_EQ(core.mPoolBytes, 0);
  EXPECT_EQ(readBytes(dir.native("f.mvt")).size(), 496u + 4 * 2 * 10);
}

}  // namespace
