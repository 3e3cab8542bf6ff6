// Input while a read has the progress bar up. The read is held at its first report with
// the bar shown: the test injects one kind of input, the bar's own pump delivers it, and
// only then does the read go on. Every route the user has into the program (grid keys and
// clicks, the main menu, accelerators, the close box, the tab strip, drops and each
// modeless dialog) is refused meanwhile, and the read ends with the whole file.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ColumnPick.h"
#include "app/FindMatchTool.h"
#include "app/TwoTableTool.h"
#include "grid/ListDialogState.h"
#include "resources/GridIds.h"
#include "tests/app/AppFixture.h"
#include "tests/app/ToolFixture.h"
#include "tests/support/TextConvert.h"

namespace {

constexpr int kFindResult = 1023;  // the find and replace dialogs' result line
constexpr int kFindNext = 1021, kReplaceAll = 1011, kFindText = 1013;
constexpr int kPopupText = 1003;  // the filter popup's typed text
constexpr UINT kSystemScript = 32946;
constexpr int32_t kRows = 3000;

class InputDuringReadTest : public AppTest {
 public:
  void TearDown() override {
    closeToolDialogs();
    AppTest::TearDown();
  }

  // One route of input: what is made ready before the read, what is injected while it is
  // held, and what the route would change besides the state every case watches.
  struct Route {
    const char* name;
    std::function<void(InputDuringReadTest&)> setup;
    std::function<void(InputDuringReadTest&)> inject;
    std::function<std::string(InputDuringReadTest&)> watched;
  };

  // The program's state that input could change without touching the sheet being read.
  std::string state(const Route& route) {
    std::string s = "main window " + std::to_string(IsWindow(gMainWnd) != 0);
    s += ", tabs " + std::to_string(gTabStrip.tabs.size()) + ", current " + std::to_string(gTabStrip.current);
    const Range& r = doc->mSelection.range;
    s += ", selection " + std::to_string(r.top) + "," + std::to_string(r.left) + "," + std::to_string(r.bottom) +
         "," + std::to_string(r.right);
    s += ", commands " + std::to_string(doc->mComManag.mUndoList.size());
    s += ", statistics worker " + std::to_string(gStatThread != nullptr);
    s += ", editing " + std::to_string(IsWindowVisible(doc->mEditor.hwnd) != 0);
    s += ", blocking calls " + std::to_string(answers->calls().size());
    if (route.watched) s += ", " + route.watched(*this);
    return s;
  }

  // Opens data.csv into the document, as its open dialog does. At the read's first report
  // below 100, with the bar up, the route's input is injected and the bar's pump delivers
  // it while the read waits; the state is taken before and after that.
  void readDuring(const Route& route) {
    const ProgressFn real = doc->mCore.mCallbacks[CALLBACK_PROGRESS];
    doc->mCore.setProgress([&, real](uint64_t sender, int64_t percent) {
      real(sender, percent);
      if (held || percent >= 100 || !gProgressBar) return;
      held = true;
      before = state(route);
      platform::advanceClock(1000);  // no double-click with an earlier press
      route.inject(*this);
      for (int i = 0; i < 5; ++i) real(sender, percent);
      during = state(route);
    });
    doc->open(dir.path("data.csv"));
    pump();
    ASSERT_TRUE(IsWindow(gMainWnd)) << "the main window went during the read";
    doc->mCore.setProgress(real);
  }

  // Client point of the grid at zoom 1: the middle of cell (row, col).
  POINT cell(int32_t row, int32_t col) {
    return testdriver::screenPoint(doc->mHwnd, doc->mView.rowHeaderWidth() + (col - 1) * 74 + 30,
                                   20 + (row - 1) * 18 + 9);
  }
  static POINT middleOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  // A tab's body or its close button (tabs 178 wide after a 15-pixel piece, from x = 5).
  static POINT tabPoint(int index, bool closeButton) {
    return testdriver::screenPoint(gTabStrip.hwnd, 20 + index * 193 + (closeButton ? 178 - 8 : 60), 14);
  }
  // A dialog from a menu command: the window it made active.
  void openDialog(UINT id) {
    ASSERT_TRUE(choose(id));
    dialog = GetActiveWindow();
    ASSERT_NE(dialog, gMainWnd);
  }
  // The filter on column 1 of a small table, its button pressed: the popup is up.
  void openFilterPopup() {
    doc->mCore.resize(5, 3);
    for (int32_t r = 1; r < 5; ++r) doc->mCore.setText(r, 1, r == 1 ? u"head" : (r % 2 ? u"ab" : u"cd"));
    doc->mView.refresh();
    doc->mSelection.range = Range{1, 1, 4, 1};
    doc->mOps.toggleFilter();
    doc->mComManag.clear();
    platform::advanceClock(1000);
    testdriver::click(testdriver::screenPoint(doc->mHwnd, doc->mView.rowHeaderWidth() + 74 - 5, 20 + 18 - 5));
    pump();
    dialog = doc->mFilterPopup;
    ASSERT_TRUE(dialog && IsWindowVisible(dialog));
  }
  size_t popupItems() {
    auto* s = reinterpret_cast<ListDialogState*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    return s && s->list ? s->list->items.size() : 0;
  }
  std::u16string resultLine() { return windowText(GetDlgItem(dialog, kFindResult)); }

  // Each route in a program of its own, started afresh, over a read that is held open.
  void runRoutes(const std::vector<Route>& routes) {
    std::string text;
    for (int32_t i = 1; i <= kRows; ++i) text += std::to_string(i) + ",name" + std::to_string(i % 7) + ",3\n";
    for (const Route& route : routes) {
      SCOPED_TRACE(route.name);
      testsupport::writeBytes(dir.native("data.csv"), text);
      testsupport::writeBytes(dir.native("other.csv"), "a,b\n");
      answers = std::make_unique<testdriver::AnswerScript>();
      start();
      doc = currentDocument();
      ASSERT_TRUE(doc);
      if (route.setup) route.setup(*this);
      if (HasFatalFailure()) return;
      stopStats();
      readDuring(route);
      if (HasFatalFailure()) return;
      ASSERT_TRUE(held) << "the read never showed its bar";
      EXPECT_EQ(before.find("dialog 0"), std::string::npos) << "the dialog was gone before the input came";
      EXPECT_EQ(during, before);
      // The read went on to its end: the whole file in the document, the bar gone, input back.
      ASSERT_TRUE(IsWindow(doc->mHwnd));
      EXPECT_EQ(doc->mPath, dir.path("data.csv"));
      EXPECT_EQ(doc->mCore.mRowCount, uint32_t(kRows + 1));
      EXPECT_EQ(doc->mCore.mColCount, 4u);
      EXPECT_EQ(doc->mCore.getText(kRows, 2), u"name" + std::u16string(1, char16_t(u'0' + kRows % 7)));
      EXPECT_EQ(gProgressBar, nullptr);
      EXPECT_TRUE(gInputEnabled);
      TearDown();
      answers.reset();
      SetUp();
      held = false;
      dialog = nullptr;
      doc = nullptr;
    }
  }

  CGrid* doc = nullptr;
  HWND dialog = nullptr;
  std::unique_ptr<testdriver::AnswerScript> answers;
  bool held = false;
  std::string before, during;
};

// The main window and the grid: keys, clicks, menus, closes, tabs and a drop.
TEST_F(InputDuringReadTest, TheMainWindowsInputIsRefusedWhileAReadIsHeldOpen) {
  using T = InputDuringReadTest;
  std::vector<Route> routes = {
      {"keys in the grid", nullptr,
       [](T&) {
         testdriver::keyPress(VK_DELETE);
         testdriver::keyPress('A', testdriver::Ctrl);
         testdriver::typeChar(u'x');
       },
       nullptr},
      {"a click on a cell", nullptr, [](T& t) { testdriver::click(t.cell(3, 2)); }, nullptr},
      {"a main menu command", nullptr, [](T&) { platform::chooseMenuCommand(gMainWnd, ID_ADD_COLS); }, nullptr},
      {"an accelerator", nullptr, [](T&) { testdriver::keyPress('F', testdriver::Ctrl | testdriver::Alt); },
       nullptr},
      {"the close box", nullptr, [](T&) { testdriver::closeBox(gMainWnd); }, nullptr},
      {"Alt+F4", nullptr, [](T&) { testdriver::keyPress(VK_F4, testdriver::Alt); }, nullptr},
      {"exit from the menu", nullptr, [](T&) { platform::chooseMenuCommand(gMainWnd, 105); }, nullptr},
      {"a click on another tab",
       [](T& t) {
         openInNewTab(u"");
         gTabStrip.activate(0);
         t.pump();
       },
       [](T&) { testdriver::click(tabPoint(1, false)); }, nullptr},
      {"the tab's close button", nullptr, [](T&) { testdriver::click(tabPoint(0, true)); }, nullptr},
      {"a dropped file", nullptr, [](T& t) { testdriver::dropFiles(t.cell(2, 2), {t.dir.path("other.csv")}); },
       nullptr},
  };
  runRoutes(routes);
}

// The find and replace dialogs, the filter popup and the system-script window.
TEST_F(InputDuringReadTest, TheDialogsInputIsRefusedWhileAReadIsHeldOpen) {
  using T = InputDuringReadTest;
  auto alive = [](T& t) { return "dialog " + std::to_string(IsWindow(t.dialog) != 0); };
  std::vector<Route> routes = {
      {"find next",
       [](T& t) {
         t.openDialog(ID_FIND);
         SetDlgItemTextW(t.dialog, kFindText, u"zz");
       },
       [](T& t) { testdriver::click(middleOf(GetDlgItem(t.dialog, kFindNext))); },
       [](T& t) { return testsupport::u8(t.resultLine()); }},
      {"replace all",
       [](T& t) {
         t.openDialog(ID_REPLACE);
         SetDlgItemTextW(t.dialog, kFindText, u"zz");
       },
       [](T& t) { testdriver::click(middleOf(GetDlgItem(t.dialog, kReplaceAll))); },
       [](T& t) { return testsupport::u8(t.resultLine()); }},
      {"the filter popup's OK", [](T& t) { t.openFilterPopup(); },
       [](T& t) { testdriver::click(middleOf(GetDlgItem(t.dialog, IDOK))); }, alive},
      {"text typed into the filter popup",
       [](T& t) {
         t.openFilterPopup();
         SetFocus(GetDlgItem(t.dialog, kPopupText));
       },
       [](T&) { testdriver::typeChar(u'a'); }, [](T& t) { return "items " + std::to_string(t.popupItems()); }},
      {"the system-script window's close box", [](T& t) { t.openDialog(kSystemScript); },
       [](T& t) { testdriver::closeBox(t.dialog); }, alive},
  };
  runRoutes(routes);
}

TEST_F(InputDuringReadTest, TheToolDialogsRunNothingWhileAReadIsHeldOpen) {
  using T = InputDuringReadTest;
  auto alive = [](T& t) { return "dialog " + std::to_string(IsWindow(t.dialog) != 0); };
  // The tool dialogs: each opened by its menu command, its run button clicked.
  const struct {
    const char* name;
    UINT command;
    int run;
  } tools[] = {
      {"find-match", 32937, 1036},    {"two-table dedupe", 32944, 1052}, {"two-table duplicates", 32977, 1084},
      {"column merge", 32972, 1072},  {"column split", 32973, 1047},     {"classify-save", 32979, IDOK},
      {"file merge", 32974, IDABORT}, {"file split", 32975, IDABORT},
  };
  std::vector<Route> routes;
  for (const auto& tool : tools) {
    const UINT command = tool.command;
    const int run = tool.run;
    routes.push_back(Route{tool.name, [command](T& t) { t.openDialog(command); },
                           [run](T& t) { testdriver::click(middleOf(GetDlgItem(t.dialog, run))); }, alive});
  }

  runRoutes(routes);
}

}  // namespace
