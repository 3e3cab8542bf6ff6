// Appending the rows of a document file to a sheet.
#include "tests/store/MvtSupport.h"

using namespace mvttest;

namespace {

// A sheet of the given rows of texts (row 1 first), columns 1 on.
void fill(CDataCore& core, const std::vector<std::vector<std::u16string>>& rows, int32_t cols) {
  core.clear();
  core.resize(int32_t(rows.size()) + 1, cols);
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c) core.setText(int32_t(r + 1), int32_t(c + 1), rows[r][c]);
}

// Rows 1 on as texts of columns 1 on.
std::vector<std::vector<std::u16string>> textsOf(const CDataCore& core) {
  std::vector<std::vector<std::u16string>> out;
  for (int32_t r = 1; r < int32_t(core.mRowCount); ++r) {
    out.emplace_back();
    for (int32_t c = 1; c < int32_t(core.mColCount); ++c) out.back().push_back(core.getText(r, c));
  }
  return out;
}

using Table = std::vector<std::vector<std::u16string>>;

class MvtAppend : public ::testing::Test {
 protected:
  // Writes a document of these rows and appends it to `sheet`.
  bool appendRows(const Table& rows, int32_t cols) {
    CDataCore other;
    fill(other, rows, cols);
    EXPECT_TRUE(other.write(dir.path("other.mvt"), true));
    return sheet.appendMvt(dir.path("other.mvt"), 0, 100);
  }
  ScratchDir dir;
  CDataCore sheet;
};

TEST_F(MvtAppend, RowsFollowTheSheetsRows) {
  struct Case {
    const char* what;
    Table sheetRows;
    int32_t sheetCols;
    Table otherRows;
    int32_t otherCols;
    Table expected;
  } cases[] = {
      {"same header: it is not repeated",
       {{u"id", u"name"}, {u"1", u"a"}},
       3,
       {{u"id", u"name"}, {u"2", u"b"}, {u"3", u"a"}},
       3,
       {{u"id", u"name"}, {u"1", u"a"}, {u"2", u"b"}, {u"3", u"a"}}},
      {"other header: it is appended",
       {{u"id", u"name"}, {u"1", u"a"}},
       3,
       {{u"no", u"name"}, {u"2", u"b"}},
       3,
       {{u"id", u"name"}, {u"1", u"a"}, {u"no", u"name"}, {u"2", u"b"}}},
      {"wider document: its header too, the sheet widens",
       {{u"id", u"name"}, {u"1", u"a"}},
       3,
       {{u"id", u"name", u"x"}, {u"2", u"b", u"c"}},
       4,
       {{u"id", u"name", u""}, {u"1", u"a", u""}, {u"id", u"name", u"x"}, {u"2", u"b", u"c"}}},
      {"narrower document: the sheet keeps its width",
       {{u"id", u"name"}},
       3,
       {{u"id"}, {u"2"}},
       2,
       {{u"id", u"name"}, {u"id", u""}, {u"2", u""}}},
      {"empty header row is never a repeated header",
       {{}, {u"1", u"a"}},
       3,
       {{}, {u"2", u"b"}},
       3,
       {{u"", u""}, {u"1", u"a"}, {u"", u""}, {u"2", u"b"}}},
      {"sheet without rows: the document's rows from row 1",
       {},
       0,
       {{u"id", u"name"}, {u"2", u"b"}},
       3,
       {{u"id", u"name"}, {u"2", u"b"}}},
      {"document of a header row alone",
       {{u"id", u"name"}, {u"1", u"a"}},
       3,
       {{u"id", u"name"}},
       3,
       {{u"id", u"name"}, {u"1", u"a"}}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    sheet.clear();
    if (k.sheetCols) fill(sheet, k.sheetRows, k.sheetCols);
    ASSERT_TRUE(appendRows(k.otherRows, k.otherCols));
    EXPECT_EQ(textsOf(sheet), k.expected);
    EXPECT_EQ(sheet.integrityCheck(), "");
  }
}

TEST_F(MvtAppend, RefusedDocumentsLeaveTheSheetAlone) {
  fill(sheet, {{u"id"}, {u"1"}}, 2);
  const std::string before = headOf(sheet) + cellsOf(sheet);
  ProgressLog log;
  log.attach(sheet);
  EXPECT_FALSE(appendRows({}, 3));        // R2 = 1: a header row 0 alone
  EXPECT_FALSE(appendRows({{u"a"}}, 1));  // C2 = 1: no data column
  EXPECT_EQ(log.values, (std::vector<int64_t>{0, 100, 0, 100}));
  log.values.clear();
  EXPECT_FALSE(sheet.appendMvt(dir.path("missing.mvt"), 0, 100));
  EXPECT_TRUE(log.values.empty());
  EXPECT_EQ(headOf(sheet) + cellsOf(sheet), before);
}

// Column 0 (heights, hidden flags) comes along; row 0 (widths), the attributes and the
// filter state of the other document do not.
TEST_F(MvtAppend, RowHeadersComeAlongDocumentStateDoesNot) {
  fill(sheet, {{u"h"}}, 2);
  CDataCore other;
  fill(other, {{u"x"}, {u"y"}}, 2);
  other.setInt64(2, 0, 50);
  other.mDatas[2][0].flag = 1;
  other.setInt64(0, 1, 300);
  other.setAttrText(ATTR_PYTHON_SCRIPT, u"print(1)");
  other.mFilter.mColumns[cellPos(1, 1)] = FilterColumn{cellPos(1, 1), {2}};
  ASSERT_TRUE(other.write(dir.path("o.mvt"), true));
  ProgressLog log;
  log.attach(sheet);
  ASSERT_TRUE(sheet.appendMvt(dir.path("o.mvt"), 20, 80));
  ASSERT_EQ(sheet.mRowCount, 4u);
  EXPECT_EQ(sheet.getText(3, 1), u"y");
  EXPECT_EQ(sheet.getInt64(3, 0), 50);
  EXPECT_EQ(sheet.cellAt(3, 0)->flag, 1);
  EXPECT_EQ(sheet.getInt64(0, 1), 0);
  EXPECT_EQ(sheet.mAttrs[ATTR_PYTHON_SCRIPT].value, 0u);
  EXPECT_EQ(sheet.mAttrs[ATTR_FILTER].value, 0u);
  EXPECT_FALSE(sheet.mFilter.active());
  EXPECT_EQ(sheet.integrityCheck(), "");
  ASSERT_FALSE(log.values.empty());
  EXPECT_EQ(log.values.front(), 20);
  EXPECT_EQ(log.values.back(), 80);
}

// A text of the document under a key that the sheet's pool uses for another text is
// stored under the next free key; both cells show their own texts.
TEST_F(MvtAppend, CollidingKeyMovesToTheNextFreeKey) {
  fill(sheet, {{u"x"}}, 2);
  const uint64_t key = textKey(u"x");
  Bytes f;
  f.head(4, 2, 0)
      .cell(0, 0, 0)
      .cell(0, 0, 0)
      .cell(0, 0, 0)
      .cell(CELL_TEXT, 0, 0x55)
      .cell(0, 0, 0)
      .cell(CELL_TEXT, 0, key)  // same key as the sheet's "x", text "y"
      .cell(0, 0, 0)
      .cell(CELL_TEXT, 0, 0x77)  // a key the document's pool lacks
      .entry(key, textBytes(u"y"), 1)
      .entry(0x55, textBytes(u"hdr"), 1);
  writeBytes(dir.native("c.mvt"), f.s);
  ASSERT_TRUE(sheet.appendMvt(dir.path("c.mvt"), 0, 100));
  ASSERT_EQ(sheet.mRowCount, 5u);
  EXPECT_EQ(sheet.getText(1, 1), u"x");
  EXPECT_EQ(sheet.getText(2, 1), u"hdr");
  EXPECT_EQ(sheet.getText(3, 1), u"y");
  EXPECT_EQ(sheet.cellAt(3, 1)->value, key + 1);
  EXPECT_TRUE(sheet.cellAt(4, 1)->isZero());  // the missing text leaves an empty cell
  EXPECT_EQ(sheet.integrityCheck(), "");
}

}  // namespace
