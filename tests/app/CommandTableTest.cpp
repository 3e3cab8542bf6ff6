// The command table: every command of menu 109 chosen as a click would, each with what it
// does; the accelerators from a grid and from the main window; nothing while input is
// off; the document commands greyed without a tab.
#include <functional>
#include <string>

#include "grid/DocumentCommands.h"
#include "grid/ReadSettings.h"
#include "resources/GridIds.h"
#include "script/SystemScriptWindow.h"
#include "store/QuoteDetect.h"
#include "tests/app/AppFixture.h"

namespace {

// Every command id of menu 109 with its submenus, in menu order.
std::vector<UINT> menuCommands(HMENU menu) {
  std::vector<UINT> out;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      for (UINT id : menuCommands(sub)) out.push_back(id);
    } else if (!(GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR)) {
      out.push_back(GetMenuItemID(menu, i));
    }
  }
  return out;
}

std::u16string number(long v) {
  const std::string s = std::to_string(v);
  return std::u16string(s.begin(), s.end());
}

std::u16string clipboardText() {
  std::u16string text;
  if (!OpenClipboard(nullptr)) return u"<not open>";
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const char16_t*>(GlobalLock(h));
    GlobalUnlock(h);
  }
  CloseClipboard();
  return text;
}

void setClipboardText(const std::u16string& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * 2);
  auto* p = static_cast<char16_t*>(GlobalLock(h));
  std::copy(text.c_str(), text.c_str() + text.size() + 1, p);
  GlobalUnlock(h);
  SetClipboardData(CF_UNICODETEXT, h);
  CloseClipboard();
}

}  // namespace

class CommandTableTest : public AppTest {
 public:
  // The program with one document: a 10 x 5 sheet with 3 x 3 numbers in its corner
  // (row r, column c holds 10 r + c), B2 selected.
  void startWithSheet() {
    start();
    doc = currentDocument();
    doc->mCore.resize(10, 5);
    for (int r = 1; r <= 3; ++r)
      for (int c = 1; c <= 3; ++c) doc->mCore.setInt64(r, c, 10 * r + c);
    select({2, 2, 2, 2});
  }
  void select(Range r) {
    doc->mSelection.range = r;
    doc->mSelection.anchorRow = r.top;
    doc->mSelection.anchorCol = r.left;
  }
  void script(int32_t row, int32_t col, const std::u16string& text) {
    doc->mCore.setText(row, col, text);
    doc->mCore.cellAt(row, col)->kind = CELL_EXPRTK;
  }

  CGrid* doc = nullptr;
  testdriver::AnswerScript* answers = nullptr;
};

TEST_F(CommandTableTest, EveryMenuCommandDoesItsWork) {
  struct Case {
    UINT id;
    std::function<void(CommandTableTest&)> before;  // null: nothing
    std::function<void(CommandTableTest&)> after;
    bool chosen = true;  // the menu lets it be chosen
  };
  using T = CommandTableTest;
  auto nothing = [](T& t) { EXPECT_TRUE(t.answers->calls().empty()); };
  auto dialog = [](WORD id) {
    return [id](T& t) {
      const auto* call = t.answers->lastCall(u"DialogBoxParamW");
      ASSERT_NE(call, nullptr);
      EXPECT_EQ(call->args.at(0), number(id));
    };
  };
  auto encoding = [](int32_t value) {
    return [value](T& t) {
      EXPECT_EQ(t.doc->mCore.mSaveEncoding, value);
      for (UINT id = ID_ENC_UTF8; id <= ID_ENC_ANSI; ++id) {
        const int32_t of[] = {ENC_UTF8, ENC_UTF8_NOBOM, ENC_UTF16LE, ENC_UTF16BE, ENC_ANSI};
        EXPECT_EQ(checked(id), of[id - ID_ENC_UTF8] == value) << id;
      }
    };
  };
  auto saved = [](const char* name, const char* bytes) {
    return [name, bytes](T& t) { EXPECT_EQ(testsupport::readBytes(t.dir.native(name)), bytes); };
  };
  auto openAs = [](const char* name) {
    return [name](T& t) {
      testsupport::writeBytes(t.dir.native(name), "x,y\n");
      t.doc->open(t.dir.path(name));
      gTabStrip.renameCurrent(t.dir.path(name));
      t.doc->mCore.setInt64(1, 1, 7);
      t.doc->onCommand(ID_BANDED_ROWS);  // an undoable change marks the tab modified
      t.pump();
      ASSERT_TRUE(gTabStrip.tabs[gTabStrip.current].modified);
    };
  };
  // The sheet as written: every row and column below its counts.
  const char* const kSheet = "11,12,13,\r\n21,22,23,\r\n31,32,33,\r\n,,,\r\n,,,\r\n,,,\r\n,,,\r\n,,,\r\n,,,\r\n";
  std::vector<Case> cases = {
      {104, nullptr, dialog(103)},
      {105, nullptr, [](T& t) { EXPECT_EQ(gMainWnd, nullptr); }},
      {ID_NEW, nullptr,
       [](T& t) {
         EXPECT_EQ(titles(), (std::vector<std::u16string>{u"新表格", u"新表格1"}));
       }},
      {ID_OPEN,
       [](T& t) {
         testsupport::writeBytes(t.dir.native("o.csv"), "a,b\n");
         t.answers->answer(u"GetOpenFileNameW", 1, {t.dir.path("o.csv")});
       },
       [](T& t) {
         EXPECT_EQ(titles(), (std::vector<std::u16string>{u"新表格", u"o.csv"}));
         EXPECT_EQ(currentDocument()->mCore.getText(1, 2), u"b");
       }},
      {ID_PAGED_OPEN, [](T& t) { t.answers->answer(u"DialogBoxParamW", IDCANCEL); },
       [&](T& t) {
         dialog(149)(t);
         EXPECT_EQ(titles(), (std::vector<std::u16string>{u"新表格", u"新表格1"}));
       }},
      {ID_SAVE, openAs("s.csv"),
       [&](T& t) {
         saved("s.csv", "7,y\r\n")(t);
         EXPECT_FALSE(gTabStrip.tabs[0].modified);
       }},
      {32939, openAs("all.csv"), saved("all.csv", "7,y\r\n")},
      {ID_SAVE_AS, [](T& t) { t.answers->answer(u"GetSaveFileNameW", 1, {t.dir.path("as.csv")}); },
       [&](T& t) {
         saved("as.csv", kSheet)(t);
         EXPECT_EQ(titles(), std::vector<std::u16string>{u"as.csv"});
         EXPECT_EQ(gTabStrip.tabs[0].path, t.dir.path("as.csv"));
       }},
      {ID_SAVE_FILTERED, [](T& t) { t.answers->answer(u"GetSaveFileNameW", 1, {t.dir.path("f.csv")}); },
       saved("f.csv", kSheet)},
      {32979, nullptr, nothing},
      {ID_APPEND,
       [](T& t) {
         testsupport::writeBytes(t.dir.native("more.csv"), "m\n");
         t.answers->answer(u"GetOpenFileNameW", 1, {t.dir.path("more.csv")});
       },
       [](T& t) {
         ASSERT_EQ(t.doc->mCore.mRowCount, 11u);
         EXPECT_EQ(t.doc->mCore.getText(10, 1), u"m");
       }},
      {ID_SPLIT_FILE, nullptr, dialog(129)},
      {ID_UNDO, [](T& t) { t.doc->onCommand(ID_ADD_ROWS); }, [](T& t) { EXPECT_EQ(t.doc->mCore.mRowCount, 10u); }},
      {ID_REDO, [](T& t) { t.doc->onCommand(ID_ADD_ROWS), t.doc->onCommand(ID_UNDO); },
       [](T& t) { EXPECT_EQ(t.doc->mCore.mRowCount, 310u); }},
      {ID_CUT, nullptr,
       [](T& t) {
         EXPECT_EQ(clipboardText(), u"22");
         EXPECT_EQ(t.doc->mCore.getText(2, 2), u"");
       }},
      {ID_COPY, nullptr, [](T& t) { EXPECT_EQ(clipboardText(), u"22"); }},
      {ID_PASTE, [](T& t) { setClipboardText(u"粘贴"); },
       [](T& t) { EXPECT_EQ(t.doc->mCore.getText(2, 2), u"粘贴"); }},
      {ID_CLEAR, nullptr, [](T& t) { EXPECT_EQ(t.doc->mCore.getText(2, 2), u""); }},
      {ID_DELETE,
       [](T& t) {
         t.select({2, 0, 2, 0});
       },
       [](T& t) {
         EXPECT_EQ(t.doc->mCore.mRowCount, 9u);
         EXPECT_EQ(t.doc->mCore.getInt64(2, 1), 31);
       }},
      {ID_SELECT_ALL, nullptr,
       [](T& t) {
         EXPECT_EQ(t.doc->mSelection.range, (Range{0, 0, 0, 0}));
       }},
      {ID_INSERT1,
       [](T& t) {
         t.select({2, 0, 2, 0});
       },
       [](T& t) { EXPECT_EQ(t.doc->mCore.mRowCount, 11u); }},
      {ID_INSERT2,
       [](T& t) {
         t.select({2, 0, 2, 0});
       },
       [](T& t) { EXPECT_EQ(t.doc->mCore.mRowCount, 12u); }},
      {ID_RESTORE_SIZES,
       [](T& t) {
         t.doc->mCore.setInt64(0, 2, 150), t.select({0, 2, 0, 2});
       },
       [](T& t) { EXPECT_EQ(t.doc->mCore.getInt64(0, 2), 0); }},
      {ID_HIDE,
       [](T& t) {
         t.select({0, 2, 0, 2});
       },
       [](T& t) { EXPECT_NE(t.doc->mCore.mDatas[0][2].flag, 0); }},
      {ID_UNHIDE,
       [](T& t) {
         t.doc->mCore.mDatas[0][2].flag = 1, t.select({0, 1, 0, 3});
       },
       [](T& t) { EXPECT_EQ(t.doc->mCore.mDatas[0][2].flag, 0); }},
      {ID_FREEZE, nullptr, [](T& t) { EXPECT_FALSE(t.doc->mView.mPanes.empty()); }},
      {ID_ZOOM_IN, [](T& t) { t.doc->mView.setZoom(3.95); },
       [](T& t) { EXPECT_NEAR(t.doc->mView.mZoom, 4.10, 1e-9); }},
      {ID_ZOOM_OUT, [](T& t) { t.doc->mView.setZoom(0.26); },
       [](T& t) { EXPECT_NEAR(t.doc->mView.mZoom, 0.11, 1e-9); }},
      {ID_FILTER, nullptr, [](T& t) { EXPECT_TRUE(t.doc->mCore.mFilter.active()); }},
      {ID_SORT_UP,
       [](T& t) {
         t.select({1, 1, 3, 2});
       },
       [](T& t) { EXPECT_EQ(t.doc->mCore.getInt64(1, 1), 11); }},
      {ID_SORT_DOWN,
       [](T& t) {
         t.select({1, 1, 3, 2});
       },
       [](T& t) {
         EXPECT_EQ(t.doc->mCore.getInt64(1, 1), 31);
         EXPECT_EQ(t.doc->mCore.getInt64(1, 3), 13);  // outside the selection: stays
       }},
      {ID_BANDED_ROWS, nullptr, [](T& t) { EXPECT_EQ(t.doc->mCore.mAttrs[ATTR_BANDED_ROWS].value, 1u); }},
      {ID_ADD_ROWS, nullptr, [](T& t) { EXPECT_EQ(t.doc->mCore.mRowCount, 310u); }},
      {ID_ADD_COLS, nullptr, [](T& t) { EXPECT_EQ(t.doc->mCore.mColCount, 31u); }},
      {ID_TABLE_SIZE, nullptr, dialog(130)},
      {ID_GOTO, nullptr, dialog(151)},
      {ID_RUN_ALL, [](T& t) { t.script(5, 1, u"set(5,2,1+2)"); },
       [](T& t) { EXPECT_EQ(t.doc->mCore.getText(5, 2), u"3"); }},
      {ID_RUN_SELECTED,
       [](T& t) {
         t.script(5, 1, u"set(5,2,1+2)"), t.script(6, 1, u"set(6,2,1)"), t.select({5, 1, 5, 1});
       },
       [](T& t) {
         EXPECT_EQ(t.doc->mCore.getText(5, 2), u"3");
         EXPECT_EQ(t.doc->mCore.getText(6, 2), u"");
       }},
      {ID_KIND_EXPRTK, nullptr, [](T& t) { EXPECT_EQ(t.doc->mCore.cellAt(2, 2)->kind, CELL_EXPRTK); }},
      {ID_KIND_C, nullptr, [](T& t) { EXPECT_EQ(t.doc->mCore.cellAt(2, 2)->kind, CELL_TCC); }},
      {ID_KIND_PYTHON, nullptr, [](T& t) { EXPECT_EQ(t.doc->mCore.cellAt(2, 2)->kind, CELL_PYTHON); }},
      {ID_KIND_TEXT, [](T& t) { t.doc->onCommand(ID_KIND_PYTHON); },
       [](T& t) { EXPECT_EQ(t.doc->mCore.cellAt(2, 2)->kind, CELL_TEXT); }},
      {ID_FORMULA_SUM,
       [](T& t) {
         t.select({1, 1, 3, 1});
       },
       [](T& t) { EXPECT_EQ(t.doc->mCore.getText(4, 1), u"63"); }},
      {32932,
       [](T& t) {
         t.select({1, 1, 3, 1});
       },
       [](T& t) { EXPECT_EQ(t.doc->mCore.getText(4, 1), u"21"); }},
      {32933,
       [](T& t) {
         t.select({1, 1, 3, 1});
       },
       [](T& t) { EXPECT_EQ(t.doc->mCore.getText(4, 1), u"3"); }},
      {32934,
       [](T& t) {
         t.select({1, 1, 3, 1});
       },
       [](T& t) { EXPECT_EQ(t.doc->mCore.getText(4, 1), u"31"); }},
      {ID_FORMULA_MIN,
       [](T& t) {
         t.select({1, 1, 3, 1});
       },
       [](T& t) { EXPECT_EQ(t.doc->mCore.getText(4, 1), u"11"); }},
      {ID_ENC_ANSI, [](T& t) { t.doc->mCore.mSaveEncoding = ENC_UTF8; }, encoding(ENC_ANSI)},
      {ID_ENC_UTF8, nullptr, encoding(ENC_UTF8)},
      {ID_ENC_UTF8_NOBOM, nullptr, encoding(ENC_UTF8_NOBOM)},
      {ID_ENC_UTF16LE, nullptr, encoding(ENC_UTF16LE)},
      {ID_ENC_UTF16BE, nullptr, encoding(ENC_UTF16BE)},
      {ID_QUOTES_OFF, nullptr,
       [](T& t) {
         EXPECT_FALSE(gQuoteDetect);
         EXPECT_TRUE(checked(ID_QUOTES_OFF));
       }},
      {ID_QUOTES_ON, [](T& t) { setQuoteDetect(false); }, [](T& t) { EXPECT_TRUE(gQuoteDetect); }},
      {32887, nullptr,
       [](T& t) {
         const auto* call = t.answers->lastCall(u"ShellExecuteW");
         ASSERT_NE(call, nullptr);
         EXPECT_EQ(call->args.at(0), u"open");
         EXPECT_EQ(call->args.at(1), std::u16string(helpPagePath()));
         EXPECT_EQ(call->args.at(4), number(SW_SHOW));
       }},
      {32967, nullptr,
       [](T& t) {
         const auto* call = t.answers->lastCall(u"WinExec");
         ASSERT_NE(call, nullptr);
         EXPECT_EQ(call->args.at(0), u"cmd.exe");
       }},
      {32946, nullptr, [](T& t) { EXPECT_EQ(windowText(GetAncestor(GetFocus(), GA_ROOT)), u"系统脚本"); }},
      {32951, nullptr, nothing, false},
      {32956, [](T& t) { t.doc->onCommand(ID_NEW); },
       [](T& t) {
         for (CGrid* d : allDocuments()) {
           EXPECT_EQ(d->mBatchFilter, 1);
           EXPECT_EQ(d->mSelection.range, (Range{1, 1, 1, 1}));
         }
       }},
      {32957, openAs("b.csv"), saved("b.csv", "7,y\r\n")},
  };
  const char separators[] = {0, ',', '\t', ' ', ';', '|', '\\', ':'};
  for (UINT id = ID_SEPARATOR_AUTO; id <= ID_SEPARATOR_COLON; ++id)
    cases.push_back({id, [](T&) { setDefaultSeparator(32992); },
                     [id, separators](T&) {
                       EXPECT_EQ(gDefaultSeparator, separators[id - ID_SEPARATOR_AUTO]);
                       for (UINT other = ID_SEPARATOR_AUTO; other <= ID_SEPARATOR_COLON; ++other)
                         EXPECT_EQ(checked(other), other == id) << other;
                     }});
  // The modeless dialogs: find, replace and the tools come up over the main window.
  auto modeless = [](T&) { EXPECT_NE(GetAncestor(GetFocus(), GA_ROOT), gMainWnd); };
  for (UINT id : {32844u, 32847u, 32937u, 32944u, 32977u, 32972u, 32973u, 32974u, 32975u, 32979u})
    cases.push_back({id, nullptr, modeless});
  cases.push_back({32953, nullptr, [](T& t) { EXPECT_EQ(t.answers->callsOf(u"GetOpenFileNameW"), 1u); }});
  cases.push_back({ID_DELETE_DUPLICATES, nullptr, [](T& t) {  // one cell: no dialog
                     EXPECT_EQ(t.answers->callsOf(u"DialogBoxParamW"), 0u);
                     EXPECT_EQ(t.doc->mCore.getInt64(2, 2), 22);
                   }});
  cases.push_back({ID_DELETE_DUPLICATES,
                   [](T& t) {
                     t.select({1, 1, 3, 3});
                   },
                   [](T& t) { EXPECT_EQ(t.answers->callsOf(u"DialogBoxParamW"), 1u); }});
  // Find and replace without a text to look for, and the one-cell delete-duplicates.
  const std::vector<UINT> later = {32845, 32846, 32848, 32849};
  std::vector<UINT> covered;
  auto run = [&](const Case& c) {
    SCOPED_TRACE(c.id);
    testdriver::AnswerScript script;
    answers = &script;
    startWithSheet();
    if (c.before) c.before(*this);
    pump();
    EXPECT_EQ(choose(c.id), c.chosen);
    c.after(*this);
    covered.push_back(c.id);
    TearDown();
    SetUp();
  };
  for (const Case& c : cases) run(c);
  for (UINT id : later) run(Case{id, nullptr, [](T&) {}});
  // Every command of the menu has a row and was chosen above.
  start();
  for (UINT id : menuCommands(GetMenu(gMainWnd))) {
    EXPECT_NE(findCommand(id), nullptr) << id;
    EXPECT_NE(std::find(covered.begin(), covered.end(), id), covered.end()) << id;
  }
}

// The edge cases of the rules of the table: sort scope, open, save all, batch filter.
TEST_F(CommandTableTest, SortScopeOpenSaveAllAndBatchFilterRules) {
  testdriver::AnswerScript script;
  answers = &script;
  startWithSheet();
  // One cell: nothing sorts, nothing is asked.
  select({2, 2, 2, 2});
  choose(ID_SORT_DOWN);
  EXPECT_EQ(doc->mCore.getInt64(1, 1), 11);
  EXPECT_EQ(answers->callsOf(u"DialogBoxParamW"), 0u);
  // One column: the scope question; cancelled, the sheet stays.
  script.answer(u"DialogBoxParamW", IDCANCEL);
  select({1, 3, 3, 3});
  choose(ID_SORT_DOWN);
  EXPECT_EQ(answers->lastCall(u"DialogBoxParamW")->args.at(0), u"131");
  EXPECT_EQ(doc->mCore.getInt64(1, 3), 13);

  // Open three files of which the first is open: two new tabs, the last one current.
  for (const char* name : {"a.csv", "b.csv", "c.csv"}) testsupport::writeBytes(dir.native(name), "1\n");
  openPath(dir.path("a.csv"));
  gTabStrip.activate(0);
  script.answer(u"GetOpenFileNameW", 1, {dir.path("a.csv"), dir.path("b.csv"), dir.path("c.csv")});
  choose(ID_OPEN);
  EXPECT_EQ(titles(), (std::vector<std::u16string>{u"新表格", u"a.csv", u"b.csv", u"c.csv"}));
  EXPECT_EQ(gTabStrip.current, 3);
  // One file that is open: its tab becomes current.
  script.answer(u"GetOpenFileNameW", 1, {dir.path("a.csv")});
  choose(ID_OPEN);
  EXPECT_EQ(gTabStrip.current, 1);
  EXPECT_EQ(gTabStrip.tabs.size(), 4u);

  // Batch filter with the first tab current: the others take its selection.
  gTabStrip.activate(0);
  select({0, 2, 0, 2});
  choose(32956);
  for (CGrid* d : allDocuments()) {
    EXPECT_EQ(d->mSelection.range, (Range{0, 2, 0, 2}));
    EXPECT_EQ(d->mBatchFilter, 1);
  }

  // Save all with a never-saved table whose save dialog is cancelled: it stays a new
  // table; a modified file is written.
  gTabStrip.tabs[0].modified = 1;
  gTabStrip.activate(2);
  currentDocument()->mCore.setText(1, 1, u"changed");
  gTabStrip.tabs[2].modified = 1;
  script.answer(u"GetSaveFileNameW", 0);
  choose(32939);
  EXPECT_EQ(gTabStrip.tabs[0].title, u"新表格");
  EXPECT_TRUE(gTabStrip.tabs[0].path.empty());
  EXPECT_EQ(testsupport::readBytes(dir.native("b.csv")), "changed\r\n");
  EXPECT_FALSE(gTabStrip.tabs[2].modified);
}

TEST_F(CommandTableTest, AcceleratorsReachTheirCommandsFromAGridAndFromTheMainWindow) {
  struct Case {
    const char* name;
    int vk;
    unsigned modifiers;
    UINT id;
  } cases[] = {
      {"Alt+Enter", VK_RETURN, testdriver::Alt, 32875},
      {"Ctrl+Alt+F", 'F', testdriver::Ctrl | testdriver::Alt, 32838},
      {"Ctrl+Alt+P", 'P', testdriver::Ctrl | testdriver::Alt, 32831},
      {"Alt+O", 'O', testdriver::Alt, 32899},
      {"Alt+Shift+A", 'A', testdriver::Alt | testdriver::Shift, 32849},
      {"Alt+Shift+R", 'R', testdriver::Alt | testdriver::Shift, 32848},
      {"F5", VK_F5, 0, 32888},
      {"F8", VK_F8, 0, 32889},
      {"Ctrl+Alt+S", 'S', testdriver::Ctrl | testdriver::Alt, 32814},
      {"Ctrl+Alt+R", 'R', testdriver::Ctrl | testdriver::Alt, 32843},
      {"Alt+A", 'A', testdriver::Alt, 32839},
      {"Alt+D", 'D', testdriver::Alt, 32840},
      {"Alt+/", VK_OEM_2, testdriver::Alt, 104},
      {"Alt+?", VK_OEM_2, testdriver::Alt | testdriver::Shift, 104},
      {"Ctrl+Shift+S", 'S', testdriver::Ctrl | testdriver::Shift, 32939},
  };
  start();
  HACCEL table = LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(109));
  ASSERT_EQ(CopyAcceleratorTableW(table, nullptr, 0), 15);
  // Which command each keystroke becomes, at the window that has the focus: the grid's
  // procedure sees it first and hands on what it does not take.
  std::vector<std::pair<HWND, UINT>> seen;
  const WNDPROC gridProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(currentDocument()->mHwnd, GWLP_WNDPROC));
  static std::vector<std::pair<HWND, UINT>>* sSeen;
  static WNDPROC sGrid, sMain;
  sSeen = &seen, sGrid = gridProc;
  sMain = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(gMainWnd, GWLP_WNDPROC));
  auto spy = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (h == gMainWnd && m == WM_SETFOCUS) return 0;  // keeps the keyboard here
    if (m == WM_COMMAND) {
      sSeen->push_back({h, LOWORD(w)});
      return 0;  // seen, not run
    }
    return (h == gMainWnd ? sMain : sGrid)(h, m, w, l);
  };
  SetWindowLongPtrW(currentDocument()->mHwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+spy));
  SetWindowLongPtrW(gMainWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+spy));
  for (HWND focus : {currentDocument()->mHwnd, gMainWnd}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      seen.clear();
      SetFocus(focus);
      keys(c.vk, c.modifiers);
      ASSERT_EQ(seen.size(), 1u);
      EXPECT_EQ(seen[0].first, focus);
      EXPECT_EQ(seen[0].second, c.id);
    }
  }
  SetWindowLongPtrW(currentDocument()->mHwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(sGrid));
  SetWindowLongPtrW(gMainWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(sMain));
}

TEST_F(CommandTableTest, SaveAllAndAboutFromAGridReachTheMainWindow) {
  testdriver::AnswerScript script;
  answers = &script;
  startWithSheet();
  testsupport::writeBytes(dir.native("k.csv"), "x\n");
  doc->open(dir.path("k.csv"));
  gTabStrip.renameCurrent(dir.path("k.csv"));
  doc->mCore.setText(1, 1, u"y");
  doc->onCommand(ID_BANDED_ROWS);
  pump();
  ASSERT_TRUE(gTabStrip.tabs[0].modified);
  SetFocus(doc->mHwnd);
  keys('S', testdriver::Ctrl | testdriver::Shift);
  EXPECT_EQ(testsupport::readBytes(dir.native("k.csv")), "y\r\n");
  EXPECT_FALSE(gTabStrip.tabs[0].modified);
}

// 打开命令行窗口 says so in a message box over the main window when no terminal came up.
TEST_F(CommandTableTest, TheCommandWindowSaysWhenNoTerminalStarts) {
  struct Case {
    const char* what;
    LONG_PTR started;         // what WinExec returns
    const char16_t* message;  // null: no message
  } cases[] = {
      {"a terminal started", 33, nullptr},
      {"no terminal program", ERROR_FILE_NOT_FOUND,
       u"打开命令行窗口失败：找不到终端程序（x-terminal-emulator 或 xterm）"},
      {"it could not be started", 8, u"打开命令行窗口失败"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testdriver::AnswerScript script;
    answers = &script;
    start();
    script.answer(u"WinExec", c.started);
    script.answer(u"MessageBoxW", IDOK);
    EXPECT_TRUE(choose(32967));
    const platform::BlockingCall* box = answers->lastCall(u"MessageBoxW");
    if (!c.message) {
      EXPECT_EQ(box, nullptr);
    } else {
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->args.at(0), c.message);
      EXPECT_EQ(box->args.at(1), u"Morvel");
      EXPECT_EQ(box->owner, gMainWnd);
    }
    TearDown();
    SetUp();
  }
}

TEST_F(CommandTableTest, CommandsDoNothingWhileInputIsOff) {
  startWithSheet();
  gInputEnabled = false;
  EXPECT_TRUE(choose(ID_ADD_ROWS));
  EXPECT_TRUE(choose(ID_NEW));
  SendMessageW(gMainWnd, WM_COMMAND, 105, 0);
  gInputEnabled = true;
  EXPECT_EQ(doc->mCore.mRowCount, 10u);
  EXPECT_EQ(gTabStrip.tabs.size(), 1u);
  EXPECT_NE(gMainWnd, nullptr);
}

TEST_F(CommandTableTest, WithoutATabTheDocumentCommandsAreGreyedAndTheirKeysDoNothing) {
  testdriver::AnswerScript script;
  answers = &script;
  start();
  gTabStrip.closeTab(0);
  pump();
  ASSERT_TRUE(gTabStrip.tabs.empty());
  const std::vector<UINT> all = menuCommands(GetMenu(gMainWnd));
  for (UINT id : all) {
    EXPECT_EQ(greyed(id), isDocumentCommand(id) || id == 32951) << id;
    if (isDocumentCommand(id)) EXPECT_FALSE(platform::chooseMenuCommand(gMainWnd, id)) << id;
  }
  keys(VK_F5);
  keys('S', testdriver::Ctrl | testdriver::Alt);
  keys('S', testdriver::Ctrl | testdriver::Shift);
  EXPECT_TRUE(script.calls().empty());
  // What needs no document still works: help by its menu item, a new table by its own.
  EXPECT_TRUE(choose(32887));
  EXPECT_EQ(answers->callsOf(u"ShellExecuteW"), 1u);
  EXPECT_TRUE(choose(ID_NEW));
  ASSERT_EQ(gTabStrip.tabs.size(), 1u);
  for (UINT id : all) EXPECT_EQ(greyed(id), id == 32951) << id;
}
