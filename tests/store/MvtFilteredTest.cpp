// The filtered save: only the shown rows, no filter state, and only the texts that the
// written rows and the document scripts use, with their counts recounted.
#include "tests/store/MvtSupport.h"

using namespace mvttest;

namespace {

class MvtFiltered : public ::testing::Test {
 protected:
  // Rows 0..9; rows 2, 4, 6 and 8 hidden by a filter on column 1.
  void SetUp() override {
    core.resize(10, 3);
    core.setText(1, 1, u"key");
    core.setText(1, 2, u"val");
    for (int32_t r = 2; r < 10; ++r) {
      core.setText(r, 1, u"r" + widen(std::to_string(r)));
      core.setText(r, 2, r == 4 || r == 6 ? u"secret" : u"shared");
    }
    core.setInt64(3, 0, 44);  // a shown row's height travels with it
    for (int32_t r : {2, 4, 6, 8}) core.mDatas[r][0].flag = 1;
    core.mFilter.mRange = Range{1, 1, 9, 2};
    core.mFilter.mColumns[cellPos(1, 1)] = FilterColumn{cellPos(1, 1), {2, 4, 6, 8}};
    core.setAttrText(ATTR_EXPRTK_SCRIPT, u"script");
    core.setAttrText(ATTR_PYTHON_SCRIPT, u"shared");
    ASSERT_TRUE(core.write(dir.path("whole.mvt"), true));  // slot 6 now holds the filter
    ASSERT_NE(core.mAttrs[ATTR_FILTER].value, 0u);
  }
  ScratchDir dir;
  CDataCore core;
};

TEST_F(MvtFiltered, KeepsShownRowsAndTheirTextsOnly) {
  const std::string head = headOf(core), cells = cellsOf(core);
  const auto pool = poolOf(core);
  ASSERT_TRUE(core.write(dir.path("shown.mvt"), false));
  // The sheet itself is not changed by a filtered save.
  EXPECT_EQ(headOf(core), head);
  EXPECT_EQ(cellsOf(core), cells);
  EXPECT_TRUE(poolOf(core) == pool);

  const std::string file = readBytes(dir.native("shown.mvt"));
  EXPECT_EQ(u64At(file, 24), 6u);
  EXPECT_EQ(u64At(file, 136), 0u);
  for (const char16_t* hidden : {u"secret", u"r4", u"r8"})
    EXPECT_EQ(file.find(textBytes(hidden)), std::string::npos) << "hidden text in the file";
  EXPECT_EQ(file.find(core.mFilter.serialize()), std::string::npos);

  CDataCore back;
  ASSERT_TRUE(back.read(dir.path("shown.mvt")));
  ASSERT_EQ(back.mRowCount, 6u);
  EXPECT_FALSE(back.mFilter.active());
  EXPECT_EQ(back.mAttrs[ATTR_FILTER].value, 0u);
  const int32_t shown[] = {0, 1, 3, 5, 7, 9};
  for (int32_t i = 0; i < 6; ++i)
    for (int32_t c = 0; c < 3; ++c) EXPECT_EQ(back.getText(i, c), core.getText(shown[i], c)) << i << "," << c;
  EXPECT_EQ(back.getInt64(2, 0), 44);
  EXPECT_EQ(back.poolText(back.mAttrs[ATTR_EXPRTK_SCRIPT].value), u"script");

  // Every count in the file equals the references the file holds, and so does the size.
  EXPECT_EQ(back.integrityCheck(), "");
  std::map<uint64_t, uint64_t> counts;
  int64_t bytes = 0;
  for (const auto& [key, item] : poolOf(back)) {
    counts[key] = item.count;
    bytes += int64_t(item.bytes.size()) + 16;
  }
  EXPECT_EQ(counts[textKey(u"shared")], 5u);  // rows 3, 5, 7, 9 and the Python script
  EXPECT_EQ(int64_t(u64At(file, 40)), bytes);

  // Releasing every reference empties the pool exactly.
  for (int32_t r = 0; r < 6; ++r)
    for (int32_t c = 0; c < 3; ++c) back.clearCell(r, c);
  back.setAttrText(ATTR_EXPRTK_SCRIPT, u"");
  back.setAttrText(ATTR_PYTHON_SCRIPT, u"");
  EXPECT_EQ(back.mPool.size(), 0u);
  EXPECT_EQ(back.mPoolBytes, 0);
}

// Large enough for the recount to run on several threads.
TEST_F(MvtFiltered, LargeSheetCountsMatchReferences) {
  CDataCore big;
  big.resize(150001, 3);
  for (int32_t r = 1; r < 150001; ++r) {
    big.setText(r, 1, u"t" + widen(std::to_string(r % 997)));
    if (r % 5 == 0) big.setText(r, 2, u"only" + widen(std::to_string(r)));
    if (r % 3 == 0) big.mDatas[r][0].flag = 1;
  }
  ASSERT_TRUE(big.write(dir.path("big.mvt"), false));
  CDataCore back;
  ASSERT_TRUE(back.read(dir.path("big.mvt")));
  EXPECT_EQ(back.mRowCount, 100001u);
  EXPECT_EQ(back.integrityCheck(), "");
  EXPECT_EQ(back.mPool.size(), 997u + 20000u);  // "only" texts of shown rows: r % 5 == 0, r % 3 != 0
}

TEST_F(MvtFiltered, SheetWithoutColumnsWritesNoRows) {
  CDataCore empty;
  ASSERT_TRUE(empty.write(dir.path("none.mvt"), false));
  EXPECT_EQ(readBytes(dir.native("none.mvt")), std::string(496, '\0'));
}

}  // namespace
