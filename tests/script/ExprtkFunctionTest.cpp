// The 34 script functions and the lexer's cell-range symbols, each run as the script of
// cell C5 over one small sheet.
#include <cmath>
#include <limits>

#include "platform/user/Kernel.h"
#include "script/ExprtkRun.h"
#include "tests/script/ScriptFixture.h"
#include "tests/support/CaseName.h"

namespace {

using scripttest::FakeDocument;
using scripttest::OpenTables;

constexpr double kAny = std::numeric_limits<double>::quiet_NaN();  // result not checked

struct CellText {
  int32_t row, col;
  const char16_t* text;
};

struct FunctionCase {
  const char* name;
  const char* script;
  double result;                      // kAny: not checked
  std::vector<CellText> cells;        // cell texts after the run
  std::vector<std::u16string> calls;  // what the grid was asked, in order
};

// A1 3, A2 "x", A3 "x", B1 "abc", B2 2.5, B3 "其他", D4 "AbC丄z"; 6 rows and 5 columns
// (headers included); the GBK bytes of 丄 are 81 41, the second an ASCII letter. The
// running cell is C5. Table "其他" (a second tab) has A1 = 9 and
// B1 = "远"; "T2" (a third) is never found, titles matching exactly. exprtk's string
// literals take printable ASCII only, so Chinese text reaches scripts through cells.
void PrintTo(const FunctionCase& c, std::ostream* os) { testsupport::printName(c, os); }

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
        FunctionCase{"countif_text", "COUNTIF(A1:A3, 'x')", 2, {}, {}},
        FunctionCase{"to_lower_keeps_non_ascii", "set_(4,1,to_lower(get_(4,4)))", 0, {{4, 1, u"abc丄z"}}, {}},
        FunctionCase{"to_upper_keeps_non_ascii", "set_(4,1,to_upper(get_(4,4)))", 0, {{4, 1, u"ABC丄Z"}}, {}},
        FunctionCase{"to_string_digits_and_exponent",
                     "set_(4,1,to_string(0.1)); set_(4,2,to_string(1e20))",
                     kAny,
                     {{4, 1, u"0.100000000000000006"}, {4, 2, u"1E+20"}},
                     {}},
        FunctionCase{"to_number_leading_digits", "to_number('12abc') + to_number('abc')", 12, {}, {}},
        FunctionCase{"get_numbers", "get(1,1) + get(2,2)", 5.5, {}, {}},
        FunctionCase{"set_number", "set(4,2,7.5)", 0, {{4, 2, u"7.5"}}, {}},
        FunctionCase{"set_text_joined", "set_(4,1,get_(1,2) + '!')", 0, {{4, 1, u"abc!"}}, {}},
        FunctionCase{"set_text_formula_kept", "set_(4,3,'=A1*2')", 0, {{4, 3, u"=A1*2"}}, {}},
        FunctionCase{"get1_other_table", "get1(get_(3,2),1,1)", 9, {}, {}},
        FunctionCase{"get1_unknown_tables", "get1('none',1,1) + get1('t2',1,1)", 0, {}, {}},
        FunctionCase{"set1_other_table", "set1(get_(3,2),2,2,4)", 0, {{-2, 2, u"4"}}, {}},
        FunctionCase{"get1_text_other_table", "set_(4,1,get1_(get_(3,2),1,2))", 0, {{4, 1, u"远"}}, {}},
        FunctionCase{"set1_text_other_table", "set1_(get_(3,2),2,1,get_(4,4))", 0, {{-2, 1, u"AbC丄z"}}, {}},
        FunctionCase{"set1_text_unknown_table", "set1_('none',2,1,'y')", 0, {}, {}},
        FunctionCase{"set_progress", "set_progress(50)", 1, {}, {u"progress 50"}},
        FunctionCase{"sleep_advances_clock", "sleep(250); get_tick_count()", 1250, {}, {}},
        FunctionCase{"sleep_zero_and_negative", "sleep(0) + sleep(-5); get_tick_count()", 1000, {}, {}},
        FunctionCase{"save", "save()", 1, {}, {u"save"}},
        FunctionCase{"save_as", "save_as(get_(4,4))", 1, {}, {u"saveAs AbC丄z"}},
        FunctionCase{"row_and_col_count", "get_row_count() * 10 + get_col_count()", 65, {}, {}},
        FunctionCase{"selected_row_and_col", "get_selected_row() * 10 + get_selected_col()", 23, {}, {}},
        FunctionCase{"resize", "resize(10,4); get_row_count()", 10, {}, {}},
        FunctionCase{"insert_col_negative_position", "insert_col(-1,2); get_col_count()", 7, {}, {u"repaint"}},
        FunctionCase{"insert_row", "insert_row(3,2)", 1, {}, {u"scroll 3,0", u"insert 2"}},
        FunctionCase{"open_file", "open_file(get_(4,4))", 1, {}, {u"open AbC丄z"}},
        FunctionCase{"open_file_empty", "open_file('')", 1, {}, {u"open "}},
        FunctionCase{"sort_both_orders", "sort(7,1); sort(1,0)", 1, {}, {u"sortAscending", u"sortDescending"}},
        FunctionCase{"distance", "distance(0,0,1,0)", 111195.08023353, {}, {}},
        FunctionCase{"heading", "heading(0,0,1,0) * 1000 + heading(0,0,0,-1)", 90180, {}, {}},
        FunctionCase{"destination", "destination(0,0,0,90)", 0, {{5, 4, u"0"}}, {}},
        FunctionCase{"angle", "angle(0,1,0,0,1,0)", 90, {}, {}},
        FunctionCase{"phone_area_unknown", "PhoneArea('13800000000') == ''", 1, {}, {}},
        FunctionCase{"id_card_area_unknown", "IdCardArea('1101') == ''", 1, {}, {}},
        FunctionCase{"post_code_area_unknown", "PostCodeArea(100000) == ''", 1, {}, {}},
        FunctionCase{"constants", "pi > 3.14 and epsilon < 1e-9 and inf > 1e308", 1, {}, {}},
        FunctionCase{
            "non_finite_positions", "set(1/0,1,5) + set(-1/0,1,5) + get(0/0,1) + set_(1e300,1,'x')", 0, {}, {}}),
    testsupport::ByName());

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
  const char* name;
  const char* script;
  bool compiles;
  double result;
};

void PrintTo(const LexerCase& c, std::ostream* os) { testsupport::printName(c, os); }

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

INSTANTIATE_TEST_SUITE_P(Symbols, LexerTest,
                         ::testing::Values(LexerCase{"assignment_spaced", "var x := 5; x", true, 5},
                                           LexerCase{"assignment_tight", "var x:=6; x", true, 6},
                                           LexerCase{"ternary_spaced_true", "1 ? A1 : B1", true, 1},
                                           LexerCase{"ternary_spaced_false", "0 ? A1 : B1", true, 2},
                                           LexerCase{"ternary_tight_is_a_range", "1?A1:B1", false, 0},
                                           LexerCase{"range", "sum(A1:B3)", true, 27},
                                           LexerCase{"whole_columns", "sum(A:C)", true, 45},
                                           LexerCase{"range_indexed", "A1:B3[5]", true, 8},
                                           LexerCase{"range_reversed", "sum(B3:A1)", true, 27},
                                           LexerCase{"range_cut_to_the_sheet", "sum(A1:Z9)", true, 45},
                                           LexerCase{"range_past_the_sheet_unbound", "sum(A9:B12)", false, 0},
                                           LexerCase{"colon_before_digit", "A1:5", false, 0},
                                           LexerCase{"row_zero", "A0 + 1", false, 0},
                                           LexerCase{"colon_before_equals", "A1:=5; A1", true, 5}),
                         testsupport::ByName());

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
