// What an exprtk run writes back into its sheet: only the variables the script changed,
// never over a formula or script cell; and which host calls run at compile time.
#include <cmath>
#include <cstring>
#include <limits>

#include "tests/script/ScriptFixture.h"
#include "tests/support/CaseName.h"
#include "tests/support/SheetSnapshot.h"

namespace {

using scripttest::FakeDocument;

// A1 empty, A2 "abc", A3 the int64 2^53 + 1, A4 NaN, A5 formula =1+1 (value 2),
// A6 an exprtk script cell; 8 rows, 4 columns.
class WriteBackTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    doc.core.resize(8, 4);
    doc.core.setText(2, 1, u"abc");
    doc.core.setInt64(3, 1, 9007199254740993LL);
    doc.core.setDouble(4, 1, std::numeric_limits<double>::quiet_NaN());
    doc.core.setText(5, 1, u"=1+1");
    doc.core.mFormulaValues[cellPos(5, 1)] = 2;
    doc.setScript(6, 1, CELL_EXPRTK, u"1");
  }
  FakeDocument doc;
};

TEST_P(WriteBackTest, AScriptAssigningNothingLeavesTheSheet) {
  const SheetSnapshot before = SheetSnapshot::take(doc.core);
  runExprtkCell(doc, 0, 0, utf8ToWide(GetParam()));
  EXPECT_EQ(doc.mExprtkHost.mErrors, "") << GetParam();
  EXPECT_EQ(diffSnapshots(before, SheetSnapshot::take(doc.core)), "");
  EXPECT_FALSE(doc.manager.modified()) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(References, WriteBackTest,
                         ::testing::Values("A1 + A2 + A3 + A4 + A5 + A6",              // as numbers
                                           "A1_ + A2_ + A3_ + A4_ + A5_ + A6_ == ''",  // as texts
                                           "sum(A1:A6) + A1:A6[3]",                    // as a range
                                           "sum(A:B)",                                 // a column range
                                           "A1 + (B2_ == '') + COUNTIF(A1:A6, A2)",    // mixed
                                           "var x := A3; x := x + 1; x"));             // a copy changed

TEST_F(WriteBackTest, ChangedVariablesAreWrittenButNeverOverFormulaOrScriptCells) {
  runExprtkCell(doc, 0, 0, u"A1 := 5; A2_ := 'new'; A5 := 9; A6 := 9; A1:A6[2] := 7; A4 := A4; 0");
  EXPECT_EQ(doc.mExprtkHost.mErrors, "");
  EXPECT_EQ(doc.core.getText(1, 1), u"5");
  EXPECT_EQ(doc.core.getText(2, 1), u"new");
  EXPECT_EQ(doc.core.getText(3, 1), u"7");
  EXPECT_TRUE(std::isnan(doc.core.getDouble(4, 1)));
  EXPECT_EQ(doc.core.cellAt(4, 1)->kind, CELL_DOUBLE);
  EXPECT_EQ(doc.core.getText(5, 1), u"=1+1");
  EXPECT_EQ(doc.core.cellAt(6, 1)->kind, CELL_EXPRTK);
  EXPECT_TRUE(doc.manager.modified());
}

TEST_F(WriteBackTest, ExplicitSetStillReplacesAFormula) {
  runExprtkCell(doc, 0, 0, u"set(5,1,4); set_(6,1,'t')");
  EXPECT_EQ(doc.core.cellAt(5, 1)->kind, CELL_DOUBLE);
  EXPECT_EQ(doc.core.getText(6, 1), u"t");
  EXPECT_TRUE(doc.manager.modified());
}

TEST_F(WriteBackTest, EitherCaseOfOneCellAssigns) {
  runExprtkCell(doc, 0, 0, u"a1 := 5; A1");
  EXPECT_EQ(doc.core.getText(1, 1), u"5");
  runExprtkCell(doc, 0, 0, u"A1 := 6; a1");
  EXPECT_EQ(doc.core.getText(1, 1), u"6");
}

TEST(WriteBackWide, AnIdentifierStartingWithACellNameLeavesThatCell) {
  FakeDocument doc;
  doc.core.resize(3, 26);
  doc.core.setText(1, 24, u"keep");
  const SheetSnapshot before = SheetSnapshot::take(doc.core);
  runExprtkCell(doc, 0, 0, u"var x1y := 3; x1y");
  EXPECT_EQ(diffSnapshots(before, SheetSnapshot::take(doc.core)), "");
}

// Host calls keep exprtk's side-effect flag: none is folded at compile time.
struct CallCase {
  const char* name;
  const char* script;
  const char16_t* a1After;
};

void PrintTo(const CallCase& c, std::ostream* os) { testsupport::printName(c, os); }

class SideEffectTest : public ::testing::TestWithParam<CallCase> {};

TEST_P(SideEffectTest, CallsRunWhenEvaluated) {
  FakeDocument doc;
  doc.core.resize(3, 3);
  runExprtkCell(doc, 0, 0, utf8ToWide(GetParam().script));
  EXPECT_EQ(doc.mExprtkHost.mErrors, "") << GetParam().script;
  EXPECT_EQ(doc.core.getText(1, 1), GetParam().a1After) << GetParam().script;
}

INSTANTIATE_TEST_SUITE_P(
    Calls, SideEffectTest,
    ::testing::Values(CallCase{"branch_not_taken", "var x := 0; if (x > 10) { set(1,1,5) }; 0", u""},
                      CallCase{"loop", "for (var i := 0; i < 3; i += 1) { set(1,1,get(1,1)+1) }; 0", u"3"},
                      CallCase{"variable_position", "var r := 1; set(r,1,7); set(2,1,get(1,1)); get(1,1)", u"7"},
                      CallCase{"ternary_branches", "var x := 0; x > 1 ? set_(1,1,'a') : set_(1,1,'b'); 0", u"b"}),
    testsupport::ByName());

TEST(SideEffect, SaveRunsBeforeLaterStatements) {
  FakeDocument doc;
  doc.core.resize(3, 3);
  runExprtkCell(doc, 0, 0, u"save(); var x := 2; x");
  EXPECT_EQ(doc.calls, std::vector<std::u16string>{u"save"});
  EXPECT_EQ(doc.mExprtkHost.mResult, 2);
}

TEST(SideEffect, SaveWritesTheVariablesFirst) {
  FakeDocument doc;
  doc.core.resize(3, 3);
  std::u16string atSave;
  doc.onSave = [&] { atSave = doc.core.getText(1, 1); };
  runExprtkCell(doc, 0, 0, u"A1 := 4; save(); A1 := 5; 0");
  EXPECT_EQ(atSave, u"4");
  EXPECT_EQ(doc.core.getText(1, 1), u"5");
  EXPECT_TRUE(doc.manager.modified()) << "the write after the save marks again";
}

}  // namespace
