// A document as constructed and the file commands' main roads.
#include <iterator>
#include <string>

#include "grid/ReadSettings.h"
#include "platform/testdriver/AnswerScript.h"
#include "tests/grid/GridFixture.h"
#include "tests/support/Fifo.h"
#include "tests/support/Scratch.h"
#include "tests/support/SmallDisk.h"

TEST_F(GridTest, NewDocumentIsAnEmptyUntitledTable) {
  EXPECT_EQ(core().mRowCount, 300u);
  EXPECT_EQ(core().mColCount, 26u);
  EXPECT_EQ(grid->mSelection.range, (Range{1, 1, 1, 1}));
  EXPECT_EQ(view().mZoom, 1.0);
  EXPECT_EQ(grid->mPage.pageRows, 500000);
  EXPECT_TRUE(grid->mPath.empty());
  EXPECT_EQ(mainTitle(), u"New - Morvel");
  EXPECT_NE(grid->mOutputDlg, nullptr);
  EXPECT_FALSE(IsWindowVisible(grid->mOutputDlg));
}

TEST_F(GridTest, ConstructingADocumentTurnsInputOnUnlessABarIsShown) {
  gInputEnabled = false;
  delete new CGrid();
  EXPECT_TRUE(gInputEnabled);
}

TEST_F(GridTest, OpenReadsWithTheMenuSeparator) {
  testsupport::ScratchDir dir;
  testsupport::writeBytes(dir.native("a.csv"), "x;y,z\n1;2,3\n");
  struct Case {
    UINT menuId;
    const char16_t* cell;
  } cases[] = {{32992, u"y,z"}, {32988, u"z"}};
  for (const auto& c : cases) {
    setDefaultSeparator(c.menuId);
    grid->open(dir.path("a.csv"));
    EXPECT_EQ(core().getText(1, 2), c.cell);
  }
  setDefaultSeparator(32988);
  EXPECT_EQ(grid->mPath, dir.path("a.csv"));
  EXPECT_EQ(mainTitle(), dir.path("a.csv") + u" - Morvel");
}

TEST_F(GridTest, FailedOpenLeavesAnUntitledTableAndSaveAsksForAPath) {
  testdriver::AnswerScript answers;
  answers.answer(u"MessageBoxW", IDOK);
  core().setText(1, 1, u"old");
  grid->open(u"/nonexistent/folder/x.csv");
  testdriver::pumpUntilIdle();
  ASSERT_EQ(answers.calls().size(), 1u);
  EXPECT_EQ(answers.calls()[0].call.args.at(0), u"打开文件失败：/nonexistent/folder/x.csv");
  EXPECT_TRUE(grid->mPath.empty());
  EXPECT_EQ(core().mRowCount, 300u);
  EXPECT_TRUE(core().getText(1, 1).empty());
  EXPECT_EQ(mainTitle(), u"New - Morvel");
  // Ctrl+S then asks for a path (cancelled here: nothing is written).
  key('S', testdriver::Ctrl);
  ASSERT_EQ(answers.calls().size(), 2u);
  EXPECT_EQ(answers.calls()[1].call.kind, u"GetSaveFileNameW");
}

// A named pipe is refused before it is opened, whatever its name's kind (an open of one
// would wait for a writer for ever): the open fails as for a missing file.
TEST_F(GridTest, OpenOfANamedPipeFailsWithoutWaiting) {
  testsupport::ScratchDir dir;
  testdriver::AnswerScript answers;
  answers.answer(u"MessageBoxW", IDOK);
  const char* names[] = {"p.csv", "p.txt", "p.mvt", "p.xlsx"};
  for (size_t i = 0; i < std::size(names); ++i) {
    ASSERT_TRUE(testsupport::makeFifo(dir.native(names[i])));
    EXPECT_TRUE(testsupport::returnsWithoutAWriter(dir.native(names[i]), [&] { grid->open(dir.path(names[i])); }))
        << names[i];
    testdriver::pumpUntilIdle();
    ASSERT_EQ(answers.calls().size(), i + 1) << names[i];
    EXPECT_EQ(answers.calls()[i].call.args.at(0), u"打开文件失败：" + dir.path(names[i]));
    EXPECT_TRUE(grid->mPath.empty()) << names[i];
  }
}

TEST_F(GridTest, SaveWritesTheFileAndMarksTheDocumentSaved) {
  testsupport::ScratchDir dir;
  core().setText(1, 1, u"名字");
  core().setText(1, 2, u"b");
  sheet(2, 3);
  ASSERT_TRUE(grid->saveAs(dir.path("t.csv")));
  EXPECT_NE(testsupport::readBytes(dir.native("t.csv")).find(",b\r\n"), std::string::npos);
  grid->open(dir.path("t.csv"));
  EXPECT_EQ(core().getText(1, 1), u"名字");
  EXPECT_EQ(core().getText(1, 2), u"b");
}

// Ctrl+S of an opened file on a disk that runs out of room: the save reports the Part's
// failure, and the file keeps every byte it had, with nothing left beside it.
TEST_F(GridTest, AFailedSaveKeepsTheFileWhole) {
  for (testsupport::SmallDisk::Kind kind : testsupport::SmallDisk::kinds()) {
    SCOPED_TRACE(testsupport::SmallDisk::name(kind));
    testsupport::SmallDisk disk(kind, 256 << 10);
    const std::string old = "name,value\nkept,1\n";
    testsupport::writeBytes(disk.native("t.csv"), old);
    grid->open(disk.path("t.csv"));
    ASSERT_EQ(core().getText(2, 1), u"kept");
    sheet(20001, 3);
    for (int32_t r = 3; r <= 20000; ++r) core().setText(r, 1, u"a row that the disk has no room for");
    testdriver::AnswerScript answers;
    answers.answer(u"MessageBoxW", IDOK);
    {
      testsupport::SmallDisk::Full full(disk);
      key('S', testdriver::Ctrl);
    }
    ASSERT_EQ(answers.calls().size(), 1u);
    EXPECT_EQ(answers.calls()[0].call.args.at(0), u"保存文件失败：" + disk.path("t.csv"));
    EXPECT_EQ(testsupport::readBytes(disk.native("t.csv")), old);
    EXPECT_EQ(disk.names(), std::vector<std::string>{"t.csv"});
  }
}
