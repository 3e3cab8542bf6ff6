// The host records as the document binds them: the same operations in each record's
// own text encoding, other tables found by exact title (the first of two alike), the
// counts of resizeSheet and resizeTable, and inserts at -1 and at a row.
#include <fstream>

#include "script/AreaLookup.h"
#include "tests/script/ScriptFixture.h"
#include "tests/support/Scratch.h"

namespace {

using scripttest::FakeDocument;
using scripttest::OpenTables;

class HostBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.core.resize(4, 4);
    first.core.resize(3, 3);
    second.core.resize(3, 3);
    first.core.setText(1, 1, u"第一");
    second.core.setText(1, 1, u"第二");
    tables.add(u"表", first);
    tables.add(u"表", second);
  }
  FakeDocument doc, first, second;
  OpenTables tables;
};

TEST_F(HostBindingTest, EachRecordSpeaksItsOwnEncoding) {
  const std::string ansiTitle = wideToAnsi(u"表"), utf8Title = wideToUtf8(u"表");
  EXPECT_EQ(doc.mExprtkHost.getTableCellText(ansiTitle, 1, 1), wideToAnsi(u"第一"));
  EXPECT_EQ(doc.mTccHost.getTableCellText(ansiTitle, 1, 1), wideToAnsi(u"第一"));
  EXPECT_EQ(doc.mPythonHost.getTableCellText(utf8Title, 1, 1), wideToUtf8(u"第一"));
  doc.mPythonHost.setCellText(2, 2, wideToUtf8(u"中文"));
  doc.mTccHost.setCellText(2, 3, wideToAnsi(u"中文"));
  EXPECT_EQ(doc.core.getText(2, 2), u"中文");
  EXPECT_EQ(doc.core.getText(2, 3), u"中文");
  EXPECT_EQ(doc.mPythonHost.getTableCellText(ansiTitle, 1, 1), "") << "a title in the wrong encoding";
  doc.mPythonHost.saveDocumentAs(wideToUtf8(u"路径/文件.csv"));
  doc.mPythonHost.saveTableAs(utf8Title, wideToUtf8(u"另存.csv"));
  EXPECT_EQ(doc.calls, std::vector<std::u16string>{u"saveAs 路径/文件.csv"});
  EXPECT_EQ(first.calls, std::vector<std::u16string>{u"saveAs 另存.csv"});
  EXPECT_EQ(doc.mPythonHost.saveTableAs("none", "x.csv"), 0);
}

TEST_F(HostBindingTest, ResizeCountsAndInserts) {
  doc.mPythonHost.resizeTable(wideToUtf8(u"表"), 10, 5);
  EXPECT_EQ(first.core.mRowCount, 11u);
  EXPECT_EQ(first.core.mColCount, 6u);
  EXPECT_EQ(second.core.mRowCount, 3u);
  doc.mExprtkHost.resizeSheet(10, 5);
  EXPECT_EQ(doc.core.mRowCount, 10u);
  EXPECT_EQ(doc.core.mColCount, 5u);
  doc.selection = Selection{2, 2, Range{2, 2, 2, 2}};
  const size_t undo = doc.manager.mUndoList.size();
  doc.mExprtkHost.insertRows(-1, 3);
  EXPECT_EQ(doc.core.mRowCount, 13u);
  EXPECT_EQ(doc.manager.mUndoList.size(), undo + 1) << "one undoable resize";
  EXPECT_EQ(doc.selection.range, (Range{2, 2, 2, 2})) << "the selection stays";
  doc.mExprtkHost.insertCols(0, 2);
  EXPECT_EQ(doc.selection.range, (Range{0, 0, 0, 0})) << "column 0: the whole sheet";
  EXPECT_EQ(doc.calls, (std::vector<std::u16string>{u"repaint", u"scroll 0,0", u"insert 2"}));
}

TEST_F(HostBindingTest, AreasInEachEncoding) {
  testsupport::ScratchDir dir;
  std::filesystem::create_directories(dir.native("source"));
  std::ofstream(dir.native("source/PostCode.csv"), std::ios::binary) << wideToAnsi(u"518000,深圳\n");
  testhooks::setAreaFolder(utf8ToWide(dir.dir()));
  EXPECT_EQ(doc.mExprtkHost.postCodeArea(518000), wideToAnsi(u"深圳"));
  EXPECT_EQ(doc.mPythonHost.postCodeArea(518000), wideToUtf8(u"深圳"));
  runExprtkCell(doc, 1, 1, u"set_(1,2,PostCodeArea(518000.9))");
  EXPECT_EQ(doc.core.getText(1, 2), u"深圳");
  testhooks::setAreaFolder(u"");
}

}  // namespace
