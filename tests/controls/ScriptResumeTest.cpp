// The renderers' resume point: a paint that continues from the point left by the previous
// one must give exactly what a paint from the first character gives (runs, colours,
// positions, line starts, the C names, the colour table's additions), after scrolling and
// after edits below, at, inside and above the point; and a change before the point, of
// the language or of the table must not be continued from.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "controls/VantrelCRender.h"
#include "controls/VantrelExprtkRender.h"
#include "controls/VantrelPyRender.h"
#include "tests/controls/FakeSurface.h"
#include "tests/support/CaseName.h"

namespace {

enum Lang : int32_t { kC = 9, kPython = 13, kExprtk = 8 };

std::unique_ptr<VantrelScriptRender> makeRender(int32_t lang) {
  if (lang == kC) return std::make_unique<VantrelCRender>();
  if (lang == kPython) return std::make_unique<VantrelPyRender>();
  return std::make_unique<VantrelExprtkRender>();
}

void fillTable(int32_t lang, SyntaxColors& colors) {
  if (lang == kC) initCSyntaxColors(colors);
  else if (lang == kPython) initPySyntaxColors(colors);
  else initExprtkSyntaxColors(colors);
}

constexpr int32_t kLine = 16;  // FakeSurface's line height
constexpr RECT kView{0, 0, 300, 5 * kLine - 1};

// Everything one paint produces.
struct Painted {
  std::vector<FakeSurface::Drawn> drawn;
  std::vector<COLORREF> colours;
  std::vector<RECT> inverted;
  std::vector<size_t> lineStarts;
  std::vector<int32_t> lineNumbers;
  int32_t first = 0, last = 0;
  std::vector<std::u16string> symbols;
  SyntaxColors table;  // the table after the paint
};

void expectSame(const Painted& a, const Painted& b, const std::string& where) {
  ASSERT_EQ(a.drawn.size(), b.drawn.size()) << where;
  for (size_t i = 0; i < a.drawn.size(); ++i) {
    EXPECT_EQ(a.drawn[i].colour, b.drawn[i].colour) << where << " run " << i;
    EXPECT_EQ(a.drawn[i].x, b.drawn[i].x) << where << " run " << i;
    EXPECT_EQ(a.drawn[i].y, b.drawn[i].y) << where << " run " << i;
    EXPECT_EQ(a.drawn[i].text, b.drawn[i].text) << where << " run " << i;
  }
  EXPECT_EQ(a.colours, b.colours) << where;
  ASSERT_EQ(a.inverted.size(), b.inverted.size()) << where;
  for (size_t i = 0; i < a.inverted.size(); ++i) {
    EXPECT_EQ(a.inverted[i].left, b.inverted[i].left) << where;
    EXPECT_EQ(a.inverted[i].top, b.inverted[i].top) << where;
    EXPECT_EQ(a.inverted[i].right, b.inverted[i].right) << where;
  }
  EXPECT_EQ(a.lineStarts, b.lineStarts) << where;
  EXPECT_EQ(a.lineNumbers, b.lineNumbers) << where;
  EXPECT_EQ(a.first, b.first) << where;
  EXPECT_EQ(a.last, b.last) << where;
  EXPECT_EQ(a.symbols, b.symbols) << where;
  EXPECT_EQ(a.table, b.table) << where;
}

// One paint of `text` at line `topLine` (0-based) with `colors`, through `resume` when given
// (prepared and settled as the editor does), the selection [10, 60) inverted.
Painted paint(int32_t lang, const std::u16string& text, int32_t topLine, SyntaxColors& colors,
              ScriptResume* resume) {
  FakeSurface surface;
  auto render = makeRender(lang);
  if (resume) resume->prepare(lang, colors);
  render->mResume = resume;
  render->mCanvas = &surface;
  render->mColors = &colors;
  render->mView = kView;
  render->mScrollY = topLine * kLine + 3;  // a line partly above the view, too
  render->paint(text);
  if (resume) resume->settle(colors);
  render->invertSelection(std::min<size_t>(10, text.size()), std::min<size_t>(60, text.size()));
  Painted p;
  p.drawn = surface.drawn;
  p.colours = surface.colours;
  p.inverted = surface.inverted;
  for (const char16_t* s : render->mLineStarts) p.lineStarts.push_back(static_cast<size_t>(s - text.c_str()));
  p.lineNumbers = render->mLineNumbers;
  p.first = render->mFirstLine;
  p.last = render->mLastLine;
  if (lang == kC) static_cast<VantrelCRender&>(*render).getSymbols(p.symbols);
  p.table = colors;
  return p;
}

// Index of (line, column), both 0-based, in `text` (column -1: the line feed before the
// line); the end of the text past its last line.
size_t indexOf(const std::u16string& text, int line, int column) {
  size_t i = 0;
  for (int l = 0; l < line; ++l) {
    i = text.find(u'\n', i);
    if (i == std::u16string::npos) return text.size();
    ++i;
  }
  return std::min(text.size(), static_cast<size_t>(static_cast<std::ptrdiff_t>(i) + column));
}

// A step: replace `removed` characters at (line, column) by `with` (no edit when line < 0),
// then paint with the view's top at line `topLine`.
struct Step {
  int topLine;
  int line;
  int column;
  size_t removed;
  std::u16string with;
};

constexpr int kAfterLast = -1;  // topLine: the line after the text's final line feed

Step scroll(int topLine) { return Step{topLine, -1, 0, 0, u""}; }

struct ResumeCase {
  const char* name;
  int32_t lang;
  std::u16string text;
  std::vector<Step> steps;
};

void PrintTo(const ResumeCase& c, std::ostream* os) { testsupport::printName(c, os); }

std::u16string withNul() { return std::u16string(u"x\0y", 3); }

const std::u16string kCText =
    u"typedef struct Cell { int row; } Cell;\n"             // 1
    u"#define LIMIT 10\n"                                   // 2
    u"enum Mode { FAST, SLOW };\n"                          // 3
    u"static int weigh(Cell *c, int n);\n"                  // 4
    u"char *label(int k);\n"                                // 5
    u"const char *s = \"open \\\n"                          // 6  a string continued by a backslash
    u"still the string\";\n"                                // 7
    u"/* a comment opened above\n"                          // 8
    u"   Cell LIMIT FAST weigh label\n"                     // 9
    u"   still inside */ int after = LIMIT; enum Wide {\n"  // 10 an enum open over lines
    u"  ONE,\n"                                             // 11
    u"  TWO, p = weigh; q = label;\n"                       // 12 functions without a call
    u"/* opened inside the enum\n"                          // 13
    u"   SLOW row\n"                                        // 14
    u"*/ THREE };  Mode m = SLOW; y = weigh(0, ONE);\n"     // 15
    u"struct Late { int z; }; Late q; unknown(q);\n"        // 16
    u"'c' \"s\" 0x1F 2.5e3 /* */ // tail\n"                 // 17
    u"return label(LIMIT) + TWO;\n"                         // 18
    u"}\n"                                                  // 19
    u"int end = FAST + SLOW + THREE;\n";                    // 20

const std::u16string kPyText =
    u"import os\n"                     // 1
    u"class Sheet:\n"                  // 2
    u"    def cell(self, r):\n"        // 3
    u"        return r\n"              // 4
    u"s = '''a string opened above\n"  // 5
    u"  class not really\n"            // 6
    u"  still open \"\"\"\n"           // 7 the other quote closes nothing
    u"closed''' + \"x\"\n"             // 8
    u"\"\"\"second one opened\n"       // 9
    u"   def inside\n"                 // 10
    u"   ''' not the closer\n"         // 11
    u"   class inside\n"               // 12
    u"   (still)\n"                    // 13
    u"\"\"\" # done\n"                 // 14
    u"for i in range(10):\n"           // 15
    u"    print(len(os.name), i)\n"    // 16
    u"x = Sheet().cell(3) # tail\n"    // 17
    u"'open \\\n"                      // 18
    u"continued'\n"                    // 19
    u"def last(a): return a\n";        // 20

const std::u16string kExprtkText =
    u"var x := 1;\n"                                           // 1
    u"/* a comment\n"                                          // 2
    u"   opened above A1 */ x += A1;\n"                        // 3
    u"var s := 'a literal\n"                                   // 4
    u"  over lines';\n"                                        // 5
    u"/* second\n"                                             // 6
    u"   still */ B2_ := A1_;\n"                               // 7
    u"# line comment\n"                                        // 8
    u"for (var i := 0; i < 10; i += 1) { x := max(x, i); }\n"  // 9
    u"sum(a.b.c) + A1 * 2.5;\n"                                // 10
    u"'unclosed\n"                                             // 11
    u"x;\n";                                                   // 12

// Scrolls and edits around the resume point, which the paint before each step left at its
// first visible line: below it, at its very start, inside its line, above it.
std::vector<Step> aroundPoint() {
  return {
      scroll(10),            // view from line 11: the point there
      scroll(12),            // continued over two hidden lines
      scroll(8),             // up: a paint from the start, its point at line 9
      {8, 12, 0, 0, u"/*"},  // below the view
      {8, 9, 2, 0, u"\n"},   // inside the view, a new line
      {8, 8, 0, 0, u"x"},    // at the point itself
      {8, 8, 3, 2, u""},     // inside the point's line
      scroll(10),            // further down
      scroll(12),
      {12, 3, 0, 0, u"/* "},  // above the point: opens a comment
      scroll(12),
      {12, 0, 0, 0, u"#define FAST 1\n"},  // above: a new line and a name
      scroll(13),
      {13, 5, 0, 1, u""},  // above: one character removed
      scroll(4),           // up: the point lies below the view
      scroll(9),
      {9, 8, 0, 0, withNul()},  // a NUL below the point ends the text
      {9, 8, 0, 3, u""},        // and it goes again
      scroll(16),               // the text's last lines
      {16, 16, 0, 0, u"\n\n\n"},
      scroll(20),  // below the text's end
      scroll(0),   // back to the top
      scroll(11),
      {11, 10, 0, 0, u"\n"},  // a line inserted above the point
      scroll(11),
      {11, 11, -1, 1, u" "},  // the line feed right before the point joins two lines
      scroll(11),
      {11, 12, 0, 100, u""},  // a removal starting after the point, past the text end
      scroll(11),
      scroll(10),  // up by one line: the point lies just below the view
      scroll(14),
      scroll(13),
      scroll(kAfterLast),  // the empty line after the final line feed
      scroll(kAfterLast),
      {kAfterLast, 3, 0, 0, u"\n"},
      scroll(kAfterLast),
  };
}

class ScriptResumeDiff : public ::testing::TestWithParam<ResumeCase> {};

TEST_P(ScriptResumeDiff, ContinuedPaintEqualsFullPaint) {
  const ResumeCase& c = GetParam();
  std::u16string text = c.text;
  SyntaxColors cached, fresh;
  fillTable(c.lang, cached);
  ScriptResume resume;
  int n = 0;
  for (const Step& step : c.steps) {
    if (step.line >= 0) {
      const size_t at = indexOf(text, step.line, step.column);
      text.replace(at, std::min(step.removed, text.size() - at), step.with);
      resume.noteChange(at);
    }
    const int topLine = step.topLine == kAfterLast ? static_cast<int>(std::count(text.begin(), text.end(), u'\n'))
                                                   : step.topLine;
    fresh = cached;  // the table as the continued paint finds it
    const std::string where = std::string(c.name) + " step " + std::to_string(n++);
    const Painted full = paint(c.lang, text, topLine, fresh, nullptr);
    const Painted continued = paint(c.lang, text, topLine, cached, &resume);
    expectSame(continued, full, where);
    if (topLine > 0 && topLine < full.lineNumbers.back()) {
      EXPECT_TRUE(resume.valid) << where;
      EXPECT_EQ(resume.point.line, topLine + 1) << where;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, ScriptResumeDiff,
                         ::testing::Values(ResumeCase{"C", kC, kCText, aroundPoint()},
                                           ResumeCase{"Python", kPython, kPyText, aroundPoint()},
                                           ResumeCase{"Exprtk", kExprtk, kExprtkText, aroundPoint()}),
                         testsupport::ByName());

// The point is really used: a change above it that is not reported (which owners must
// never do) still paints as the text it was taken on.
TEST(ScriptResume, ContinuesFromThePointWithoutRelexingAbove) {
  std::u16string text = kCText;
  SyntaxColors colors;
  fillTable(kC, colors);
  ScriptResume resume;
  paint(kC, text, 10, colors, &resume);
  const Painted before = paint(kC, text, 10, colors, &resume);
  const size_t enumAt = text.find(u"enum Wide");
  text[enumAt] = u'x';  // ONE and TWO in the view are no longer enum members
  SyntaxColors copy = colors;
  expectSame(paint(kC, text, 10, colors, &resume), before, "unreported");
  resume.noteChange(enumAt);
  const Painted after = paint(kC, text, 10, colors, &resume);
  const bool sameInk =
      after.drawn.size() == before.drawn.size() &&
      std::equal(after.drawn.begin(), after.drawn.end(), before.drawn.begin(),
                 [](const auto& a, const auto& b) { return a.colour == b.colour && a.text == b.text; });
  EXPECT_FALSE(sameInk);
  expectSame(after, paint(kC, text, 10, copy, nullptr), "reported");
}

// A point is not carried over to another language or to a changed colour table.
TEST(ScriptResume, LanguageAndTableChangesDropThePoint) {
  // From line 2 on C sees an apostrophe literal left open, Python a triple-quoted string.
  const std::u16string text = u"a = '''\nb\nc\nd\ne\nf'''\ng h\ni j\nk l\nm n\no p\n";
  ScriptResume resume;
  SyntaxColors c, py;
  fillTable(kC, c);
  fillTable(kPython, py);
  paint(kC, text, 4, c, &resume);
  ASSERT_TRUE(resume.valid);
  SyntaxColors pyFresh = py;
  expectSame(paint(kPython, text, 4, py, &resume), paint(kPython, text, 4, pyFresh, nullptr), "language");
  // The same table for both languages: the language alone tells them apart.
  paint(kC, text, 4, c, &resume);
  SyntaxColors same = c, sameFresh = c;
  expectSame(paint(kPython, text, 4, same, &resume), paint(kPython, text, 4, sameFresh, nullptr), "same table");

  paint(kC, text, 4, c, &resume);
  ASSERT_TRUE(resume.valid);
  c.erase(u"int");
  resume.prepare(kC, c);
  EXPECT_FALSE(resume.valid);
}

}  // namespace
