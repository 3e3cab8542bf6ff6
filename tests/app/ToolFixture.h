// The data tools across tables, driven as a user drives them: tables open in tabs of the
// strip in a main window, tool dialogs made by their commands' entry functions, combo
// texts typed, buttons clicked, message boxes answered and recorded.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ColumnPick.h"
#include "app/FindMatchTool.h"
#include "app/TwoTableTool.h"
#include "controls/ControlClass.h"
#include "controls/InputState.h"
#include "controls/TabStrip.h"
#include "grid/Documents.h"
#include "grid/Grid.h"
#include "grid/GridStats.h"
#include "platform/testdriver/AnswerScript.h"
#include "platform/testdriver/Driver.h"
#include "tests/store/SheetFixture.h"
#include "tests/support/GdiplusSuite.h"
#include "tests/support/Picture.h"
#include "tests/support/Scratch.h"
#include "tests/support/TabStripHost.h"

// The tool dialogs a test left open are destroyed and their inputs forgotten.
inline void closeToolDialogs() {
  for (HWND dialog : {gFindMatch.mDialog, gTwoTable.mDialog, gColumnPick.mDialog})
    if (dialog && IsWindow(dialog)) DestroyWindow(dialog);
  gFindMatch = FindMatchInput{};
  gTwoTable = TwoTableInput{};
  gColumnPick = ColumnPickState{};
}

class ToolTest : public testsupport::GdiplusSuite {
 protected:
  void SetUp() override {
    testdriver::reset();
    gInputEnabled = true;
    main = testsupport::createHostWindow(u"ToolMain", 20, 20, 900, 560);
    gMainWnd = main;
    testsupport::createTabStrip(main, 900, 560);
    testdriver::pumpUntilIdle();
  }
  void TearDown() override {
    closeToolDialogs();
    stopStats();
    DestroyWindow(main);
    testdriver::pumpUntilIdle();
    gTabStrip.tabs.clear();
    gTabStrip.current = -1;
    gTabStrip.firstVisible = 0;
    gTabStrip.hwnd = nullptr;
    gMainWnd = nullptr;
    gInputEnabled = true;
  }

  // A new tab titled `title` holding the table (cells typed as a user types them).
  CGrid* table(const std::u16string& title, const Table& cells) {
    CGrid* document = openInNewTab(u"");
    fillSheet(document->mCore, cells);
    notifyRefresh(&document->mView);
    gTabStrip.tabs.back().title = title;
    gTabStrip.invalidate();
    testdriver::pumpUntilIdle();
    return document;
  }
  // A file of these bytes opened into a new tab through the program.
  CGrid* file(const std::string& name, const std::string& bytes) {
    testsupport::writeBytes(dir.native(name), bytes);
    openPath(dir.path(name));
    testdriver::pumpUntilIdle();
    return currentDocument();
  }

  // Closes every tab, a modified one without saving.
  void closeAllTabs() {
    testdriver::AnswerScript answers;
    while (!gTabStrip.tabs.empty()) {
      answers.answer(u"MessageBoxW", IDNO);
      gTabStrip.closeTab(static_cast<int32_t>(gTabStrip.tabs.size() - 1));
      testdriver::pumpUntilIdle();
    }
  }
  HWND item(HWND dialog, int id) { return GetDlgItem(dialog, id); }
  // Types `text` into the field (a combo's edit part or an edit) in place of its text.
  void type(HWND dialog, int id, const std::u16string& text) {
    HWND field = item(dialog, id);
    if (HWND edit = GetDlgItem(field, kComboEditId)) field = edit;
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
    SendMessageW(field, WM_CLEAR, 0, 0);
    testdriver::typeText(text);
    testdriver::pumpUntilIdle();
  }
  std::u16string text(HWND dialog, int id) {
    char16_t buffer[1024] = {};
    GetDlgItemTextW(dialog, id, buffer, 1024);
    return buffer;
  }
  // A click in the middle of the control.
  void press(HWND dialog, int id) {
    RECT r{};
    GetWindowRect(item(dialog, id), &r);
    testdriver::advance(1000);
    testdriver::click(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    testdriver::pumpUntilIdle();
  }
  // The texts of the message boxes shown since the script was made, with their captions.
  static std::vector<std::string> messages(const testdriver::AnswerScript& answers) {
    std::vector<std::string> out;
    for (const auto& record : answers.calls())
      if (record.call.kind == u"MessageBoxW") out.push_back(u8(record.call.args[1] + u"|" + record.call.args[0]));
    return out;
  }
  static int tabIndex(const CGrid* document) {
    for (size_t i = 0; i < gTabStrip.tabs.size(); ++i)
      if (gTabStrip.tabs[i].document == document) return static_cast<int>(i);
    return -1;
  }
  // A click on a grid after activating its tab: a column header (row 0), a row header
  // (col 0) or a cell, at zoom 1 without scrolling.
  void clickGrid(CGrid* document, int32_t row, int32_t col) {
    gTabStrip.activate(tabIndex(document));
    testdriver::pumpUntilIdle();
    const int rw = document->mView.rowHeaderWidth();
    const int x = col == 0 ? rw / 2 : rw + 74 * (col - 1) + 37;
    const int y = row == 0 ? 10 : 20 + 18 * (row - 1) + 9;
    testdriver::advance(1000);
    testdriver::click(testdriver::screenPoint(document->mHwnd, x, y));
    testdriver::pumpUntilIdle();
  }
  bool visible(HWND dialog) { return IsWindowVisible(dialog); }
  bool modified(const CGrid* document) { return gTabStrip.tabs[tabIndex(document)].modified != 0; }
  // Pixels of the control that are dark in all three channels (drawn text).
  int darkPixels(HWND dialog, int id) {
    const Surface pixels = testdriver::windowPixels(item(dialog, id));
    int n = 0;
    for (uint32_t p : pixels.pixels)
      if (((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60) ++n;
    return n;
  }
  void savePicture(HWND dialog, const std::string& name) {
    EXPECT_TRUE(testdriver::saveWindowPng(dialog, testsupport::picturePath("app", name).string()));
  }

  HWND main = nullptr;
  testsupport::ScratchDir dir;
};
