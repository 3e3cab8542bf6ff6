// A C script coloured by its renderer on a canvas in the controls' font, saved as
// <test program folder>/controls/c_script.png for a person to look at, and checked by
// colour: each line's ink stays in its own band, tabs advance four spaces, and comments,
// keywords, functions and strings get their table's colours.
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "controls/VantrelCRender.h"
#include "platform/png/Png.h"
#include "tests/controls/CanvasFixture.h"
#include "tests/support/Picture.h"

namespace {

const std::u16string kScript =
    u"// Sum of a column, coloured by the renderer\n"                    // 1
    u"#include <stdio.h>\n"                                              // 2
    u"#define LIMIT 100\n"                                               // 3
    u"\n"                                                                // 4
    u"struct Point {\n"                                                  // 5
    u"\tint x;\n"                                                        // 6
    u"\tdouble y;\n"                                                     // 7
    u"};\n"                                                              // 8
    u"\n"                                                                // 9
    u"int sum(int n) {\n"                                                // 10
    u"\tint total = 0;\n"                                                // 11
    u"\tfor (int i = 0; i < n; i++)\n"                                   // 12
    u"\t\ttotal += i * 2;\t/* two tabs in, one before the comment */\n"  // 13
    u"\treturn total;\n"                                                 // 14
    u"}\n"                                                               // 15
    u"\n"                                                                // 16
    u"int main() {\n"                                                    // 17
    u"\tchar *name = \"总计：合计\";\n"                                  // 18
    u"\tprintf(\"%s %d\\n\", name, sum(LIMIT));\n"                       // 19
    u"\treturn 0;\n"                                                     // 20
    u"}\n";                                                              // 21

constexpr int kLines = 21;
constexpr int kLeft = 6;  // the view's left margin

class CScriptPicture : public CanvasTest {
 protected:
  void SetUp() override {
    canvas.begin(RECT{0, 0, 479, 339});
    clear(kWhite);
    canvas.setFont(12, u"宋体");
    initCSyntaxColors(colors);
    render.mCanvas = &canvas;
    render.mColors = &colors;
    render.mView = RECT{kLeft, 0, 479, 339};
    render.paint(kScript);
  }

  // Band of rows of line n (1-based).
  int bandTop(int line) const { return (line - 1) * canvas.mLineHeight; }
  int bandBottom(int line) const { return line * canvas.mLineHeight - 1; }
  // The colours (surface pixels) inked in line n.
  std::set<uint32_t> coloursOf(int line) const {
    std::set<uint32_t> out;
    for (int y = bandTop(line); y <= bandBottom(line); ++y)
      for (int x = 0; x < surface().width; ++x)
        if (at(x, y) != kWhite) out.insert(at(x, y));
    return out;
  }
  // Leftmost column of line n inked in `colour`, -1 when none.
  int firstColumnOf(int line, COLORREF colour) const {
    for (int x = 0; x < surface().width; ++x)
      for (int y = bandTop(line); y <= bandBottom(line); ++y)
        if (at(x, y) == pixelOf(colour)) return x;
    return -1;
  }

  SyntaxColors colors;
  VantrelCRender render;
};

}  // namespace

TEST_F(CScriptPicture, IsSavedAndColouredByTokenClass) {
  ASSERT_TRUE(writePng(surface(), testsupport::picturePath("controls", "c_script.png").string()));

  const COLORREF comment = colors.at(u"C_Comment");
  const COLORREF function = colors.at(u"C_Function"), text = colors.at(u"C_String");
  const COLORREF plain = colors.at(u"C_Default");
  EXPECT_EQ(coloursOf(1), (std::set<uint32_t>{pixelOf(comment)}));
  EXPECT_TRUE(coloursOf(4).empty());
  EXPECT_TRUE(coloursOf(10).count(pixelOf(function)));  // sum
  EXPECT_TRUE(coloursOf(18).count(pixelOf(text)));
  EXPECT_TRUE(coloursOf(19).count(pixelOf(text)));
  EXPECT_TRUE(coloursOf(19).count(pixelOf(plain)));

  // Every line's ink keeps to its band: text is drawn 2 pixels below the line's top.
  const RECT all = inked();
  EXPECT_GE(all.top, 2);
  EXPECT_LE(all.bottom, bandBottom(kLines));
  EXPECT_GE(all.left, kLeft);
  for (int line = 1; line <= kLines; ++line) {
    const RECT band = inked(RECT{0, bandTop(line), 479, bandBottom(line)});
    if (band.right < band.left) continue;
    EXPECT_GE(band.top, bandTop(line) + canvas.mGapAbove) << "line " << line;
  }
}

TEST_F(CScriptPicture, TabsAdvanceFourSpaces) {
  const int space = canvas.mSpaceWidth;
  ASSERT_GT(space, 0);
  const COLORREF keyword = colors.at(u"int");
  // "int" of line 10 starts at the margin, that of line 6 one tab in; the glyph's own
  // bearing is the same in both.
  const int atMargin = firstColumnOf(10, keyword);
  ASSERT_GE(atMargin, kLeft);
  EXPECT_EQ(firstColumnOf(6, keyword), atMargin + 4 * space);
  EXPECT_EQ(firstColumnOf(11, keyword), atMargin + 4 * space);
  // Line 13: two tabs, then "total" (a variable); the comment follows one tab after ";".
  const std::u16string before = u"\t\ttotal += i * 2;\t";
  const int commentX = kLeft + canvas.textWidth(before.data(), before.size());
  const int firstComment = firstColumnOf(13, colors.at(u"C_Comment"));
  EXPECT_GE(firstComment, commentX);
  EXPECT_LT(firstComment, commentX + space);
  EXPECT_GE(firstColumnOf(13, colors.at(u"C_Var")), kLeft + 8 * space);
}

TEST_F(CScriptPicture, SelectionIsInvertedInTheLineBand) {
  const uint32_t topLeft = at(kLeft, 0);
  render.invertSelection(0, 2);  // "//" of line 1
  const int width = 2 * canvas.charWidth(u'/');
  EXPECT_EQ(at(kLeft, 0), topLeft ^ 0xFFFFFF);
  EXPECT_EQ(at(kLeft + width - 1, bandBottom(1)), 0u);  // white became black
  EXPECT_EQ(at(kLeft + width, 0), kWhite);              // the rectangle ends before its right
  EXPECT_EQ(at(kLeft, bandTop(2)), kWhite);             // and before its bottom
}
