// A script editor continues lexing from where its last paint's view began: after typing,
// scrolling and edits below, at and above that line, its window shows pixel for pixel what
// a fresh editor with the same text, scroll and selection shows.
#include "tests/controls/EditorFixture.h"

using namespace editor_test;

namespace {

// A C script whose names, comments and strings cross the lines of a scrolled view.
std::u16string script() {
  std::u16string s =
      u"typedef struct Cell { int row; } Cell;\n"
      u"#define LIMIT 10\n"
      u"enum Mode { FAST,\n"
      u"  SLOW };\n"
      u"static int weigh(Cell *c, int n);\n";
  for (int i = 0; i < 40; ++i) {
    s += i % 7 == 3 ? u"/* a comment\n   over two lines */ x = FAST;\n" : u"Cell c; weigh(&c, LIMIT); p = weigh;\n";
    if (i % 11 == 5) s += u"const char *s = \"open \\\n  still\";\n";
  }
  return s;
}

class EditorResume : public EditorTest {
 protected:
  void SetUp() override {
    open(EditorPlace{10, 10, 240, 120, 1}, [](CCText& e) {
      e.lineNumbers = true;
      e.language = TEXT_C;
    });
    fill(script(), 0);
  }

  // Index of the start of line `line` (0-based) plus `column`.
  size_t indexOf(int line, int column) const {
    size_t i = 0;
    for (int l = 0; l < line; ++l) i = text().find(u'\n', i) + 1;
    return i + column;
  }

  // The caret before (line, column), then `typed` through the keyboard.
  void typeAt(int line, int column, std::u16string_view typed) {
    ed->caret = indexOf(line, column);
    ed->selection = selectionAt(ed->caret);
    ed->updateCaret();
    type(typed);
  }

  // A replacement above the view with no paint before the next scrollTo (no caret move).
  void replaceAt(int line, size_t removed, const std::u16string& with) {
    ed->history.replaceText(indexOf(line, 0), removed, with);
    ed->onTextChanged();
  }

  void scrollTo(int line) {
    ed->scrollY = line * kLineHeight;
    InvalidateRect(hwnd(), nullptr, FALSE);
    testdriver::pumpUntilIdle();
  }

  // The editor's pixels equal those of a fresh editor beside it showing the same state.
  void expectSameAsFresh(const std::string& where) {
    CCText fresh;
    fresh.font = ed->font;
    fresh.language = ed->language;
    fresh.lineNumbers = true;
    fresh.cColours = ed->cColours;
    RECT r{};
    GetWindowRect(hwnd(), &r);
    fresh.create(host, 10, 150, r.right - r.left, r.bottom - r.top, 1);  // beside, not over it
    fresh.setText(text());
    fresh.scrollX = ed->scrollX;
    fresh.scrollY = ed->scrollY;
    fresh.caret = ed->caret;
    fresh.selection = ed->selection;
    SetFocus(host);  // neither shows a caret
    InvalidateRect(hwnd(), nullptr, FALSE);
    InvalidateRect(fresh.hwnd, nullptr, FALSE);
    testdriver::pumpUntilIdle();
    const Surface a = testdriver::windowPixels(hwnd());
    const Surface b = testdriver::windowPixels(fresh.hwnd);
    DestroyWindow(fresh.hwnd);
    SetFocus(hwnd());
    testdriver::pumpUntilIdle();
    ASSERT_EQ(a.width, b.width) << where;
    ASSERT_EQ(a.height, b.height) << where;
    size_t differing = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) differing += a.pixels[i] != b.pixels[i];
    EXPECT_EQ(differing, 0u) << where;
  }
};

TEST_F(EditorResume, EditsAroundTheFirstVisibleLinePaintAsAFreshEditor) {
  scrollTo(20);
  expectSameAsFresh("scrolled");
  typeAt(22, 4, u"x");  // below the first visible line
  expectSameAsFresh("typed below");
  typeAt(20, 0, u"/*");  // at its start: a comment opened at the view's top
  expectSameAsFresh("typed at the top line");
  typeAt(20, 3, u"\n");
  expectSameAsFresh("line feed inside");
  scrollTo(26);  // further down: continued from line 21
  expectSameAsFresh("scrolled down");
  // Above the view, without a paint in between: an enum left open over the view, then
  // taken back; a name defined, then the line feed before the view's first line removed.
  replaceAt(5, 0, u"enum Wide {\n");
  scrollTo(26);
  expectSameAsFresh("enum opened above");
  replaceAt(5, 12, u"");
  scrollTo(26);
  expectSameAsFresh("enum taken back");
  replaceAt(2, 0, u"#define weigh 1\n");
  scrollTo(26);
  expectSameAsFresh("name defined above");
  ed->history.replaceText(indexOf(26, 0) - 1, 1, u" ");
  ed->onTextChanged();
  scrollTo(26);
  expectSameAsFresh("line feed before the top line");
  ed->caret = indexOf(3, 0);
  ed->selection = selectionAt(ed->caret);
  ed->insertText(u"#define FAST 2\n");
  scrollTo(26);
  expectSameAsFresh("typed above");
  press('Z', testdriver::Ctrl);  // undo restores the line above
  scrollTo(26);
  expectSameAsFresh("undone");
  scrollTo(10);  // up, above the last first line
  expectSameAsFresh("scrolled up");
  ed->pythonColours.clear();  // a table of another language: nothing changes
  ed->cColours[u"C_Comment"] = 0x0000FF;
  scrollTo(12);
  expectSameAsFresh("colour changed");
  std::u16string other = text();
  other.insert(indexOf(5, 0), u"enum Wide {\n");
  ed->setText(other);  // a new text is never continued from the old one's point
  scrollTo(12);
  expectSameAsFresh("setText");
}

}  // namespace
