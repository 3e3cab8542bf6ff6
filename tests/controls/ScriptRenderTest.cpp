// The script renderers: token classes chosen per language, names learnt above the view,
// runs and line starts of a scrolled view, drawing by colour, and selection rectangles.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "controls/VantrelCRender.h"
#include "controls/VantrelExprtkRender.h"
#include "controls/VantrelPyRender.h"
#include "tests/controls/FakeSurface.h"

namespace {

enum class Lang { C, Python, Exprtk };

std::unique_ptr<VantrelScriptRender> makeRender(Lang lang) {
  if (lang == Lang::C) return std::make_unique<VantrelCRender>();
  if (lang == Lang::Python) return std::make_unique<VantrelPyRender>();
  return std::make_unique<VantrelExprtkRender>();
}

void fillTable(Lang lang, SyntaxColors& colors) {
  if (lang == Lang::C) initCSyntaxColors(colors);
  else if (lang == Lang::Python) initPySyntaxColors(colors);
  else initExprtkSyntaxColors(colors);
}

struct Fixture {
  FakeSurface surface;
  SyntaxColors colors;
  std::unique_ptr<VantrelScriptRender> render;

  Fixture(Lang lang, RECT view = {0, 0, 10000, 10000}, int32_t scrollX = 0, int32_t scrollY = 0)
      : render(makeRender(lang)) {
    fillTable(lang, colors);
    render->mCanvas = &surface;
    render->mColors = &colors;
    render->mView = view;
    render->mScrollX = scrollX;
    render->mScrollY = scrollY;
  }

  // Every filed run, in text order.
  std::vector<TokenRun> runs() const {
    std::vector<TokenRun> all;
    for (const auto& group : render->mRunsByColour) all.insert(all.end(), group.second.begin(), group.second.end());
    std::stable_sort(all.begin(), all.end(), [](const TokenRun& a, const TokenRun& b) { return a.text < b.text; });
    return all;
  }

  // "text=class" of every filed run, in text order.
  std::string classes() const {
    std::string out;
    for (const TokenRun& run : runs()) {
      if (!out.empty()) out += ' ';
      out += wideToUtf8(std::u16string(run.text, run.length)) + "=" + wideToUtf8(run.tokenClass);
    }
    return out;
  }

  std::vector<size_t> lineStartIndexes(const std::u16string& text) const {
    std::vector<size_t> out;
    for (const char16_t* start : render->mLineStarts) out.push_back(static_cast<size_t>(start - text.c_str()));
    return out;
  }
};

struct ClassCase {
  std::u16string text;
  std::string classes;
};

void expectClasses(Lang lang, const std::vector<ClassCase>& cases) {
  for (const ClassCase& c : cases) {
    Fixture f(lang);
    f.render->paint(c.text);
    EXPECT_EQ(f.classes(), c.classes) << wideToUtf8(c.text);
  }
}

TEST(ScriptRender, CClasses) {
  expectClasses(
      Lang::C,
      {
          {u"int x;", "int=int x=C_Var ;=C_Symbol"},
          {u"enum E { A, B }; int C;",
           "enum=enum E=C_Struct {=C_Symbol A=C_Define ,=C_Symbol B=C_Define };=C_Symbol int=int C=C_Var "
           ";=C_Symbol"},
          {u"typedef struct tag t; tag u;",
           "typedef=typedef struct=C_Struct tag=C_Struct t=C_Var ;=C_Symbol tag=C_Struct u=C_Var ;=C_Symbol"},
          {u"#define N 10\nint a = N;",
           "#=# define=define N=C_Define 10=C_Number int=int a=C_Var ==C_Symbol N=C_Define ;=C_Symbol"},
          {u"char *g(void); x = g;",
           "char=char *=C_Symbol g=C_Function (=C_Symbol void=void );=C_Symbol x=C_Var ==C_Symbol "
           "g=C_Function ;=C_Symbol"},
          {u"printf(\"%d\\n\", 'c'); // done",
           "printf=printf (=C_Symbol \"%d\\n\"=C_String ,=C_Symbol 'c'=C_String );=C_Symbol // done=C_Comment"},
          {u"/* a\nb */ @ 1.5", "/* a=C_Comment b */=C_Comment @ =C_Default 1.5=C_Number"},
      });
}

TEST(ScriptRender, PythonClasses) {
  expectClasses(
      Lang::Python,
      {
          {u"class A:\n  def f(self):\n    print(x)",
           "class=class A=C_Struct :=C_Symbol def=def f=C_Function (=C_Symbol self=C_Var ):=C_Symbol "
           "print=C_Function "
           "(=C_Symbol x=C_Var )=C_Symbol"},
          {u"'''a\nb\nc''' s = \"t\"",
           "'''a=C_Comment b=C_Comment c'''=C_Comment s=C_Var ==C_Symbol \"t\"=C_String"},
          {u"import Morvel\nMorvel.get(1)",
           "import=import Morvel=Morvel Morvel=Morvel .=C_Symbol get=get (=C_Symbol 1=C_Number )=C_Symbol"},
          {u"变量 # 注释", "变量 =C_Default # 注释=C_Comment"},
      });
}

TEST(ScriptRender, ExprtkClasses) {
  expectClasses(
      Lang::Exprtk,
      {
          {u"A1 + A1_ * AB12 - a1",
           "A1=C_GridDataVar +=C_Symbol A1_=C_GridStrVar *=C_Symbol AB12=C_GridDataVar -=C_Symbol "
           "a1=C_GridDataVar"},
          {u"sum(A1:B3) + foo(x.y)",
           "sum=sum (=C_Symbol A1=C_GridDataVar :=C_Symbol B3=C_GridDataVar )=C_Symbol +=C_Symbol foo=C_Function "
           "(=C_Symbol x.y=C_Var )=C_Symbol"},
          {u"if (x) \"t\" # note",
           "if=if (=C_Symbol x=C_Var )=C_Symbol \"=C_Default t=C_Var \" =C_Default # note=C_Comment"},
          {u"'s' _A1 A1x A1_x_ A1_x", "'s'=C_String _A1=C_Var A1x=C_Var A1_x_=C_GridStrVar A1_x=C_Var"},
      });
}

// The exprtk table has no "C_Function": the renderer adds it in black and draws calls so.
// Every word of a language's colour table, written alone, is painted in the table's
// colour for it: the renderer finds each of them, however the table changes.
TEST(ScriptRender, EveryWordOfTheTablePaintsInItsColour) {
  auto isWord = [](const std::u16string& key) {
    if (key.empty() || key.rfind(u"C_", 0) == 0 || (key[0] >= u'0' && key[0] <= u'9')) return false;
    for (char16_t c : key)
      if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_'))
        return false;
    return true;
  };
  for (Lang lang : {Lang::C, Lang::Python, Lang::Exprtk}) {
    SyntaxColors table;
    fillTable(lang, table);
    int words = 0;
    for (const auto& [key, colour] : table) {
      if (!isWord(key)) continue;
      ++words;
      Fixture f(lang);
      f.render->paint(key);
      ASSERT_EQ(f.runs().size(), 1u) << wideToUtf8(key);
      const auto group = f.render->mRunsByColour.find(colour);
      EXPECT_TRUE(group != f.render->mRunsByColour.end() && group->second.size() == 1)
          << wideToUtf8(key) << " (class " << wideToUtf8(f.runs()[0].tokenClass) << ")";
    }
    EXPECT_GT(words, 40);
  }
}

TEST(ScriptRender, MissingClassIsAddedBlack) {
  Fixture f(Lang::Exprtk);
  ASSERT_EQ(f.colors.count(u"C_Function"), 0u);
  const std::u16string text = u"foo(1)";  // runs point into the painted text
  f.render->paint(text);
  EXPECT_EQ(f.colors.at(u"C_Function"), 0u);
  EXPECT_EQ(f.classes(), "foo=C_Function (=C_Symbol 1=C_Number )=C_Symbol");
  ASSERT_EQ(f.render->mRunsByColour.size(), 1u);
  EXPECT_EQ(f.render->mRunsByColour.begin()->first, 0u);
}

TEST(ScriptRender, GridNameShapes) {
  const struct {
    const char16_t* name;
    bool data, str;
  } cases[] = {
      {u"A1", true, false},    {u"ab12", true, false},  {u"A", false, false},    {u"1", false, false},
      {u"A1_", false, true},   {u"A1_x_", false, true}, {u"A1_x", false, false}, {u"A_", false, false},
      {u"A1x_", false, false}, {u"_1_", false, false},  {u"", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isGridDataName(c.name), c.data) << wideToUtf8(c.name);
    EXPECT_EQ(isGridStrName(c.name), c.str) << wideToUtf8(c.name);
  }
}

// Names declared on lines above the view colour their uses inside it; the enum's own name
// is not learnt there, its members are.
TEST(ScriptRender, CLearnsNamesAboveTheView) {
  const std::u16string text =
      u"int f(int a);\n"
      u"struct Pt { int n; };\n"
      u"enum E { A };\n"
      u"#define M 2\n"
      u"g = f; Pt p; E e; A; M;\n";
  Fixture f(Lang::C, {0, 0, 1000, 15}, 0, 4 * 16);
  f.render->paint(text);
  EXPECT_EQ(f.classes(),
            "g=C_Var ==C_Symbol f=C_Function ;=C_Symbol Pt=C_Struct p=C_Var ;=C_Symbol E=C_Var e=C_Var ;=C_Symbol "
            "A=C_Define ;=C_Symbol M=C_Define ;=C_Symbol");
}

TEST(ScriptRender, CSymbolsListsEverySetInOrder) {
  Fixture f(Lang::C);
  f.render->paint(u"int f(int a); struct S s;");
  std::vector<std::u16string> symbols{u"stale"};
  static_cast<VantrelCRender&>(*f.render).getSymbols(symbols);
  // f is both a function and, as the name after "int", a variable.
  EXPECT_EQ(symbols, (std::vector<std::u16string>{u"f", u"S", u"a", u"f", u"s"}));
}

// Lines 2 to 4 reach into a view of 32 rows scrolled down by 20; line 5 ends the paint.
TEST(ScriptRender, RunsAndLineStartsOfAScrolledView) {
  const std::u16string text =
      u"int a;\n"    // line 1 (0..15): above the view
      u"int b;\n"    // line 2 (16..31): straddles the top edge
      u"\tx = 1;\n"  // line 3
      u"y = 22;\n"   // line 4 (48..63): straddles the bottom edge
      u"z;\n"        // line 5 (64..): below, the stop
      u"w;\n";
  Fixture f(Lang::C, {100, 50, 400, 82}, 5, 20);
  f.render->paint(text);
  EXPECT_EQ(f.lineStartIndexes(text), (std::vector<size_t>{0, 7, 14, 22, 30}));
  EXPECT_EQ(f.render->mLineNumbers, (std::vector<int32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(f.render->mFirstLine, 2);
  EXPECT_EQ(f.render->mLastLine, 5);
  EXPECT_EQ(f.classes(),
            "int=int b=C_Var ;=C_Symbol x=C_Var ==C_Symbol 1=C_Number ;=C_Symbol y=C_Var ==C_Symbol 22=C_Number "
            ";=C_Symbol");
  // Line 3: x starts after the tab (40) at mView.left - mScrollX = 95.
  const struct {
    const char* text;
    RECT box;
  } boxes[] = {
      {"int", {95, 46, 125, 62}}, {"b", {135, 46, 145, 62}}, {";", {145, 46, 155, 62}},
      {"x", {135, 62, 145, 78}},  {"=", {155, 62, 165, 78}}, {"1", {175, 62, 185, 78}},
      {";", {185, 62, 195, 78}},  {"y", {95, 78, 105, 94}},  {"22", {135, 78, 155, 94}},
  };
  const std::vector<TokenRun> runs = f.runs();
  ASSERT_EQ(runs.size(), 11u);
  const size_t order[] = {0, 1, 2, 3, 4, 5, 6, 7, 9};
  for (size_t i = 0; i < std::size(boxes); ++i) {
    const TokenRun& run = runs[order[i]];
    EXPECT_EQ(wideToUtf8(std::u16string(run.text, run.length)), boxes[i].text);
    EXPECT_EQ(run.left, boxes[i].box.left) << boxes[i].text;
    EXPECT_EQ(run.top, boxes[i].box.top) << boxes[i].text;
    EXPECT_EQ(run.right, boxes[i].box.right) << boxes[i].text;
    EXPECT_EQ(run.bottom, boxes[i].box.bottom) << boxes[i].text;
  }
}

// Drawing: one colour change per colour, ascending, runs in filing order, text 2 pixels
// below the line's top.
TEST(ScriptRender, PaintDrawsGroupedByColour) {
  Fixture f(Lang::C);
  f.render->paint(u"int x = 1;\nx;");
  EXPECT_EQ(f.surface.colours, (std::vector<COLORREF>{0x000000, 0x800000, 0xFF0000}));
  const std::vector<FakeSurface::Drawn> expected = {
      {0x000000, 60, 2, "="}, {0x000000, 80, 2, "1"}, {0x000000, 90, 2, ";"},  {0x000000, 10, 18, ";"},
      {0x800000, 40, 2, "x"}, {0x800000, 0, 18, "x"}, {0xFF0000, 0, 2, "int"},
  };
  ASSERT_EQ(f.surface.drawn.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(f.surface.drawn[i].colour, expected[i].colour) << i;
    EXPECT_EQ(f.surface.drawn[i].x, expected[i].x) << i;
    EXPECT_EQ(f.surface.drawn[i].y, expected[i].y) << i;
    EXPECT_EQ(f.surface.drawn[i].text, expected[i].text) << i;
  }
}

// Runs wholly outside the view horizontally are dropped; one straddling its edge is kept.
TEST(ScriptRender, RunsOutsideTheViewAreDropped) {
  const std::u16string text = u"abc = defghij;";  // abc 0..30, = 40..50, defghij 60..130, ; 130..140
  Fixture right(Lang::C, {0, 0, 50, 100});
  right.render->paint(text);
  EXPECT_EQ(right.classes(), "abc=C_Var ==C_Symbol");
  Fixture scrolled(Lang::C, {0, 0, 50, 100}, 35);
  scrolled.render->paint(text);
  EXPECT_EQ(scrolled.classes(), "==C_Symbol defghij=C_Var");
}

TEST(ScriptRender, LineEntriesAtTheEndOfTheText) {
  const struct {
    std::u16string text;
    int32_t scrollY;
    std::vector<size_t> starts;
    std::vector<int32_t> numbers;
    int32_t firstLine, lastLine;
  } cases[] = {
      {u"", 0, {}, {}, 1, 1},
      {u"", 40, {}, {}, 3, 3},
      {u"   ", 0, {}, {}, 1, 1},
      {u"a\nb", 0, {0, 2, 3}, {1, 2, 2}, 1, 2},
      {u"a\n", 0, {0, 2}, {1, 1}, 1, 2},
      {u"a\nb\nc\nd", 32, {0, 4, 6, 7}, {1, 3, 4, 4}, 3, 4},  // scrolled by two lines
      {u"a\nb", 40, {0, 3}, {1, 2}, 3, 3},                    // everything above the view
  };
  for (const auto& c : cases) {
    Fixture f(Lang::Python, {0, 0, 1000, 100}, 0, c.scrollY);
    f.render->paint(c.text);
    EXPECT_EQ(f.lineStartIndexes(c.text), c.starts) << wideToUtf8(c.text);
    EXPECT_EQ(f.render->mLineNumbers, c.numbers) << wideToUtf8(c.text);
    EXPECT_EQ(f.render->mFirstLine, c.firstLine) << wideToUtf8(c.text);
    EXPECT_EQ(f.render->mLastLine, c.lastLine) << wideToUtf8(c.text);
    if (c.text.find_first_not_of(u" \n") == std::u16string::npos || c.scrollY >= 40) {
      EXPECT_TRUE(f.render->mRunsByColour.empty());
    }
  }
}

bool sameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(ScriptRender, InvertSelection) {
  const struct {
    std::u16string text;
    int32_t scrollY;
    size_t selStart, selEnd;
    std::vector<RECT> rects;
  } cases[] = {
      {u"ab\ncd\nef", 0, 2, 2, {}},
      // the selected line feed shows as one space
      {u"ab\ncd\nef", 0, 1, 4, {{10, 0, 30, 16}, {0, 16, 10, 32}}},
      {u"ab\ncd\nef", 0, 0, 8, {{0, 0, 30, 16}, {0, 16, 30, 32}, {0, 32, 20, 48}}},
      // scrolled by two lines: the pair from line 1 to line 3 lies above the view and is skipped
      {u"l1\nl2\nl3\nl4", 32, 0, 11, {{0, 0, 30, 16}, {0, 16, 20, 32}}},
  };
  for (const auto& c : cases) {
    Fixture f(Lang::C, {0, 0, 1000, 47}, 0, c.scrollY);
    f.render->paint(c.text);
    f.render->invertSelection(c.selStart, c.selEnd);
    ASSERT_EQ(f.surface.inverted.size(), c.rects.size()) << wideToUtf8(c.text) << " " << c.selStart;
    for (size_t i = 0; i < c.rects.size(); ++i) {
      const RECT& r = f.surface.inverted[i];
      EXPECT_TRUE(sameRect(r, c.rects[i]))
          << i << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
  }
}

}  // namespace
