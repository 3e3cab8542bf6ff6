// Edit controls as the dialogs use them: text in and out, selection by
// EM_SETSEL and by keys and mouse, typing and deleting, the clipboard keys,
// the limit, styles that filter characters, read-only, multi-line lines,
// undo, the caret, and EN_* notifications.
#include "tests/platform/controls/ControlsFixture.h"

using namespace ctltest;
using testdriver::Ctrl;
using testdriver::Shift;
using Codes = std::vector<WORD>;

namespace {

class EditTest : public ControlTest {
 protected:
  HWND edit(DWORD style = ES_AUTOHSCROLL, LPCWSTR text = u"") {
    return child(u"Edit", text, style, 10, 10, 200, 22, 1003, WS_EX_CLIENTEDGE);
  }
  // Focuses the edit and forgets the notifications so far.
  void focus(HWND e) {
    SetFocus(e);
    clearCommands();
  }
  std::pair<DWORD, DWORD> sel(HWND e) {
    DWORD s = 0, t = 0;
    SendMessageW(e, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&t));
    return {s, t};
  }
  void setClipboard(const std::u16string& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_DDESHARE, 2 * text.size() + 2);
    std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<char16_t*>(GlobalLock(block)));
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
  }
  std::u16string clipboard() {
    std::u16string s;
    if (!OpenClipboard(nullptr)) return s;
    if (auto h = static_cast<HGLOBAL>(GetClipboardData(CF_UNICODETEXT))) {
      s = static_cast<const char16_t*>(GlobalLock(h));
      GlobalUnlock(h);
    }
    CloseClipboard();
    return s;
  }
};

}  // namespace

TEST_F(EditTest, TextGoesInAndOutAndASingleLineEditReportsIt) {
  HWND e = edit(ES_AUTOHSCROLL, u"1");
  EXPECT_EQ(textOf(e), u"1");
  SetWindowTextW(e, u"文件路径");
  EXPECT_EQ(GetWindowTextLengthW(e), 4);
  char16_t small[3];
  EXPECT_EQ(GetWindowTextW(e, small, 3), 2);  // cut to the buffer, NUL-terminated
  EXPECT_EQ(std::u16string(small), u"文件");
  EXPECT_EQ(codes(1003), (Codes{EN_UPDATE, EN_CHANGE}));
  EXPECT_EQ(sel(e), (std::pair<DWORD, DWORD>{0, 0}));

  HWND m = child(u"Edit", u"", ES_MULTILINE, 10, 40, 200, 80, 1004);
  clearCommands();
  SetWindowTextW(m, u"a\r\nb");
  EXPECT_TRUE(codes(1004).empty());  // a multi-line edit stays silent
}

TEST_F(EditTest, EmSetSelFollowsThePlatformsRules) {
  struct Case {
    int start, end;
    DWORD wantStart, wantEnd;
  };
  const Case cases[] = {
      {0, -1, 0, 6},                 // select all
      {2, 4, 2, 4},   {4, 2, 2, 4},  // reversed: the lower value starts it
      {3, 100, 3, 6},                // clamped to the text
      {-1, 0, 6, 6},                 // start -1: no selection, the caret stays (where the case before put it)
      {6, 6, 6, 6},
  };
  HWND e = edit(ES_AUTOHSCROLL, u"abc中文d");
  for (const Case& c : cases) {
    SendMessageW(e, EM_SETSEL, static_cast<WPARAM>(c.start), static_cast<LPARAM>(c.end));
    EXPECT_EQ(sel(e), (std::pair<DWORD, DWORD>{c.wantStart, c.wantEnd})) << c.start << "," << c.end;
  }
  SendMessageW(e, EM_SETSEL, 1, 3);
  EXPECT_EQ(SendMessageW(e, EM_GETSEL, 0, 0), MAKELONG(1, 3));
  EXPECT_TRUE(codes(1003).size() <= 2);  // only the creation text's; EM_SETSEL is silent
}

TEST_F(EditTest, PostedSelectAllReachesTheEdit) {
  HWND e = edit(ES_AUTOHSCROLL, u"1");
  PostMessageW(e, EM_SETSEL, 0, -1);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(sel(e), (std::pair<DWORD, DWORD>{0, 1}));
}

TEST_F(EditTest, TypingDeletingAndMovingWithTheKeys) {
  HWND e = edit();
  focus(e);
  type(u"abc");
  EXPECT_EQ(textOf(e), u"abc");
  EXPECT_EQ(codes(1003), (Codes{EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE}));
  press(VK_LEFT, Shift);
  press(VK_LEFT, Shift);
  EXPECT_EQ(sel(e), (std::pair<DWORD, DWORD>{1, 3}));
  type(u"中");
  EXPECT_EQ(textOf(e), u"a中");
  press(VK_HOME);
  press(VK_DELETE);
  EXPECT_EQ(textOf(e), u"中");
  press(VK_END);
  press(VK_BACK);
  EXPECT_EQ(textOf(e), u"");
  clearCommands();
  press(VK_BACK);  // nothing to delete: no notification
  EXPECT_TRUE(codes(1003).empty());
  type(u"one two");
  press(VK_LEFT, Ctrl);
  EXPECT_EQ(sel(e), (std::pair<DWORD, DWORD>{4, 4}));
  press('A', Ctrl);
  EXPECT_EQ(sel(e), (std::pair<DWORD, DWORD>{0, 7}));
  press(VK_RETURN);  // a single-line edit takes no line break
  EXPECT_EQ(textOf(e), u"one two");
}

TEST_F(EditTest, ClipboardKeysCopyCutAndPaste) {
  HWND e = edit(ES_AUTOHSCROLL, u"hello 世界");
  focus(e);
  SendMessageW(e, EM_SETSEL, 6, 8);
  press('C', Ctrl);
  EXPECT_EQ(clipboard(), u"世界");
  SendMessageW(e, EM_SETSEL, 0, 5);
  press('X', Ctrl);
  EXPECT_EQ(textOf(e), u" 世界");
  EXPECT_EQ(clipboard(), u"hello");
  press(VK_END);
  press('V', Ctrl);
  EXPECT_EQ(textOf(e), u" 世界hello");
  setClipboard(u"line1\r\nline2");
  SendMessageW(e, EM_SETSEL, 0, -1);
  press(VK_INSERT, Shift);
  EXPECT_EQ(textOf(e), u"line1");  // a single-line edit keeps the first line
  SendMessageW(e, EM_SETSEL, 0, 4);
  SendMessageW(e, WM_COPY, 0, 0);
  EXPECT_EQ(clipboard(), u"line");
  press('Z', Ctrl);  // one level of undo: the paste
  EXPECT_EQ(textOf(e), u" 世界hello");

  HWND m = child(u"Edit", u"", ES_MULTILINE | ES_WANTRETURN, 10, 40, 200, 80, 1004);
  SetFocus(m);
  setClipboard(u"line1\r\nline2");
  press('V', Ctrl);
  EXPECT_EQ(textOf(m), u"line1\r\nline2");
}

TEST_F(EditTest, TheLimitCutsTypingAndPastingAndSaysSo) {
  HWND e = edit();
  SendMessageW(e, EM_LIMITTEXT, 5, 0);
  EXPECT_EQ(SendMessageW(e, EM_GETLIMITTEXT, 0, 0), 5);
  focus(e);
  type(u"1234567");
  EXPECT_EQ(textOf(e), u"12345");
  EXPECT_EQ(codes(1003).back(), EN_MAXTEXT);
  SendMessageW(e, EM_SETSEL, 0, 2);
  SendMessageW(e, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(u"abcd"));
  EXPECT_EQ(textOf(e), u"ab345");          // replacing two units leaves room for two
  SetWindowTextW(e, u"longer than five");  // the limit is for the user, not the program
  EXPECT_EQ(textOf(e), u"longer than five");
}

TEST_F(EditTest, StylesFilterAndReadOnlyRefusesEdits) {
  struct Case {
    const char* name;
    DWORD style;
    std::u16string typed, result;
  };
  const Case cases[] = {
      {"number", ES_NUMBER, u"1a2-3", u"123"},
      {"upper case", ES_UPPERCASE, u"abC1", u"ABC1"},
      {"lower case", ES_LOWERCASE, u"AbC", u"abc"},
      {"read-only", ES_READONLY, u"abc", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND e = edit(c.style);
    focus(e);
    type(c.typed);
    EXPECT_EQ(textOf(e), c.result);
    DestroyWindow(e);
  }
  HWND ro = edit(ES_READONLY, u"只读");
  focus(ro);
  press('A', Ctrl);
  press('C', Ctrl);
  press('X', Ctrl);
  EXPECT_EQ(clipboard(), u"只读");  // copy works, cut does not remove
  EXPECT_EQ(textOf(ro), u"只读");
  EXPECT_TRUE(codes(1003).empty());
}

TEST_F(EditTest, MultiLineLinesAndTheCaretNeverInsideALineBreak) {
  HWND m = child(u"Edit", u"", ES_MULTILINE | ES_WANTRETURN, 10, 40, 200, 100, 1004);
  SetFocus(m);
  type(u"ab");
  press(VK_RETURN);
  type(u"cde");
  EXPECT_EQ(textOf(m), u"ab\r\ncde");
  EXPECT_EQ(SendMessageW(m, EM_GETLINECOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageW(m, EM_LINEINDEX, 1, 0), 4);
  EXPECT_EQ(SendMessageW(m, EM_LINEFROMCHAR, 5, 0), 1);
  press(VK_UP);
  EXPECT_EQ(sel(m), (std::pair<DWORD, DWORD>{2, 2}));  // the first line is shorter: its end
  press(VK_RIGHT);
  EXPECT_EQ(sel(m), (std::pair<DWORD, DWORD>{4, 4}));  // CR LF moves as one
  SendMessageW(m, EM_SETSEL, 3, 3);                    // between CR and LF
  EXPECT_EQ(sel(m), (std::pair<DWORD, DWORD>{2, 2}));
  press(VK_DELETE);
  EXPECT_EQ(textOf(m), u"abcde");  // the whole line break goes
}

TEST_F(EditTest, TheMousePlacesExtendsAndSelectsWords) {
  HWND e = edit(ES_AUTOHSCROLL, u"alpha beta");
  clickAt(e, 190, 10);  // right of the text: at the end, and focused
  EXPECT_EQ(GetFocus(), e);
  EXPECT_EQ(sel(e), (std::pair<DWORD, DWORD>{10, 10}));
  clickAt(e, 1, 10);
  EXPECT_EQ(sel(e), (std::pair<DWORD, DWORD>{0, 0}));
  testdriver::keyDown(VK_SHIFT);
  clickAt(e, 190, 10);
  testdriver::keyUp(VK_SHIFT);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(sel(e), (std::pair<DWORD, DWORD>{0, 10}));
  testdriver::advance(1000);  // no double click with the clicks before
  testdriver::doubleClick(at(e, 185, 10));
  testdriver::pumpUntilIdle();
  EXPECT_EQ(sel(e), (std::pair<DWORD, DWORD>{6, 10}));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(EditTest, TheCaretBelongsToTheFocusedEdit) {
  HWND a = edit(ES_AUTOHSCROLL, u"abc");
  HWND b = child(u"Edit", u"", ES_AUTOHSCROLL, 10, 40, 200, 22, 1004);
  SetFocus(a);
  EXPECT_EQ(platform::caretState().owner, a);
  EXPECT_TRUE(platform::caretState().visible);
  SetFocus(b);
  EXPECT_EQ(platform::caretState().owner, b);
  EXPECT_EQ(codes(1003), (Codes{EN_SETFOCUS, EN_KILLFOCUS}));
  EXPECT_EQ(codes(1004), (Codes{EN_SETFOCUS}));
  SetFocus(parent);
  EXPECT_EQ(platform::caretState().owner, nullptr);
}
