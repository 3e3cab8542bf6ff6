// The file merge and split dialogs over a plain host window, driven as a user would: the
// driver answers the file and folder choosers, types into the edits and clicks buttons;
// the pump runs until the worker has ended.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/FileMerge.h"
#include "app/FileSplit.h"
#include "platform/testdriver/AnswerScript.h"
#include "platform/testdriver/Driver.h"
#include "platform/windows.h"
#include "platform/xl/xl.h"
#include "tests/support/Picture.h"
#include "tests/support/Scratch.h"

class FileToolTest : public testing::Test {
 protected:
  void SetUp() override {
    testdriver::reset();
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"FileToolHost";
    RegisterClassW(&wc);
    host = CreateWindowExW(0, u"FileToolHost", u"", WS_POPUP | WS_VISIBLE, 20, 20, 900, 700, nullptr, nullptr,
                           nullptr, nullptr);
    testdriver::pumpUntilIdle();
  }
  void TearDown() override {
    DestroyWindow(host);  // takes the dialogs it owns along
    testdriver::pumpUntilIdle();
    EXPECT_EQ(gMergeTasks.size(), 0u);
    EXPECT_EQ(gSplitTasks.size(), 0u);
  }

  // A click on the control's centre, then the pump.
  void click(HWND dialog, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    testdriver::click(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    testdriver::pumpUntilIdle();
  }
  // Replaces the edit's text by typing.
  void type(HWND dialog, int id, const std::u16string& text) {
    HWND edit = GetDlgItem(dialog, id);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_CLEAR, 0, 0);
    testdriver::typeText(text);
    testdriver::pumpUntilIdle();
  }
  std::u16string text(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    std::u16string s(size_t(GetWindowTextLengthW(control)) + 1, u'\0');
    s.resize(size_t(GetWindowTextW(control, s.data(), int(s.size()))));
    return s;
  }
  // Pumps until button 3 is enabled again (the worker ended); false after 30 s.
  bool waitEnded(HWND dialog) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      testdriver::pumpUntilIdle();
      if (IsWindowEnabled(GetDlgItem(dialog, IDABORT))) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }
  // Adds files through button 1008.
  void addFiles(HWND dialog, const std::vector<std::u16string>& paths) {
    answers.answer(u"GetOpenFileNameW", 1, paths);
    click(dialog, 1008);
  }
  // Adds a folder's files through button 1011.
  void addFolder(HWND dialog, const std::u16string& folder) {
    answers.answer(u"SHBrowseForFolderW", 1, {folder});
    click(dialog, 1011);
  }
  std::vector<std::u16string> listed(HWND dialog) {
    std::vector<std::u16string> out;
    const int n = int(SendDlgItemMessageW(dialog, 1095, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      std::u16string s(size_t(SendDlgItemMessageW(dialog, 1095, LB_GETTEXTLEN, WPARAM(i), 0)) + 1, u'\0');
      s.resize(size_t(SendDlgItemMessageW(dialog, 1095, LB_GETTEXT, WPARAM(i), LPARAM(s.data()))));
      out.push_back(s);
    }
    return out;
  }
  // The message boxes shown so far: their texts, in order.
  std::vector<std::u16string> messages() const {
    std::vector<std::u16string> out;
    for (const auto& record : answers.calls())
      if (record.call.kind == u"MessageBoxW") out.push_back(record.call.args[0]);
    return out;
  }
  std::u16string path(const std::string& name) const { return dir.path(name); }
  void write(const std::string& name, const std::string& bytes) {
    testsupport::writeBytes(dir.native(name), bytes);
  }
  std::string read(const std::string& name) const { return testsupport::readBytes(dir.native(name)); }
  bool exists(const std::string& name) const { return fileExists(dir.path(name)); }
  // A workbook whose first sheet holds `rows` of texts.
  void workbook(const std::string& name, const std::vector<std::vector<std::u16string>>& rows) {
    xl::Book* book = xlCreateXMLBookW();
    xl::Sheet* sheet = book->addSheet(u"Sheet1");
    for (size_t r = 0; r < rows.size(); ++r)
      for (size_t c = 0; c < rows[r].size(); ++c) sheet->writeStr(int(r), int(c), rows[r][c].c_str());
    ASSERT_TRUE(book->save(path(name).c_str()));
    book->release();
  }

  // Saves the dialog's picture for the eye; the count of dark (text) pixels inside the
  // control's area, as a probe that it shows something.
  int saveAndProbe(HWND dialog, const std::string& name, int id) {
    EXPECT_TRUE(testdriver::saveWindowPng(dialog, testsupport::picturePath("app", name).string()));
    const Surface pixels = testdriver::windowPixels(dialog);
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    int dark = 0;
    for (int y = r.top - origin.y + 2; y < r.bottom - origin.y - 2; ++y)
      for (int x = r.left - origin.x + 2; x < r.right - origin.x - 2; ++x)
        if (x >= 0 && y >= 0 && x < pixels.width && y < pixels.height && (pixels.row(y)[x] & 0xFF) < 0x60) ++dark;
    return dark;
  }

  testsupport::ScratchDir dir;
  testdriver::AnswerScript answers;
  HWND host = nullptr;
};
