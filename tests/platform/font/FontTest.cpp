// Fonts: face resolution, metrics of Chinese and Latin text at 12 pixels and
// at zoomed heights, and the synthetic fixed-metric test font.
#include <gtest/gtest.h>

#include <string>

#include "platform/font/FontInstance.h"
#include "tests/platform/gdi/GdiFixture.h"

namespace {

HFONT makeFont(int height, const char16_t* face, int weight = 0) {
  return CreateFontW(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
}

// Selects a font into a DC for a scope.
class WithFont {
 public:
  WithFont(HDC dc, int height, const char16_t* face, int weight = 0)
      : mDc(dc), mFont(makeFont(height, face, weight)), mOld(SelectObject(dc, mFont)) {}
  ~WithFont() {
    SelectObject(mDc, mOld);
    DeleteObject(mFont);
  }

 private:
  HDC mDc;
  HFONT mFont;
  HGDIOBJ mOld;
};

SIZE extent(HDC dc, const std::u16string& s) {
  SIZE size{-1, -1};
  EXPECT_TRUE(GetTextExtentPoint32W(dc, s.data(), static_cast<int>(s.size()), &size));
  return size;
}

TEST(FontResolution, FaceNamesMapToThePackagedFonts) {
  struct Case {
    const char16_t* face;
    const char16_t* family;
  };
  const Case cases[] = {
      {u"宋体", u"AR PL UMing CN"},
      {u"新宋体", u"AR PL UMing CN"},
      {u"SimSun", u"AR PL UMing CN"},
      {u"simsun", u"AR PL UMing CN"},
      {u"MS Shell Dlg", u"WenQuanYi Micro Hei"},
      {u"No Such Face", u"WenQuanYi Micro Hei"},
      {u"", u"WenQuanYi Micro Hei"},
      {gdi::kTestFontFace, gdi::kTestFontFace},
  };
  for (const Case& c : cases) {
    auto font = gdi::resolveFont(gdi::FontRequest{c.face, 12, 0});
    ASSERT_TRUE(font);
    EXPECT_EQ(font->family(), std::u16string(c.family)) << std::string(c.face, c.face + 1);
  }
  // Equal requests share one instance (and so one glyph cache).
  EXPECT_EQ(gdi::resolveFont({u"宋体", 12, 0}), gdi::resolveFont({u"宋体", 12, 400}));
  EXPECT_NE(gdi::resolveFont({u"宋体", 12, 0}), gdi::resolveFont({u"宋体", 13, 0}));
}

TEST(FontMetrics, SongAtTwelvePixels) {
  MemorySurface m(4, 4);
  WithFont f(m.dc, 12, u"宋体");
  TEXTMETRICW tm;
  ASSERT_TRUE(GetTextMetricsW(m.dc, &tm));
  EXPECT_EQ(tm.tmHeight, 12);
  EXPECT_EQ(tm.tmAscent, 10);
  EXPECT_EQ(tm.tmDescent, 2);
  struct Case {
    std::u16string text;
    LONG width;
  };
  const Case cases[] = {
      {u" ", 6},   {u"A", 6},      {u"W", 6},        {u"0", 6}, {u"中", 12},
      {u"，", 12}, {u"Hello", 30}, {u"中文abc", 42}, {u"", 0},  {u"数据 12.5", 2 * 12 + 5 * 6},
  };
  for (const Case& c : cases) {
    SIZE s = extent(m.dc, c.text);
    EXPECT_EQ(s.cx, c.width) << c.text.size();
    EXPECT_EQ(s.cy, 12);  // lineHeight = 12 + 3 in the canvas
  }
}

TEST(FontMetrics, SongCellHeightIsTheRequestedHeightAtEveryZoom) {
  MemorySurface m(4, 4);
  for (int h = 8; h <= 50; ++h) {
    WithFont f(m.dc, h, u"宋体");
    SIZE cjk = extent(m.dc, u"中"), latin = extent(m.dc, u"A");
    EXPECT_EQ(cjk.cy, h);
    EXPECT_EQ(cjk.cx, h);  // full width is one em, and the em is the cell
    EXPECT_NEAR(latin.cx, h / 2.0, 1.0) << h;
  }
  // A negative height is the em: for the Song face the same cell.
  WithFont f(m.dc, -12, u"宋体");
  EXPECT_EQ(extent(m.dc, u"中").cy, 12);
}

TEST(FontMetrics, SansHeightsAreCellsAndEmsAsAsked) {
  MemorySurface m(4, 4);
  {
    WithFont f(m.dc, 12, u"MS Shell Dlg");
    EXPECT_EQ(extent(m.dc, u"中").cy, 12);
    EXPECT_LT(extent(m.dc, u"中").cx, 12);  // its em is smaller than its cell
  }
  WithFont f(m.dc, -12, u"MS Shell Dlg");
  EXPECT_GT(extent(m.dc, u"中").cy, 12);  // an em of 12 needs a taller cell
  EXPECT_EQ(extent(m.dc, u"中").cx, 12);
}

TEST(FontMetrics, DefaultDcFontAndBadArguments) {
  MemorySurface m(4, 4);
  SIZE s = extent(m.dc, u" ");
  EXPECT_EQ(s.cx, 8);
  EXPECT_EQ(s.cy, 16);
  SIZE t;
  EXPECT_FALSE(GetTextExtentPoint32W(m.dc, u"a", -1, &t));
  EXPECT_FALSE(GetTextExtentPoint32W(nullptr, u"a", 1, &t));
}

TEST(FontTestFace, MetricsAndBoxesAreComputable) {
  MemorySurface m(40, 16);
  WithFont f(m.dc, 10, gdi::kTestFontFace);
  TEXTMETRICW tm;
  GetTextMetricsW(m.dc, &tm);
  EXPECT_EQ(tm.tmHeight, 10);
  EXPECT_EQ(tm.tmAscent, 8);
  EXPECT_EQ(tm.tmDescent, 2);
  EXPECT_EQ(extent(m.dc, u"Ab 中").cx, 5 + 5 + 5 + 10);
  SetBkMode(m.dc, TRANSPARENT);
  TextOutW(m.dc, 3, 2, u"Ab 中", 4);
  // Boxes cover [x, x + advance - 1) x [y + 1, y + 9).
  EXPECT_EQ(m.picture(3, 2, 25, 10), (std::vector<std::string>{
                                         ".........................",
                                         "####.####......#########.",
                                         "####.####......#########.",
                                         "####.####......#########.",
                                         "####.####......#########.",
                                         "####.####......#########.",
                                         "####.####......#########.",
                                         "####.####......#########.",
                                         "####.####......#########.",
                                         ".........................",
                                     }));
}

TEST(FontTestFace, SurrogatePairsAreOneCharacter) {
  MemorySurface m(4, 4);
  WithFont f(m.dc, 10, gdi::kTestFontFace);
  EXPECT_EQ(extent(m.dc, u"\U00020000").cx, 10);                   // one supplementary character
  EXPECT_EQ(extent(m.dc, std::u16string{0xDC00, 0xD800}).cx, 20);  // two lone surrogates
  EXPECT_EQ(extent(m.dc, std::u16string{0xD800}).cx, 10);
}

TEST(FontText, SongGlyphsStayInTheirCellsInTheTextColour) {
  MemorySurface m(60, 30);
  WithFont f(m.dc, 12, u"宋体");
  SetBkMode(m.dc, TRANSPARENT);
  SetTextColor(m.dc, RGB(0x37, 0x37, 0x37));
  TextOutW(m.dc, 10, 8, u"A中", 2);
  RECT ink = m.inked();
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 10 + 18);
  EXPECT_GE(ink.top, 8);
  EXPECT_LE(ink.bottom, 8 + 12);
  // The 12-pixel strike is bi-level: every inked pixel is the text colour.
  int inked = 0;
  for (uint32_t p : m.surface().pixels)
    if (p != 0xFFFFFF) {
      ++inked;
      ASSERT_EQ(p, 0x373737u);
    }
  EXPECT_GT(inked, 20);
  // Each character keeps to its own advance: "A" in [10, 16), "中" in [16, 28).
  m.clear(0xFFFFFF);
  TextOutW(m.dc, 10, 8, u"A", 1);
  EXPECT_LE(m.inked().right, 16);
  m.clear(0xFFFFFF);
  TextOutW(m.dc, 16, 8, u"中", 1);
  EXPECT_GE(m.inked().left, 16);
}

TEST(FontText, LargerSizesAreAntiAliased) {
  MemorySurface m(60, 40);
  WithFont f(m.dc, 24, u"宋体");
  SetBkMode(m.dc, TRANSPARENT);
  TextOutW(m.dc, 2, 2, u"永", 1);
  bool grey = false;
  for (uint32_t p : m.surface().pixels) grey = grey || (p != 0xFFFFFF && p != 0);
  EXPECT_TRUE(grey);
}

TEST(FontText, OpaqueModeFillsTheTextCell) {
  MemorySurface m(60, 30);
  WithFont f(m.dc, 12, u"宋体");
  SetBkColor(m.dc, RGB(0, 0, 255));
  TextOutW(m.dc, 5, 6, u"ab中", 3);  // OPAQUE is the default
  EXPECT_EQ(m.inked(), (RECT{5, 6, 5 + 24, 6 + 12}));
  EXPECT_EQ(m.at(5, 6), 0x0000FFu);  // COLORREF blue is pixel 0x0000FF
  EXPECT_EQ(SetBkMode(m.dc, TRANSPARENT), OPAQUE);
  m.clear(0xFFFFFF);
  TextOutW(m.dc, 5, 6, u"ab中", 3);
  EXPECT_EQ(m.at(5, 6), 0xFFFFFFu);
}

struct DrawTextCase {
  const char* name;
  std::u16string text;
  UINT format;
  POINT firstInk;  // top-left pixel of the first box
  int returned;
};

void PrintTo(const DrawTextCase& c, std::ostream* os) { *os << c.name; }

class FontDrawText : public ::testing::TestWithParam<DrawTextCase> {};

TEST_P(FontDrawText, PlacesTheLineInTheRect) {
  const DrawTextCase& c = GetParam();
  MemorySurface m(80, 50);
  WithFont f(m.dc, 10, gdi::kTestFontFace);
  SetBkMode(m.dc, TRANSPARENT);
  RECT r{10, 10, 61, 31};  // 51 x 21
  EXPECT_EQ(DrawTextW(m.dc, c.text.c_str(), -1, &r, c.format), c.returned) << c.name;
  RECT ink = m.inked();
  EXPECT_EQ(ink.left, c.firstInk.x) << c.name;
  EXPECT_EQ(ink.top, c.firstInk.y) << c.name;
}

constexpr UINT kOneLine = DT_SINGLELINE;
INSTANTIATE_TEST_SUITE_P(
    Gdi, FontDrawText,
    ::testing::Values(
        // "AB" is 10 wide, 10 high; boxes start one row below the cell top.
        DrawTextCase{"centred both ways", u"AB", kOneLine | DT_VCENTER | DT_CENTER, {10 + 20, 10 + 5 + 1}, 5 + 10},
        DrawTextCase{"top left", u"AB", kOneLine, {10, 11}, 10},
        DrawTextCase{"right bottom", u"AB", kOneLine | DT_RIGHT | DT_BOTTOM, {61 - 10, 31 - 10 + 1}, 21},
        DrawTextCase{"centred, odd room", u"A", kOneLine | DT_CENTER | DT_VCENTER, {10 + 23, 16}, 15},
        DrawTextCase{"prefix dropped", u"&AB", kOneLine | DT_CENTER, {30, 11}, 10},
        DrawTextCase{"no prefix", u"&AB", kOneLine | DT_CENTER | DT_NOPREFIX, {10 + 18, 11}, 10},
        DrawTextCase{"lines stack from the top", u"A\r\nB\nC", DT_CENTER | DT_VCENTER, {33, 11}, 30}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(FontDrawTextDetails, PrefixesUnderlineAndDoubleAmpersands) {
  MemorySurface m(80, 30);
  WithFont f(m.dc, 10, gdi::kTestFontFace);
  SetBkMode(m.dc, TRANSPARENT);
  RECT r{0, 0, 80, 30};
  DrawTextW(m.dc, u"A&&B", -1, &r, DT_SINGLELINE);
  EXPECT_EQ(m.inked().right, 14);  // three boxes: A & B
  m.clear(0xFFFFFF);
  DrawTextW(m.dc, u"A&B", -1, &r, DT_SINGLELINE);
  // "B" is underlined at the baseline + 1 (ascent 8, so row 9), over its advance.
  EXPECT_EQ(m.picture(0, 9, 11, 1), (std::vector<std::string>{".....#####."}));
}

TEST(FontDrawTextDetails, ClipsToTheRectUnlessNoClip) {
  MemorySurface m(80, 30);
  WithFont f(m.dc, 10, gdi::kTestFontFace);
  SetBkMode(m.dc, TRANSPARENT);
  RECT r{10, 0, 22, 30};
  DrawTextW(m.dc, u"ABCDEF", -1, &r, DT_SINGLELINE);
  EXPECT_EQ(m.inked().right, 22);
  m.clear(0xFFFFFF);
  DrawTextW(m.dc, u"ABCDEF", -1, &r, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_EQ(m.inked().right, 10 + 29);
  RECT calc{5, 5, 6, 6};
  EXPECT_EQ(DrawTextW(m.dc, u"AB\nCDE", -1, &calc, DT_CALCRECT), 20);
  EXPECT_EQ(calc, (RECT{5, 5, 20, 25}));
}

}  // namespace
