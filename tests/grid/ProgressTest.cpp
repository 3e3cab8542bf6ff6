// The progress bar, input while it is up, and the selection statistics in the title.
#include <string>

#include "grid/GridStats.h"
#include "platform/controls/commctrl.h"
#include "platform/testdriver/AnswerScript.h"
#include "resources/GridIds.h"
#include "tests/grid/GridFixture.h"
#include "tests/support/Picture.h"
#include "tests/support/Scratch.h"

TEST_F(GridTest, ProgressBarShowsMovesAndCloses) {
  struct Step {
    int64_t percent;
    bool shown;
    int position;
  } steps[] = {{-5, true, 0}, {50, true, 50}, {100, false, 0}, {0, true, 0}, {150, false, 0}, {100, false, 0}};
  for (const auto& s : steps) {
    grid->progress(0, s.percent);
    EXPECT_EQ(gProgressBar != nullptr, s.shown) << s.percent;
    EXPECT_EQ(gInputEnabled, !s.shown) << s.percent;
    if (s.shown) {
      EXPECT_EQ(SendMessageW(gProgressBar, PBM_GETPOS, 0, 0), s.position) << s.percent;
      RECT r{};
      GetWindowRect(gProgressBar, &r);
      EXPECT_EQ(r.right - r.left, 500);
    }
    if (s.percent == 50)
      testdriver::saveWindowPng(grid->mHwnd, testsupport::picturePath("grid", "progress.png").string());
  }
}

TEST_F(GridTest, InputDuringAReadDoesNothing) {
  testsupport::ScratchDir dir;
  std::string text;
  for (int i = 0; i < 20000; ++i) text += std::to_string(i) + ",x,y\n";
  testsupport::writeBytes(dir.native("big.csv"), text);
  // Queued before the read: the bar's pumping dispatches them while input is off.
  PostMessageW(grid->mHwnd, WM_COMMAND, ID_ADD_COLS, 0);
  testdriver::doubleClick(at(600, 380));
  SetFocus(grid->mHwnd);
  testdriver::keyDown(VK_CONTROL);
  testdriver::keyDown('N');
  grid->open(dir.path("big.csv"));
  testdriver::keyUp('N');
  testdriver::keyUp(VK_CONTROL);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(core().mColCount, 4u);
  EXPECT_EQ(core().mRowCount, 20001u);
  EXPECT_EQ(grid->mPath, dir.path("big.csv"));
  EXPECT_TRUE(gInputEnabled);
  EXPECT_EQ(gProgressBar, nullptr);
}

TEST_F(GridTest, AQuitRequestDuringTheBarReachesTheLoopAfterTheWork) {
  PostQuitMessage(7);
  grid->progress(0, 20);
  grid->progress(0, 60);
  EXPECT_NE(gProgressBar, nullptr);
  grid->progress(0, 100);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_QUIT));
  EXPECT_EQ(msg.wParam, WPARAM(7));
}

TEST_F(GridTest, TheBarEndsWhenTheWorkThrows) {
  testdriver::AnswerScript answers;
  answers.answer(u"MessageBoxW", IDOK);
  const bool ok = grid->guarded([&] {
    ProgressScope bar(*grid);
    grid->progress(0, 30);
    throw std::string("CDataGrid::resize: row-5,len-10 memery malloc error!");
  });
  EXPECT_FALSE(ok);
  EXPECT_EQ(gProgressBar, nullptr);
  EXPECT_TRUE(gInputEnabled);
  ASSERT_EQ(answers.calls().size(), 1u);
  EXPECT_EQ(answers.calls()[0].call.args.at(0), u"CDataGrid::resize: row-5,len-10 memery malloc error!");
}

TEST_F(GridTest, StatisticsOfABlockReachTheTitle) {
  core().setInt64(1, 1, 1);
  core().setInt64(1, 2, 2);
  core().setText(2, 1, u"text");
  const int rw = view().rowHeaderWidth();
  testdriver::advance(1000);
  testdriver::mouseDown(at(rw + 30, 20 + 9));
  testdriver::pumpUntilIdle();
  testdriver::mouseMove(at(rw + 74 + 30, 20 + 18 + 9));
  testdriver::pumpUntilIdle();
  testdriver::mouseUp(at(rw + 74 + 30, 20 + 18 + 9));
  testdriver::pumpUntilIdle();
  ASSERT_EQ(grid->mSelection.range, (Range{1, 1, 2, 2}));
  if (gStatThread) gStatThread->join();
  testdriver::pumpUntilIdle();
  EXPECT_EQ(mainTitle(), u"New - Morvel ( 求和=3 平均=0.75 计数=4 )");
  // A single cell shows no statistics.
  clickAt(rw + 30, 20 + 9);
  if (gStatThread) gStatThread->join();
  testdriver::pumpUntilIdle();
  EXPECT_EQ(mainTitle(), u"New - Morvel");
}

TEST_F(GridTest, HiddenCellsAreNotCountedAndEmptySelectionsShowNothing) {
  sheet(6, 4);
  for (int r = 1; r < 6; ++r) core().setDouble(r, 2, 2.5);
  core().cellAt(3, 0)->flag = 1;
  grid->mSelection.range = Range{0, 2, 0, 2};
  grid->selectionChanged();
  gStatThread->join();
  testdriver::pumpUntilIdle();
  EXPECT_EQ(mainTitle(), u"New - Morvel ( 求和=10 平均=2.5 计数=4 )");
  core().cellAt(0, 3)->flag = 1;
  grid->mSelection.range = Range{0, 3, 0, 3};
  grid->selectionChanged();
  gStatThread->join();
  testdriver::pumpUntilIdle();
  EXPECT_EQ(mainTitle(), u"New - Morvel");
}

TEST_F(GridTest, ACancelledWorkerPostsNothingAndCommandsWaitForIt) {
  sheet(1000000, 3);
  grid->mSelection.range = Range{0, 1, 0, 1};
  grid->selectionChanged();
  stopStats();
  testdriver::pumpUntilIdle();  // on a busy machine the worker may have finished first
  grid->setTitle(u"");
  // The worker's body with the cancel flag up, as a stop finds it between two rows.
  gStatCancel = true;
  grid->selectionStats(grid->mSelection.range);
  gStatCancel = false;
  testdriver::pumpUntilIdle();
  EXPECT_EQ(mainTitle(), u"New - Morvel");
  // A command while a worker reads the sheet: the worker is stopped first.
  grid->selectionChanged();
  SendMessageW(grid->mHwnd, WM_COMMAND, ID_ADD_ROWS, 0);
  EXPECT_EQ(gStatThread, nullptr);
  EXPECT_EQ(core().mRowCount, 1000300u);
}

TEST_F(GridTest, PagedTitleShowsStartAndRows) {
  grid->mPage.path = u"/x/huge.csv";
  grid->mPage.startRow = 1;
  grid->mPage.pageRows = 500000;
  grid->mPage.keepHeader = 1;
  sheet(500001, 3);
  grid->mPath = u"/x/huge.csv";
  grid->setTitle(u"");
  EXPECT_EQ(grid->mTitle, u"/x/huge.csv[1/500000] - Morvel");
  grid->mPage.startRow = 1000001;
  sheet(1201, 3);  // a last, shorter page below the kept header line
  grid->setTitle(u"");
  EXPECT_EQ(grid->mTitle, u"/x/huge.csv[1000001/1199] - Morvel");
}
