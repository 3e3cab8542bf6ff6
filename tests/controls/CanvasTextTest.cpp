// The canvas's text rules: widths and their cache, one-line output with tabs and line
// breaks, aligned multi-line text, block measuring and title fitting.
#include <string>

#include "platform/CodePage.h"
#include "tests/controls/CanvasFixture.h"
#include "tests/support/TextConvert.h"

namespace {

constexpr auto& utf8 = testsupport::u8;

}  // namespace

TEST_F(CanvasTest, LineMetricsComeFromTheSpace) {
  EXPECT_EQ(canvas.mSpaceWidth, kAdvance);
  EXPECT_EQ(canvas.mLineHeight, kLineHeight);
  EXPECT_EQ(canvas.lineHeight(), kLineHeight);
  EXPECT_EQ(canvas.gapAbove(), 2);
  canvas.setFont(12, u"宋体");
  SIZE space{0, 0};
  GetTextExtentPoint32W(canvas.mDc, u" ", 1, &space);
  EXPECT_EQ(canvas.mSpaceWidth, space.cx);
  EXPECT_EQ(canvas.mLineHeight, space.cy + 3);
}

TEST_F(CanvasTest, CharacterWidths) {
  struct Case {
    char16_t c;
    int32_t width, noBreak;
  };
  const Case cases[] = {
      {u'a', kAdvance, kAdvance},          {u' ', kAdvance, kAdvance}, {u'中', 2 * kAdvance, 2 * kAdvance},
      {u'\t', 4 * kAdvance, 4 * kAdvance}, {u'\n', kAdvance, 0},       {u'\r', 0, 0},
  };
  for (int pass = 0; pass < 2; ++pass) {  // the second pass reads the cache
    for (const Case& c : cases) {
      EXPECT_EQ(canvas.charWidth(c.c), c.width) << int(c.c) << " pass " << pass;
      EXPECT_EQ(canvas.charWidthNoBreak(c.c), c.noBreak) << int(c.c) << " pass " << pass;
    }
  }
  EXPECT_EQ(canvas.textWidth(u"a\tb\r\n", 5), kAdvance * (1 + 4 + 1 + 0 + 1));
}

TEST_F(CanvasTest, EachCodeUnitIsMeasuredOncePerFont) {
  const std::u16string text = u"abc\tabc\r\n中文abc中";
  const size_t distinct = 5;  // a, b, c, 中, 文; tab and line breaks are never measured
  auto measured = [&] { return canvas.mWidthMeasurements; };
  size_t before = measured();
  const int32_t width = canvas.textWidth(text.data(), text.size());
  EXPECT_EQ(measured() - before, distinct);
  canvas.charWidth(u'*');  // fitText's mark
  before = measured();
  for (int paint = 0; paint < 3; ++paint) {
    EXPECT_EQ(canvas.textWidth(text.data(), text.size()), width);
    canvas.textOut(0, 0, text.data(), text.size());
    canvas.drawTextInRect(RECT{0, 0, 199, 99}, text, 5);
    canvas.fitText(text, 40, true);
    SIZE size;
    canvas.measureText(size, text, RECT{0, 0, 0, 0});
  }
  EXPECT_EQ(measured(), before);

  // A new font empties the cache: the widths are those of the new font, measured again.
  canvas.setFont(2 * kFontHeight, gdi::kTestFontFace);
  before = measured();
  EXPECT_EQ(canvas.charWidth(u'a'), 2 * kAdvance);
  EXPECT_EQ(canvas.charWidth(u'\t'), 4 * 2 * kAdvance);
  EXPECT_EQ(canvas.charWidth(u'\n'), 2 * kAdvance);
  EXPECT_EQ(canvas.textWidth(text.data(), text.size()), 2 * width);
  EXPECT_EQ(measured() - before, distinct);

  LOGFONTW font{};
  font.lfHeight = kFontHeight;
  std::char_traits<char16_t>::copy(font.lfFaceName, gdi::kTestFontFace,
                                   std::char_traits<char16_t>::length(gdi::kTestFontFace) + 1);
  canvas.setFontIndirect(font);
  before = measured();
  EXPECT_EQ(canvas.textWidth(text.data(), text.size()), width);
  EXPECT_EQ(measured() - before, distinct);

  // begin drops the font: the cache is emptied with it.
  canvas.begin(RECT{0, 0, 99, 99});
  canvas.setFont(2 * kFontHeight, gdi::kTestFontFace);
  EXPECT_EQ(canvas.charWidth(u'a'), 2 * kAdvance);
}

TEST_F(CanvasTest, LongTextsAreATableLookUp) {
  std::u16string text;
  for (int i = 0; i < 20000; ++i) text += static_cast<char16_t>(u'a' + i % 10);
  const size_t before = canvas.mWidthMeasurements;
  EXPECT_EQ(canvas.textWidth(text.data(), text.size()), 20000 * kAdvance);
  EXPECT_EQ(canvas.mWidthMeasurements - before, 10u);
}

TEST_F(CanvasTest, TextOutAdvancesTabsByFourSpacesAndSkipsLineBreaks) {
  using Output = void (CCanvas::*)(int32_t, int32_t, const char16_t*, size_t);
  struct Case {
    Output output;
    std::u16string text;
    std::vector<int> starts;  // left edges of the inked stretches, text at x = 10
  };
  const Output textOut = &CCanvas::textOut, textOutTabs = &CCanvas::textOutTabs;
  const Case cases[] = {
      {textOut, u"a\tb", {10, 10 + 8 + 32}},
      {textOut, u"\tA", {10 + 32}},
      {textOut, u"ab\t\tc", {10, 18, 10 + 16 + 64}},
      {textOut, u"a\r\nb", {10, 18}},  // the breaks neither draw nor advance
      {textOut, u"a\nb\rc", {10, 18, 26}},
      {textOut, u"a b", {10, 26}},
      {textOut, u"中a", {10, 26}},
      {textOut, u"", {}},
      {textOutTabs, u"a\tb", {10, 10 + 8 + 32}},
      {textOutTabs, u"\t\tx", {10 + 64}},
      {textOutTabs, u"ab", {10, 18}},
  };
  for (const Case& c : cases) {
    clear(kWhite);
    (canvas.*c.output)(10, 20, c.text.data(), c.text.size());
    EXPECT_EQ(inkStarts(20 + 5), c.starts) << utf8(c.text);
    if (!c.starts.empty()) {
      const RECT box = inked();
      EXPECT_EQ(box.top, 21) << utf8(c.text);  // every run on the same y
      EXPECT_EQ(box.bottom, 34) << utf8(c.text);
    }
  }
}

TEST_F(CanvasTest, TextOutDrawsOnlyTheGivenCount) {
  const std::u16string text = u"abc";
  canvas.textOut(10, 20, text.data(), 2);
  EXPECT_EQ(inkStarts(25), (std::vector<int>{10, 18}));
  clear(kWhite);
  canvas.textOutTabs(10, 20, text.data(), 2);
  EXPECT_EQ(inkStarts(25), (std::vector<int>{10, 18}));
}

// One line's ink is at columns x .. x + width - 2 and rows lineTop + 3 .. lineTop + 16
// (2 pixels below the line's top, then the glyph's rows 1 .. 14).
TEST_F(CanvasTest, DrawTextInRectAlignsLines) {
  struct Case {
    std::u16string text;
    RECT area;
    uint32_t flags;
    RECT ink;  // {0, 0, -1, -1}: nothing drawn
  };
  const RECT area{10, 10, 100, 60};
  const RECT none{0, 0, -1, -1};
  const Case cases[] = {
      {u"ab", area, 0, {10, 13, 24, 26}},
      {u"ab", area, 1, {47, 13, 61, 26}},      // x = (10 + 100 - 16) / 2
      {u"ab", area, 2, {84, 13, 98, 26}},      // x = 100 - 16
      {u"ab", area, 2 | 1, {84, 13, 98, 26}},  // right wins over centre
      {u"ab", area, 4, {10, 28, 24, 41}},      // y = (10 + 60 - 19) / 2
      {u"ab", area, 8, {10, 44, 24, 57}},      // y = 60 - 19
      {u"ab", area, 8 | 4, {10, 44, 24, 57}},  // bottom wins over middle
      {u"ab", area, 4 | 2, {84, 28, 98, 41}},
      {u"a\tb", area, 2, {52, 13, 98, 26}},    // the tab is part of the width
      {u"ab\n", area, 4, {10, 28, 24, 41}},    // a final line feed makes no extra line
      {u"ab\r\n", area, 2, {84, 13, 98, 26}},  // nor do CR and LF count in the width
      {u"a\nb", area, 4, {10, 19, 16, 51}},    // y = (70 - 38) / 2 = 16
      // Three lines in two and a half: all drawn from the top whatever the flags.
      {u"a\nb\nc", {10, 10, 100, 57}, 8 | 2, {92, 13, 98, 64}},
      {u"a\nb\nc", {10, 10, 100, 57}, 4 | 1, {51, 13, 57, 64}},
      // The line that reaches past the bottom is the last one drawn.
      {u"a\nb\nc\nd", {10, 10, 100, 30}, 0, {10, 13, 16, 45}},
      // Exactly two lines' height: no height left over, so no vertical alignment.
      {u"a\nb", {10, 10, 100, 48}, 8, {10, 13, 16, 45}},
      {u"ab", {10, 10, 100, 16}, 0, {10, 13, 24, 26}},  // height 6 = 19 / 3: drawn
      {u"ab", {10, 10, 100, 15}, 0, none},              // height 5 < 19 / 3
      {u"ab", {10, 10, 11, 60}, 0, none},               // width 1 < 8 / 3
      {u"", area, 0, none},
  };
  for (const Case& c : cases) {
    clear(kWhite);
    canvas.drawTextInRect(c.area, c.text, c.flags);
    EXPECT_EQ(inked(), c.ink) << utf8(c.text) << " flags " << c.flags;
  }
}

TEST_F(CanvasTest, DrawTextInRectAlignsEachLineByItsOwnWidth) {
  canvas.drawTextInRect(RECT{10, 10, 100, 90}, u"abc\nd", 1);
  EXPECT_EQ(inkStarts(10 + 5), (std::vector<int>{43, 51, 59}));        // (110 - 24) / 2
  EXPECT_EQ(inkStarts(10 + kLineHeight + 5), (std::vector<int>{51}));  // (110 - 8) / 2
  clear(kWhite);
  canvas.drawTextInRect(RECT{10, 10, 100, 90}, u"abc\nd", 2);
  EXPECT_EQ(inkStarts(10 + 5), (std::vector<int>{76, 84, 92}));
  EXPECT_EQ(inkStarts(10 + kLineHeight + 5), (std::vector<int>{92}));
}

TEST_F(CanvasTest, MeasureText) {
  struct Case {
    std::u16string text;
    RECT minimum;
    SIZE expected;
  };
  std::u16string tall;
  for (int i = 0; i < 10; ++i) tall += u"a\n";
  const Case cases[] = {
      {u"abc\n", {0, 0, 0, 0}, {32, 38}},  // the line feed counts a space and a line
      {u"abc", {0, 0, 0, 0}, {24, 19}},
      {u"ab\nabcd", {0, 0, 0, 0}, {32, 38}},
      {u"", {0, 0, 9, 4}, {10, 5}},                         // empty: the minimum's inclusive size
      {u"a", {0, 0, 49, 29}, {50, 30}},                     // never below the minimum
      {tall, {0, 0, 0, 0}, {16, 99}},                       // taller than the canvas: its height
      {tall, {0, 0, 299, 199}, {300, 200}},                 // unless the minimum is larger
      {std::u16string(30, u'x'), {0, 0, 0, 0}, {199, 19}},  // wider than the canvas
  };
  for (const Case& c : cases) {
    SIZE out{-1, -1};
    canvas.measureText(out, c.text, c.minimum);
    EXPECT_EQ(out.cx, c.expected.cx) << utf8(c.text);
    EXPECT_EQ(out.cy, c.expected.cy) << utf8(c.text);
  }
}

TEST_F(CanvasTest, FitTextCutsTitles) {
  struct Case {
    std::u16string text;
    int32_t width;
    bool modified;
    std::u16string expected;
  };
  const Case cases[] = {
      {u"abcdef", 100, false, u"abcdef"},
      {u"abcdef", 49, false, u"abcdef"},
      {u"abcdef", 48, false, u"abc.."},  // the last character would use up the width exactly
      {u"abcdef", 33, false, u"ab.."},   // room for four
      {u"abcdef", 9, false, u".."},      // room for one
      {u"abcdef", 8, false, u".."},
      {u"abcdef", 0, false, u".."},
      {u"abcdefghijkl", 81, false, u"abcdefgh.."},  // ten fit: eight are kept
      {u"中文标题名字", 50, false, u"中.."},
      {u"a\nb", 17, false, u"a\nb"},  // a line break takes no room
      {u"abcdef", 100, true, u"abcdef*"},
      {u"abcdef", 41, true, u"ab..*"},  // room for "*" and four
      {u"abcdef", 8, true, u"..*"},
      {u"", 0, false, u""},
      {u"", 0, true, u"*"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(utf8(canvas.fitText(c.text, c.width, c.modified)), utf8(c.expected))
        << utf8(c.text) << " width " << c.width << (c.modified ? " modified" : "");
}
