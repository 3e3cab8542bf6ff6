// Sheet -> document file -> sheet gives the same sheet: cells of every kind, header
// cells, attributes, document scripts, filter state and pool counts; at several buffer
// sizes, so that heads, rows and entries are cut at every kind of boundary.
#include "tests/store/MvtSupport.h"

using namespace mvttest;

namespace {

// A pool-kind cell set directly (kinds no setter makes), owning its reference.
void setPooled(CDataCore& core, int32_t row, int32_t col, uint8_t kind, const std::u16string& text) {
  core.clearCell(row, col);
  Cell* c = core.cellAt(row, col);
  c->kind = kind;
  c->value = core.intern(textKey(text), text);
}

// A sheet that holds every kind of content the file carries.
void fillEverything(CDataCore& core) {
  core.resize(6, 5);
  core.setInt64(0, 1, 120);  // widths
  core.setInt64(0, 3, 40);
  core.mDatas[0][2].flag = 1;  // column 2 hidden
  core.setInt64(2, 0, 33);     // height
  core.mDatas[4][0].flag = 1;  // row 4 hidden
  core.setText(1, 1, u"name");
  core.setText(1, 2, u"名字");
  core.setText(2, 1, u"name");  // shared: count 2
  core.setInt64(2, 2, INT64_MIN);
  core.setDouble(2, 3, -0.0);
  core.setText(2, 4, u"=A1*2");
  setPooled(core, 3, 1, CELL_HANDLER, u"0123456789abcdef");
  setPooled(core, 3, 2, CELL_EXPRTK, u"x := 1");
  setPooled(core, 3, 3, CELL_TCC, u"int f(){return 1;}");
  setPooled(core, 3, 4, CELL_PYTHON, u"print('p')");
  Cell* t = core.cellAt(4, 1);
  t->kind = CELL_DATETIME;
  t->value = uint64_t(1700000000);
  core.setText(4, 2, std::u16string(100000, u'w'));  // an entry longer than small buffers
  core.setText(5, 4, u"name");
  // A second text under a key that "name" holds: stored at key + 1.
  const uint64_t collided = core.internBytes(textKey(u"name"), std::string("other", 5));
  ASSERT_EQ(collided, textKey(u"name") + 1);
  *core.cellAt(5, 1) = Cell{CELL_TEXT, 0, collided};  // the cell that holds it
  core.setAttrText(ATTR_EXPRTK_SCRIPT, u"var a := 1;");
  core.setAttrText(ATTR_C_SCRIPT, u"void g(){}");
  core.setAttrText(ATTR_PYTHON_SCRIPT, u"name");  // shares the cells' entry
  core.mAttrs[ATTR_EDIT_LOCK].value = 1;
  core.mAttrs[ATTR_BANDED_ROWS].value = 1;
  core.mAttrs[20].value = 0xABCDEF;  // a slot this program does not use: kept as it is
  core.mFilter.mRange = Range{1, 0, 5, 0};
  core.mFilter.mColumns[cellPos(1, 2)] = FilterColumn{cellPos(1, 2), {4}};
  core.mFilter.mColumns[cellPos(1, 3)] = FilterColumn{cellPos(1, 3), {}};
}

class MvtRoundTrip : public ::testing::TestWithParam<size_t> {
 protected:
  // A sheet whose reads and writes go through buffers of the test's size: small
  // buffers cut heads, rows and entries at their ends.
  CDataCore& tuned(CDataCore& core) {
    core.mIoTuning.blockBytes = GetParam();
    return core;
  }
  ScratchDir dir;
};

TEST_P(MvtRoundTrip, EveryKindOfContentComesBack) {
  CDataCore core;
  tuned(core);
  fillEverything(core);
  ASSERT_TRUE(core.write(dir.path("all.mvt"), true));
  ASSERT_NE(core.mAttrs[ATTR_FILTER].value, 0u);  // the filter went into the pool

  CDataCore back;
  tuned(back);
  back.resize(3, 3);  // whatever the sheet held before is dropped
  back.setText(1, 1, u"old");
  ASSERT_TRUE(back.read(dir.path("all.mvt")));
  expectSameSheet(core, back);
  EXPECT_EQ(back.getText(4, 2).size(), 100000u);
  EXPECT_EQ(back.getText(2, 4), u"=A1*2");
  EXPECT_EQ(back.poolBytes(textKey(u"name") + 1), "other");
  EXPECT_EQ(back.poolText(back.mAttrs[ATTR_C_SCRIPT].value), u"void g(){}");
  EXPECT_EQ(poolOf(back)[textKey(u"name")].count, 4u);

  // The file does not depend on the buffer it went through.
  core.mIoTuning.blockBytes = 0;
  ASSERT_TRUE(core.write(dir.path("ref.mvt"), true));
  EXPECT_TRUE(readBytes(dir.native("ref.mvt")) == readBytes(dir.native("all.mvt")));
}

TEST_P(MvtRoundTrip, EmptySheetWritesAHeadAlone) {
  CDataCore core;
  tuned(core);
  ProgressLog log;
  log.attach(core);
  ASSERT_TRUE(core.write(dir.path("empty.mvt"), true));
  EXPECT_EQ(readBytes(dir.native("empty.mvt")), std::string(496, '\0'));
  CDataCore back;
  tuned(back);
  log.attach(back);
  ASSERT_TRUE(back.read(dir.path("empty.mvt")));
  EXPECT_TRUE(isEmptySheet(back));
  EXPECT_EQ(log.values, (std::vector<int64_t>{0, 10, 100, 0, 10, 100}));
}

// Saving over a longer document leaves exactly the new one.
TEST_P(MvtRoundTrip, SavingOverALongerDocumentCutsIt) {
  CDataCore core;
  tuned(core);
  fillEverything(core);
  ASSERT_TRUE(core.write(dir.path("doc.mvt"), true));
  CDataCore small;
  tuned(small);
  small.resize(2, 2);
  small.setText(1, 1, u"s");
  ASSERT_TRUE(small.write(dir.path("small.mvt"), true));
  ASSERT_TRUE(small.write(dir.path("doc.mvt"), true));
  EXPECT_TRUE(readBytes(dir.native("doc.mvt")) == readBytes(dir.native("small.mvt")));
  CDataCore back;
  tuned(back);
  ASSERT_TRUE(back.read(dir.path("doc.mvt")));
  expectSameSheet(small, back);
}

INSTANTIATE_TEST_SUITE_P(BufferSizes, MvtRoundTrip, ::testing::Values(0, 1, 7, 16, 4096));

// Progress: 0 first, 100 last, never falling, and a bounded number of reports however
// many rows and entries there are.
TEST(MvtProgress, ReportsAreFewAndRising) {
  ScratchDir dir;
  CDataCore core;
  core.resize(5001, 3);
  for (int32_t r = 1; r < 5001; ++r) core.setText(r, 1, u"t" + widen(std::to_string(r)));
  struct Case {
    const char* what;
    std::function<bool(CDataCore&)> run;
  } cases[] = {
      {"write", [&](CDataCore& c) { return c.write(dir.path("p.mvt"), true); }},
      {"filtered write", [&](CDataCore& c) { return c.write(dir.path("q.mvt"), false); }},
      {"read", [&](CDataCore& c) { return c.read(dir.path("p.mvt")); }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    ProgressLog log;
    log.attach(core);
    ASSERT_TRUE(k.run(core));
    ASSERT_GE(log.values.size(), 3u);
    EXPECT_EQ(log.values.front(), 0);
    EXPECT_EQ(log.values.back(), 100);
    EXPECT_TRUE(std::is_sorted(log.values.begin(), log.values.end()));
    EXPECT_LE(log.values.size(), 200u);
    EXPECT_GT(log.values.size(), 30u);  // the rows and the pool do report
  }
}

// The reader's plan never divides by zero nor turns NaN or an overflowing value into an
// integer, whatever the head says.
TEST(MvtProgress, ReadPlanStaysFinite) {
  struct Case {
    uint64_t rows, cellBytes;
    int64_t poolBytes;
    uint64_t section;
    int64_t rowStep;
    int32_t poolStep;
  } cases[] = {
      {0, 0, 0, 0, 0, 0},                      // empty sheet, empty pool
      {9000, 90000, 0, 0, 100, 0},             // no pool: all 90 to the rows
      {0, 0, 900, 900, 0, 10},                 // no rows: all 90 to the pool
      {0, 0, -5, 100, 0, 0},                   // negative figure: no pool share
      {0, 0, INT64_MAX, 900, 0, 10},           // figure beyond the file: the file's
      {1, 1000000000000, 1, 1, 0, INT32_MAX},  // tiny pool share: clamped step
      {INT32_MAX, uint64_t(INT32_MAX) * 10, 0, 0, 23860929, 0},
  };
  for (const Case& c : cases) {
    docfile::ReadProgress p = docfile::planReadProgress(c.rows, c.cellBytes, c.poolBytes, c.section);
    EXPECT_TRUE(std::isfinite(p.share));
    EXPECT_EQ(p.rowStep, c.rowStep) << c.rows << " " << c.cellBytes << " " << c.poolBytes;
    EXPECT_EQ(p.poolStep, c.poolStep) << c.rows << " " << c.cellBytes << " " << c.poolBytes;
  }
}

}  // namespace
