// What the text editor paints, read back from its window: text placement, the inverted
// selection, the line-number gutter, scrolling by wheel and scroll bar, and a C script in
// script colours saved as <test program folder>/controls/editor_c_script.png.
#include <unistd.h>

#include <filesystem>
#include <set>

#include "platform/png/Png.h"
#include "tests/controls/EditorFixture.h"
#include "tests/support/Picture.h"

using namespace editor_test;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
inline uint32_t pixelOf(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

class EditorPaint : public EditorTest {
 protected:
  Surface shot() {
    testdriver::pumpUntilIdle();
    return testdriver::windowPixels(hwnd());
  }
  // Whether any pixel of the box (inclusive) differs from `background`.
  static bool inked(const Surface& s, int l, int t, int r, int b, uint32_t background = kWhite) {
    for (int y = std::max(t, 0); y <= std::min(b, s.height - 1); ++y)
      for (int x = std::max(l, 0); x <= std::min(r, s.width - 1); ++x)
        if (s.at(x, y) != background) return true;
    return false;
  }
  // Character cell (column, line) of the unscrolled text: [left, left + 8) x [top, top + 19).
  int cellLeft(int column) const { return ed->textRect.left + column * kAdvance; }
  int cellTop(int line) const { return ed->textRect.top + line * kLineHeight; }
  // The glyph box of the test font in a cell: columns [0, 7), rows [1, 15) below the text
  // origin, which is 2 pixels below the line's top.
  bool glyphAt(const Surface& s, int column, int line, uint32_t ink) const {
    return s.at(cellLeft(column) + 3, cellTop(line) + 2 + 7) == ink;
  }
};

TEST_F(EditorPaint, PlainTextLinesAndTabs) {
  fill(u"ab\n\tc", 0);
  const Surface s = shot();
  const uint32_t ink = pixelOf(ed->textColour);
  EXPECT_TRUE(glyphAt(s, 0, 0, ink));
  EXPECT_TRUE(glyphAt(s, 1, 0, ink));
  EXPECT_FALSE(inked(s, cellLeft(2), cellTop(0), cellLeft(10), cellTop(1) - 1));     // the line feed inks nothing
  EXPECT_FALSE(inked(s, cellLeft(0), cellTop(1), cellLeft(4) - 1, cellTop(2) - 1));  // the tab
  EXPECT_TRUE(glyphAt(s, 4, 1, ink));
  // Text starts 2 pixels below the line's top (the glyph one more).
  EXPECT_FALSE(inked(s, 0, cellTop(0), s.width - 1, cellTop(0) + 2));
}

TEST_F(EditorPaint, ASelectionOverThreeLinesIsInverted) {
  fill(u"abcd\nef\nghij", 0);
  ed->selection = TextSelection{2, 2, 10};  // "cd\nef\ngh"
  ed->caret = 10;
  ed->updateCaret();
  const Surface s = shot();
  const uint32_t inverted = kWhite ^ 0xFFFFFF;
  auto invertedAt = [&](int column, int line) {
    return s.at(cellLeft(column) + 7, cellTop(line) + 17) == inverted;
  };
  EXPECT_FALSE(invertedAt(1, 0));
  EXPECT_TRUE(invertedAt(2, 0));
  EXPECT_TRUE(invertedAt(4, 0));  // the selected line feed shows as a space
  EXPECT_FALSE(invertedAt(5, 0));
  EXPECT_TRUE(invertedAt(0, 1));
  EXPECT_TRUE(invertedAt(2, 1));
  EXPECT_FALSE(invertedAt(3, 1));
  EXPECT_TRUE(invertedAt(1, 2));
  EXPECT_FALSE(invertedAt(2, 2));
}

TEST_F(EditorPaint, LineNumbersSitInTheGutter) {
  open(EditorPlace{}, [](CCText& e) { e.lineNumbers = true; });
  EXPECT_EQ(ed->textRect.left, ed->clientRect.left + ed->gutterWidth);
  Surface s = shot();
  const uint32_t number = pixelOf(ed->numberColour);
  const int lineX = ed->clientRect.left + ed->gutterWidth - 3;
  EXPECT_EQ(s.at(lineX, 20), pixelOf(ed->gutterLineColour));
  auto numberInk = [&](const Surface& s, int line) {
    return inked(s, ed->clientRect.left, cellTop(line), lineX - 1, cellTop(line + 1) - 1, kWhite) &&
           s.at(lineX, cellTop(line) + 5) != number;
  };
  EXPECT_TRUE(numberInk(s, 0));  // "1" for an empty text
  EXPECT_FALSE(numberInk(s, 1));
  fill(u"a\nb\nc", 0);
  s = shot();
  EXPECT_TRUE(numberInk(s, 2));
  EXPECT_FALSE(inked(s, lineX + 1, 0, ed->textRect.left - 1, s.height - 1));  // text right of the gutter
  EXPECT_TRUE(glyphAt(s, 0, 0, pixelOf(ed->textColour)));
}

TEST_F(EditorPaint, WheelScrollsALongTextAndForwardsOneThatFits) {
  int forwarded = 0;
  ed->onWheel = [&](WPARAM, LPARAM) { ++forwarded; };
  fill(u"short", 0);
  testdriver::wheel(at(20, 20), -1);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(forwarded, 1);
  EXPECT_EQ(ed->scrollY, 0);
  std::u16string s;
  for (int i = 0; i < 40; ++i) s += u"row\n";
  fill(s, 0);
  testdriver::wheel(at(20, 20), -1);  // backwards: towards the end
  testdriver::pumpUntilIdle();
  EXPECT_EQ(ed->scrollY, ed->wheelStepY);
  testdriver::wheel(at(20, 20), 1);
  testdriver::wheel(at(20, 20), 1);  // at the limit: nothing, and not forwarded (it does not fit)
  testdriver::pumpUntilIdle();
  EXPECT_EQ(ed->scrollY, 0);
  EXPECT_EQ(forwarded, 1);
  // The painted text follows: row 0 has moved up by one wheel step.
  testdriver::wheel(at(20, 20), -1);
  const Surface shotScrolled = shot();
  EXPECT_TRUE(glyphAt(shotScrolled, 0, 4, pixelOf(ed->textColour)) ||
              inked(shotScrolled, cellLeft(0), cellTop(0), cellLeft(3), cellTop(1)));
  EXPECT_EQ(ed->scrollY, ed->wheelStepY);
}

TEST_F(EditorPaint, CtrlWheelChangesTheFontHeightDownToEight) {
  fill(u"abc", 0);
  ed->font.lfHeight = 9;
  testdriver::keyDown(VK_CONTROL);
  testdriver::wheel(at(20, 20), -1);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(ed->font.lfHeight, 8);
  testdriver::wheel(at(20, 20), -1);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(ed->font.lfHeight, 8);
  testdriver::wheel(at(20, 20), 1);
  testdriver::keyUp(VK_CONTROL);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(ed->font.lfHeight, 10);
  // The content size follows the new font.
  EXPECT_EQ(ed->contentHeight, ed->lineHeight() + ed->extraMargin);
}

TEST_F(EditorPaint, ScrollBarsFollowTheContentAndScrollTheText) {
  open(EditorPlace{10, 10, 200, 100, 1});
  std::u16string s;
  for (int i = 0; i < 20; ++i) s += u"0123456789012345678901234567890123456789\n";
  fill(s, 0);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(hwnd(), SB_VERT, &si);
  EXPECT_EQ(si.nMax, ed->contentHeight);
  EXPECT_EQ(ed->contentHeight, 21 * kLineHeight + ed->extraMargin);
  EXPECT_EQ(ed->contentWidth, 41 * kAdvance + ed->extraMargin);
  testdriver::scroll(hwnd(), SB_VERT, SB_LINEDOWN);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(ed->scrollY, kLineHeight);
  testdriver::scroll(hwnd(), SB_HORZ, SB_THUMBTRACK, 40);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(ed->scrollX, 40);
  // A click now lands on the scrolled text.
  click(at(ed->textRect.left + 1, ed->textRect.top + 1));
  EXPECT_EQ(ed->caret, 41u + 5u);
  ed->setScrollBars(false);
  GetScrollInfo(hwnd(), SB_VERT, &si);
  EXPECT_EQ(si.nMax, 0);
}

// The grid's in-place editor is made with no size and hidden, then placed over a cell.
TEST_F(EditorPaint, AnEditorMadeWithoutASizePaintsOnceItIsPlaced) {
  open(EditorPlace{0, 0, 0, 0, 0});
  ShowWindow(hwnd(), SW_HIDE);
  ed->setText(u"zero");
  testdriver::pumpUntilIdle();
  MoveWindow(hwnd(), 20, 20, 120, 30, TRUE);
  ed->relayout();
  ed->setText(u"ab");
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  const Surface s = shot();
  EXPECT_EQ(s.width, 120);
  EXPECT_TRUE(glyphAt(s, 1, 0, pixelOf(ed->textColour)));
  EXPECT_EQ(ed->contentWidth, 2 * kAdvance + ed->extraMargin);
}

// The caret is kept one space inside the view when it runs off to the right.
TEST_F(EditorPaint, TypingPastTheRightEdgeScrollsSideways) {
  const int width = ed->textRect.right - ed->textRect.left;
  type(std::u16string(static_cast<size_t>(width / kAdvance) + 3, u'w'));
  const POINT caret = ed->caretPoint(ed->caret);
  EXPECT_GT(ed->scrollX, 0);
  EXPECT_EQ(caret.x, ed->textRect.right - kAdvance);
  press(VK_HOME);
  EXPECT_EQ(ed->scrollX, 0);
}

const std::u16string kScript =
    u"// Totals of a column, shown in the editor\n"
    u"#include <stdio.h>\n"
    u"#define LIMIT 100\n"
    u"\n"
    u"struct Point {\n"
    u"\tint x;\n"
    u"\tdouble y;\n"
    u"};\n"
    u"\n"
    u"int sum(int n) {\n"
    u"\tint total = 0;\n"
    u"\tfor (int i = 0; i < n; i++)\n"
    u"\t\ttotal += i * 2;\t/* twice */\n"
    u"\treturn total;\n"
    u"}\n"
    u"\n"
    u"int main() {\n"
    u"\tchar *name = \"总计：合计\";\n"
    u"\tprintf(\"%s %d\\n\", name, sum(LIMIT));\n"
    u"\treturn 0;\n"
    u"}\n";

// A C script in a script editor with line numbers and a word selected, the window saved for
// a person to look at.
TEST_F(EditorPaint, CScriptIsColouredAndSaved) {
  open(EditorPlace{0, 0, 400, 300, 0}, [](CCText& e) {
    e.font.lfHeight = 12;
    const char16_t face[] = u"宋体";
    std::memcpy(e.font.lfFaceName, face, sizeof face);
    e.lineNumbers = true;
    e.language = TEXT_C;
  });
  ed->setText(kScript);
  ed->caret = 0;
  ed->selection = selectionAt(0);
  ed->updateCaret();
  doubleClick(at(ed->textRect.left + ed->canvas.textWidth(u"int ", 4) + 2,
                 ed->textRect.top + 9 * ed->lineHeight() + 4));  // "sum" on line 10
  EXPECT_EQ(selected(), u"sum");
  const Surface s = shot();
  ASSERT_TRUE(writePng(s, testsupport::picturePath("controls", "editor_c_script.png").string()));

  std::set<uint32_t> colours(s.pixels.begin(), s.pixels.end());
  EXPECT_TRUE(colours.count(pixelOf(ed->cColours.at(u"C_Comment"))));
  EXPECT_TRUE(colours.count(pixelOf(ed->cColours.at(u"C_String"))));
  EXPECT_TRUE(colours.count(pixelOf(ed->cColours.at(u"int"))));
  EXPECT_TRUE(colours.count(pixelOf(ed->numberColour)));
  EXPECT_TRUE(colours.count(0x000000));  // the inverted white around the selected "sum"
  // Line 1 is a comment: every ink of its band right of the gutter is the comment colour
  // (or white).
  const uint32_t comment = pixelOf(ed->cColours.at(u"C_Comment"));
  for (int y = ed->textRect.top; y < ed->textRect.top + ed->lineHeight(); ++y)
    for (int x = ed->textRect.left; x < s.width; ++x)
      ASSERT_TRUE(s.at(x, y) == kWhite || s.at(x, y) == comment) << x << "," << y;
}

}  // namespace
