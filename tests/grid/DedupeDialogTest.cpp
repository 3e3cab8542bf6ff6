// The delete-duplicates dialog: its column list and ticks, the select-all item, the
// options, the result message and the refusal without a column.
#include <optional>
#include <string>
#include <vector>

#include "grid/ListDialogState.h"
#include "platform/CodePage.h"
#include "platform/testdriver/AnswerScript.h"
#include "platform/user/Blocking.h"
#include "resources/GridIds.h"
#include "tests/grid/GridFixture.h"
#include "tests/support/Picture.h"

namespace {

class DedupeDialogTest : public GridTest {
 protected:
  // Rows 1..6 of columns 1..4 (column 5 exists but stays empty): a header, then pairs.
  void table() {
    sheet(8, 6);
    const char16_t* rows[6][4] = {{u"h1", u"h2", u"h3", u"h4"}, {u"a", u"1", u"x", u"p"}, {u"a", u"1", u"y", u"q"},
                                  {u"b", u"2", u"x", u"p"},     {u"A", u"1", u"x", u"p"}, {u"b", u"2", u"z", u"p"}};
    for (int r = 0; r < 6; ++r)
      for (int c = 0; c < 4; ++c) core().setTextTyped(r + 1, c + 1, rows[r][c]);
  }
  // Runs the dialog through the grid's command; `inDialog` sees the list while the
  // dialog is up and gives the button to press with the control texts.
  void run(const std::function<platform::BlockingAnswer(HWND, CCList&)>& inDialog) {
    auto previous = platform::setBlockingHook(
        [&](const platform::BlockingCall& call) -> std::optional<platform::BlockingAnswer> {
          if (call.kind == u"MessageBoxW") {
            messages.push_back(call.args[0]);
            return platform::BlockingAnswer{IDOK, {}};
          }
          if (call.kind != u"DialogBoxParamW" || call.args[0] != u"148") return std::nullopt;
          HWND dialog = GetActiveWindow();
          auto* list = reinterpret_cast<CCList*>(GetWindowLongPtrW(GetDlgItem(dialog, 0), GWLP_USERDATA));
          if (!list) return std::nullopt;
          return inDialog(dialog, *list);
        });
    SendMessageW(grid->mHwnd, WM_COMMAND, ID_DELETE_DUPLICATES, 0);
    testdriver::pumpUntilIdle();
    platform::setBlockingHook(previous);
  }
  static std::vector<std::string> names(const CCList& list) {
    std::vector<std::string> out;
    for (const ListItem2& item : list.items) {
      out.push_back(wideToUtf8(list.itemText(item)) + (item.checked ? "*" : ""));
    }
    return out;
  }
  std::vector<std::u16string> messages;
};

}  // namespace

TEST_F(DedupeDialogTest, ColumnsAreListedAndTickedFromTheSelection) {
  table();
  struct Case {
    Range selection;
    std::vector<std::string> listed;
  } cases[] = {
      {Range{1, 2, 3, 3}, {"全选", "A", "B*", "C*", "D"}},
      {Range{0, 0, 0, 0}, {"全选", "A*", "B*", "C*", "D*"}},
      {Range{2, 0, 3, 0}, {"全选", "A", "B", "C", "D"}},  // whole rows
  };
  for (const Case& c : cases) {
    grid->mSelection.range = c.selection;
    std::vector<std::string> seen;
    run([&](HWND, CCList& list) {
      seen = names(list);
      return platform::BlockingAnswer{IDCANCEL, {}};
    });
    EXPECT_EQ(seen, c.listed);
  }
  EXPECT_TRUE(grid->mComManag.mUndoList.empty());
}

TEST_F(DedupeDialogTest, TheChosenColumnsAndOptionsDeleteDuplicates) {
  table();
  grid->mSelection.anchorRow = 1, grid->mSelection.anchorCol = 1;
  grid->mSelection.range = Range{1, 1, 6, 1};
  bool pictured = false;
  run([&](HWND dialog, CCList& list) {
    if (!pictured) {
      pictured = true;
      list.items[0].checked = 1;
      list.onCheck(list, 0);  // the select-all item ticks every column
      EXPECT_EQ(names(list), (std::vector<std::string>{"全选*", "A*", "B*", "C*", "D*"}));
      list.items[0].checked = 0;
      list.onCheck(list, 0);
      list.items[1].checked = 1;  // A alone
      list.refresh();
      testdriver::pumpUntilIdle();
      EXPECT_EQ(IsDlgButtonChecked(dialog, 1001), BST_CHECKED);
      testsupport::pictureFolder("grid");
      testdriver::saveWindowPng(dialog, testsupport::picturePath("grid", "delete_duplicates.png").string());
    }
    return platform::BlockingAnswer{IDOK, {u"1000:1"}};
  });
  // Header kept; "a" twice and "b" twice by column A without case: a, a, A fold together.
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], u"已删除：3个重复项，保留：2个唯一值。");
  EXPECT_EQ(core().getText(1, 1), u"h1");
  EXPECT_EQ(core().getText(2, 1), u"a");
  EXPECT_EQ(core().getText(3, 1), u"b");
  EXPECT_EQ(grid->mComManag.mUndoList.size(), 1u);
}

TEST_F(DedupeDialogTest, NoColumnTickedIsRefusedAndDeletesNothing) {
  table();
  grid->mSelection.range = Range{2, 0, 3, 0};  // whole rows: nothing ticked
  run([&](HWND, CCList&) { return platform::BlockingAnswer{IDOK, {}}; });
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], u"请至少选择一个包含重复项的列。");
  EXPECT_EQ(core().getText(3, 1), u"a");
  EXPECT_TRUE(grid->mComManag.mUndoList.empty());
}
