// The 34 script functions and the lexer's cell-range symbols, each run as the script of
// cell C5 over one small sheet.
#include <cmath>
#include <limits>

#include "platform/user/Kernel.h"
#include "script/ExprtkRun.h"
#include "tests/script/ScriptFixture.h"

namespace {

using scripttest::FakeDocument;
using scripttest::OpenTables;

constexpr double kAny = std::numeric_limits<double>::quiet_NaN();  // result not checked

struct CellText {
  int32_t row, col;
  const char16_t* text;
};

struct FunctionCase {
  const char* script;
  double result;                          // kAny: not checked
  std::vector<CellText> cells;            // cell texts after the run
  std::vector<std::u16string> calls;      // what the grid was asked, in order
};

// A1 3, A2 "x", A3 "x", B1 "abc", B2 2.5, B3 "其他", D4 "AbC丄z"; 6 rows and 5 columns
// (headers included); the GBK bytes of 丄 are 81 41, the second an ASCII letter. The
// running cell is C5. Table "其他" (a second tab) has A1 = 9 and
// B1 = "远"; "T2" (a third) is never found, titles matching exactly. exprtk's string
// literals take printable ASCII only, so Chinese text reaches scripts through cells.
class FunctionTableTest : public ::testing::TestWithParam<FunctionCase> {
 protected:
  void SetUp() override {
    doc.core.resize(6, 5);
    doc.setRow(1, {u"3", u"abc"});
    doc.setRow(2, {u"x", u"2.5"});
    doc.setRow(3, {u"x", u"其他"});
    doc.core.setText(4, 4, u"AbC丄z");
    doc.selection = Selection{2, 3, Range{2, 3, 4, 4}};
    other.core.resize(3, 3);
    other.setRow(1, {u"9", u"远"});
    tables.add(u"其他", other);
    tables.add(u"T2", third);
    platform::setManualClock(1000);
  }
  void TearDown() override { platform::useRealClock(); }

  FakeDocument doc;
  FakeDocument other;
  FakeDocument third;
  OpenTables tables;
};

TEST_P(FunctionTableTest, RunsAndLeavesTheSheet) {
  const FunctionCase& c = GetParam();
  runExprtkCell(doc, 5, 3, utf8ToWide(c.script));
  EXPECT_EQ(doc.mExprtkHost.mErrors, "") << c.script;
  if (!std::isnan(c.result)) EXPECT_NEAR(doc.mExprtkHost.mResult, c.result, 1e-6) << c.script;
  for (const CellText& t : c.cells) {
    FakeDocument& where = t.row < 0 ? other : doc;
    int32_t row = t.row < 0 ? -t.row : t.row;
    EXPECT_EQ(wideToUtf8(where.core.getText(row, t.col)), wideToUtf8(t.text))
        << c.script << " cell " << row << "," << t.col;
  }
  EXPECT_EQ(doc.calls, c.calls) << c.script;
}

// Negative rows in `cells` address the other table.
INSTANTIATE_TEST_SUITE_P(
    All34, FunctionTableTest,
    ::testing::Values(
        FunctionCase{"COUNTIF(A1:A3, 'x')", 2, {}, {}},
        FunctionCase{"set_(4,1,to_lower(get_(4,4)))", 0, {{4, 1, u"abc丄z"}}, {}},
        FunctionCase{"set_(4,1,to_upper(get_(4,4)))", 0, {{4, 1, u"ABC丄Z"}}, {}},
        FunctionCase{"set_(4,1,to_string(0.1)); set_(4,2,to_string(1e20))", kAny,
                     {{4, 1, u"0.100000000000000006"}, {4, 2, u"1E+20"}}, {}},
        FunctionCase{"to_number('12abc') + to_number('abc')", 12, {}, {}},
        FunctionCase{"get(1,1) + get(2,2)", 5.5, {}, {}},
        FunctionCase{"set(4,2,7.5)", 0, {{4, 2, u"7.5"}}, {}},
        FunctionCase{"set_(4,1,get_(1,2) + '!')", 0, {{4, 1, u"abc!"}}, {}},
        FunctionCase{"set_(4,3,'=A1*2')", 0, {{4, 3, u"=A1*2"}}, {}},
        FunctionCase{"get1(get_(3,2),1,1)", 9, {}, {}},
        FunctionCase{"get1('none',1,1) + get1('t2',1,1)", 0, {}, {}},
        FunctionCase{"set1(get_(3,2),2,2,4)", 0, {{-2, 2, u"4"}}, {}},
        FunctionCase{"set_(4,1,get1_(get_(3,2),1,2))", 0, {{4, 1, u"远"}}, {}},
        FunctionCase{"set1_(get_(3,2),2,1,get_(4,4))", 0, {{-2, 1, u"AbC丄z"}}, {}},
        FunctionCase{"set1_('none',2,1,'y')", 0, {}, {}},
        FunctionCase{"set_progress(50)", 1, {}, {u"progress 50"}},
        FunctionCase{"sleep(250); get_tick_count()", 1250, {}, {}},
        FunctionCase{"sleep(0) + sleep(-5); get_tick_count()", 1000, {}, {}},
        FunctionCase{"save()", 1, {}, {u"save"}},
        FunctionCase{"save_as(get_(4,4))", 1, {}, {u"saveAs AbC丄z"}},
        FunctionCase{"get_row_count() * 10 + get_col_count()", 65, {}, {}},
        FunctionCase{"get_selected_row() * 10 + get_selected_col()", 23, {}, {}},
        FunctionCase{"resize(10,4); get_row_count()", 10, {}, {}},
        FunctionCase{"insert_col(-1,2); get_col_count()", 7, {}, {u"repaint"}},
        FunctionCase{"insert_row(3,2)", 1, {}, {u"scroll 3,0", u"insert 2"}},
        FunctionCase{"open_file(get_(4,4))", 1, {}, {u"open AbC丄z"}},
        FunctionCase{"open_file('')", 1, {}, {u"open "}},
        FunctionCase{"sort(7,1); sort(1,0)", 1, {}, {u"sortAscending", u"sortDescending"}},
        FunctionCase{"distance(0,0,1,0)", 111195.08023353, {}, {}},
        FunctionCase{"heading(0,0,1,0) * 1000 + heading(0,0,0,-1)", 90180, {}, {}},
        FunctionCase{"destination(0,0,0,90)", 0, {{5, 4, u"0"}}, {}},
        FunctionCase{"angle(0,1,0,0,1,0)", 90, {}, {}},
        FunctionCase{"PhoneArea('13800000000') == ''", 1, {}, {}},
        FunctionCase{"IdCardArea('1101') == ''", 1, {}, {}},
        FunctionCase{"PostCodeArea(100000) == ''", 1, {}, {}},
        FunctionCase{"pi > 3.14 and epsilon < 1e-9 and inf > 1e308", 1, {}, {}},
        FunctionCase{"set(1/0,1,5) + set(-1/0,1,5) + get(0/0,1) + set_(1e300,1,'x')", 0, {}, {}}));

TEST_F(FunctionTableTest, DestinationWritesItsLatitudeBesideTheRunningCell) {
  runExprtkCell(doc, 5, 3, u"destination(0,0,111195.08023353,0)");
  EXPECT_NEAR(doc.mExprtkHost.mResult, 0, 1e-9);
  EXPECT_NEAR(doc.core.getDouble(5, 4), 1, 1e-9);
  runExprtkCell(doc, 5, 3, u"destination(0,0,111195.08023353,90)");
  EXPECT_NEAR(doc.mExprtkHost.mResult, 1, 1e-9);
  EXPECT_NEAR(doc.core.getDouble(5, 4), 0, 1e-9);
}

TEST_F(FunctionTableTest, SelectionFollowsInsertRow) {
  runExprtkCell(doc, 5, 3, u"insert_row(3,2)");
  EXPECT_EQ(doc.selection.range, (Range{3, 0, 3, 0}));
}

// The lexer reads A1:B3, A:C and sheet:x as single symbols; ':' before '=' or a digit,
// and '? :' with blanks, keep their meaning.
struct LexerCase {
  const char* script;
  bool compiles;
  double result;
};

class LexerTest : public ::testing::TestWithParam<LexerCase> {};

TEST_P(LexerTest, ReadsCellRangeSymbols) {
  FakeDocument doc;
  doc.core.resize(5, 4);
  doc.setRow(1, {u"1", u"2", u"3"});
  doc.setRow(2, {u"4", u"5", u"6"});
  doc.setRow(3, {u"7", u"8", u"9"});
  const LexerCase& c = GetParam();
  runExprtkCell(doc, 0, 0, utf8ToWide(c.script));
  EXPECT_EQ(doc.mExprtkHost.mErrors.empty(), c.compiles) << c.script << "\n" << doc.mExprtkHost.mErrors;
  if (c.compiles) EXPECT_EQ(doc.mExprtkHost.mResult, c.result) << c.script;
}

INSTANTIATE_TEST_SUITE_P(
    Symbols, LexerTest,
    ::testing::Values(LexerCase{"var x := 5; x", true, 5}, LexerCase{"var x:=6; x", true, 6},
                      LexerCase{"1 ? A1 : B1", true, 1}, LexerCase{"0 ? A1 : B1", true, 2},
                      LexerCase{"1?A1:B1", false, 0}, LexerCase{"sum(A1:B3)", true, 27},
                      LexerCase{"sum(A:C)", true, 45}, LexerCase{"A1:B3[5]", true, 8},
                      LexerCase{"sum(B3:A1)", true, 27},
                      LexerCase{"sum(A1:Z9)", true, 45},    // cut to the sheet
                      LexerCase{"sum(A9:B12)", false, 0},   // starts past the sheet: unbound
                      LexerCase{"A1:5", false, 0}, LexerCase{"A0 + 1", false, 0},
                      LexerCase{"A1:=5; A1", true, 5}));

TEST(ExprtkErrors, EveryParserErrorIsALineWithItsPosition) {
  FakeDocument doc;
  doc.core.resize(3, 3);
  runExprtkCell(doc, 0, 0, u"1 + nosuch");
  const std::string& e = doc.mExprtkHost.mErrors;
  EXPECT_EQ(e.rfind("Error(4): ", 0), 0u) << e;
  EXPECT_NE(e.find("nosuch"), std::string::npos) << e;
  EXPECT_EQ(e.back(), '\n');
  EXPECT_EQ(doc.mExprtkHost.mResult, 0);
}

}  // namespace
