// The selection-statistics worker reads the sheet without locks: every change of a sheet,
// whichever route it takes through the program, stops and joins it first. The worker runs
// over a whole column of a large sheet when the change comes.
#include <functional>
#include <string>
#include <vector>

#include "resources/GridIds.h"
#include "tests/app/AppFixture.h"

namespace {

constexpr int32_t kRows = 300000;
constexpr UINT kColumnMerge = 32972;

class StatisticsWorkerTest : public AppTest {
 public:
  void TearDown() override {
    answers.reset();
    AppTest::TearDown();
  }
  // A sheet of kRows rows holding numbers in columns 1 and 2; column 3 is empty.
  void bigSheet() {
    doc->mCore.resize(kRows, 4);
    for (int32_t r = 1; r < kRows; ++r) {
      doc->mCore.setDouble(r, 1, r);
      doc->mCore.setDouble(r, 2, 2);
    }
    doc->mComManag.clear();
  }
  // The worker started as a click on column 2's header starts it.
  void startWorker() {
    doc->mSelection.range = Range{0, 2, 0, 2};
    doc->selectionChanged();
    ASSERT_NE(gStatThread, nullptr);
  }
  POINT columnHeader(int32_t col) {
    return testdriver::screenPoint(doc->mHwnd, doc->mView.rowHeaderWidth() + (col - 1) * 74 + 30, 9);
  }

  struct Change {
    const char* name;
    std::function<void(StatisticsWorkerTest&)> prepare;  // before the worker starts
    bool startsWorker;                                   // false: the change starts it itself
    std::function<void(StatisticsWorkerTest&)> change;
    std::function<bool(StatisticsWorkerTest&)> done;  // the change happened
  };

  CGrid* doc = nullptr;
  std::unique_ptr<testdriver::AnswerScript> answers;
};

TEST_F(StatisticsWorkerTest, EveryChangeOfTheSheetStopsTheWorkerFirst) {
  using T = StatisticsWorkerTest;
  const std::u16string csv = dir.path("small.csv");
  testsupport::writeBytes(dir.native("small.csv"), "1,2\n3,4\n");
  const std::vector<Change> changes = {
      {"a command from the menu", nullptr, true, [](T& t) { t.choose(ID_ADD_ROWS); },
       [](T& t) { return t.doc->mCore.mRowCount == uint32_t(kRows + 300); }},
      {"undo",
       [](T& t) {
         t.choose(ID_ADD_ROWS);
         SetFocus(t.doc->mHwnd);
       },
       true, [](T& t) { t.keys('Z', testdriver::Ctrl); },
       [](T& t) { return t.doc->mCore.mRowCount == uint32_t(kRows); }},
      {"redo",
       [](T& t) {
         t.choose(ID_ADD_ROWS);
         t.choose(ID_UNDO);
         SetFocus(t.doc->mHwnd);
       },
       true, [](T& t) { t.keys('Y', testdriver::Ctrl); },
       [](T& t) { return t.doc->mCore.mRowCount == uint32_t(kRows + 300); }},
      {"a formula's value", [](T& t) { t.doc->mCore.setText(1, 3, u"=1+2"); }, true,
       [](T& t) { t.choose(ID_RUN_ALL); }, [](T& t) { return t.doc->mCore.formulaValue(1, 3) == 3; }},
      // The box has no owner: the grid behind it takes the click, which starts the worker,
      // and the script's write comes after.
      {"a C script's write after its message box",
       [](T& t) {
         t.doc->mCore.setText(1, 3,
                              u"void message_box(const char *); void set(int, int, double);\n"
                              u"int main(void) { message_box(\"等一下\"); set(5, 2, 7); return 0; }\n");
         t.doc->mCore.cellAt(1, 3)->kind = CELL_TCC;
         t.answers->actFirst(u"MessageBoxW", [&t] {
           platform::advanceClock(1000);
           testdriver::click(t.columnHeader(2));
         });
         t.answers->answer(u"MessageBoxW", IDOK);
       },
       false, [](T& t) { t.choose(ID_RUN_ALL); },
       [](T& t) { return t.doc->mCore.getDouble(5, 2) == 7 && t.answers->pending(u"MessageBoxW") == 0; }},
      // The menu opens it in a tab of its own: its sheet's changes pass the same gate.
      {"a file opened", [&](T& t) { t.answers->answer(u"GetOpenFileNameW", 1, {csv}); }, true,
       [](T& t) { t.choose(ID_OPEN); }, [&](T&) { return currentDocument()->mPath == csv; }},
      {"a data tool",
       [](T& t) {
         gTabStrip.tabs[0].title = u"表";
         t.choose(kColumnMerge);
       },
       true,
       [](T&) {
         HWND dialog = GetActiveWindow();
         SetDlgItemTextW(dialog, 1065, u"表!A");
         SetDlgItemTextW(dialog, 1045, u"表!B");
         SendMessageW(GetDlgItem(dialog, 1072), BM_CLICK, 0, 0);
       },
       [](T& t) { return t.doc->mCore.getText(4, 2).rfind(u"4", 0) == 0; }},
  };
  for (const Change& c : changes) {
    SCOPED_TRACE(c.name);
    answers = std::make_unique<testdriver::AnswerScript>();
    start();
    doc = currentDocument();
    ASSERT_TRUE(doc);
    bigSheet();
    if (c.prepare) c.prepare(*this);
    if (c.startsWorker) startWorker();
    if (HasFatalFailure()) return;
    c.change(*this);
    pump();
    EXPECT_TRUE(c.done(*this));
    EXPECT_EQ(gStatThread, nullptr) << "the worker was left reading the changed sheet";
    TearDown();
    SetUp();
  }
}

}  // namespace
