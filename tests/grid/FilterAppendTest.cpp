// The header filter button (picture, hit, press and release) and appending files under
// one progress bar.
#include <string>
#include <vector>

#include "grid/ListDialogState.h"
#include "platform/testdriver/AnswerScript.h"
#include "tests/grid/GridFixture.h"
#include "tests/support/Scratch.h"

namespace {
uint32_t rgb(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
}  // namespace

TEST_F(GridTest, FilterButtonsShowTheColumnStateAndOpenThePopup) {
  FilterColumn hiding{cellPos(1, 2), {5}};
  FilterColumn plain{cellPos(1, 3), {}};
  core().mFilter.mColumns[hiding.key] = hiding;
  core().mFilter.mColumns[plain.key] = plain;
  grid->mSelection.range = Range{10, 5, 10, 5};
  grid->invalidate();
  testdriver::pumpUntilIdle();
  const int rw = view().rowHeaderWidth();
  const int right2 = rw + 2 * 74, right3 = rw + 3 * 74, bottom = 20 + 18;
  Surface s = testdriver::windowPixels(grid->mHwnd);
  // The funnel's middle: filled while the column hides rows, open otherwise.
  EXPECT_EQ(s.at(right2 - 18 + 8, bottom - 18 + 6), 0x1F6FC5u);
  EXPECT_NE(s.at(right3 - 18 + 8, bottom - 18 + 6), 0x1F6FC5u);
  EXPECT_NE(s.at(right3 - 18 + 8, bottom - 18 + 6), 0x404850u);

  DragInfo info{};
  EXPECT_EQ(view().hitTest(info, point(right2 - 2, bottom - 2)), HIT_FILTER_BUTTON);
  EXPECT_EQ(info.size, 1);
  EXPECT_EQ(info.index, 2);
  EXPECT_EQ(view().hitTest(info, point(right2 - 20, bottom - 2)), HIT_CELLS);

  testdriver::advance(1000);
  testdriver::mouseDown(at(right2 - 5, bottom - 5));
  testdriver::pumpUntilIdle();
  s = testdriver::windowPixels(grid->mHwnd);
  EXPECT_EQ(s.at(right2 - 18 + 9, bottom - 18 + 7), 0x1F6FC5u);  // pressed: drawn one pixel lower right
  EXPECT_EQ(grid->mFilterPopup, nullptr) << "the popup opens on the release";
  testdriver::mouseUp(at(right2 - 5, bottom - 5));
  testdriver::pumpUntilIdle();
  // The popup of column 2 is the window the user now works in.
  HWND popup = GetActiveWindow();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup, grid->mFilterPopup);
  EXPECT_TRUE(IsWindowVisible(popup));
  const auto* state = reinterpret_cast<const ListDialogState*>(GetWindowLongPtrW(popup, GWLP_USERDATA));
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(state->column, 2);
  (void)rgb;
}

TEST_F(GridTest, AppendedFilesShareOneProgressBar) {
  testsupport::ScratchDir dir;
  testsupport::writeBytes(dir.native("a.csv"), "h,k\n1,2\n3,4\n");
  testsupport::writeBytes(dir.native("b.csv"), "h,k\n5,6\n");
  sheet(1, 3);
  int shown = 0;
  bool wasShown = false;
  core().setProgress([&](uint64_t sender, int64_t percent) {
    grid->progress(sender, percent);
    if (gProgressBar && !wasShown) ++shown;
    wasShown = gProgressBar != nullptr;
  });
  grid->mComManag.mUndoList.clear();
  testdriver::AnswerScript answers;
  answers.answer(u"GetOpenFileNameW", 1, {dir.path("a.csv"), dir.path("b.csv")});
  grid->appendFiles();
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(gProgressBar, nullptr);
  EXPECT_TRUE(gInputEnabled);
  EXPECT_EQ(core().getText(core().mRowCount - 1, 1), u"5");
  EXPECT_TRUE(grid->mComManag.mUndoList.empty());
}

TEST_F(GridTest, ADocumentBuiltWhileTheBarIsUpLeavesInputOff) {
  grid->progress(0, 10);
  ASSERT_FALSE(gInputEnabled);
  delete new CGrid();
  EXPECT_FALSE(gInputEnabled);
  grid->progress(0, 100);
  EXPECT_TRUE(gInputEnabled);
}
