// F5 and F8 over a document: order, bounds, error banners and the output window, the
// modified mark, one run at a time, open_file ending a run, and the compiled-script cache
// giving the same results as fresh compiles.
#include <string>

#include "script/ScriptRun.h"
#include "tests/script/ScriptFixture.h"
#include "tests/support/SheetSnapshot.h"

namespace {

using scripttest::FakeDocument;

const std::string kRule = "========================";

// A1 collects a letter per run script; D1 holds the text of a formula that appends 'f'.
class RunOrderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.core.resize(5, 5);
    doc.core.setText(1, 4, u"set_(1,1,get_(1,1)+'f')");
    doc.core.setAttrText(ATTR_EXPRTK_SCRIPT, u"set_(1,1,get_(1,1)+'d')");
    doc.setScript(2, 2, CELL_EXPRTK, u"set_(1,1,get_(1,1)+'b')");
    doc.core.setText(2, 3, u"=set_(1,1,get_(1,1)+'c')");
    doc.setScript(3, 1, CELL_EXPRTK, u"set_(4,2,'=' + get_(1,4))");               // a formula below
    doc.setScript(4, 3, CELL_EXPRTK, u"resize(6,5); set_(5,1,'=' + get_(1,4))");  // a row added
  }
  FakeDocument doc;
};

TEST_F(RunOrderTest, F5RunsTheDocumentScriptThenCellsRowByRowIntoWhatTheyAdd) {
  ASSERT_TRUE(runAllScripts(doc));
  EXPECT_EQ(doc.core.getText(1, 1), u"dbcff");
  EXPECT_EQ(doc.core.mRowCount, 6u);
  EXPECT_EQ(doc.outputText(), "");
  EXPECT_EQ(doc.outputShown, 0);
  EXPECT_TRUE(doc.manager.modified());
}

TEST_F(RunOrderTest, F8RunsOnlyTheSelectionWithoutDocumentScripts) {
  doc.selection = Selection{2, 2, Range{2, 2, 2, 3}};
  ASSERT_TRUE(runSelectedScripts(doc));
  EXPECT_EQ(doc.core.getText(1, 1), u"bc");
  EXPECT_EQ(doc.core.mRowCount, 5u);
}

TEST_F(RunOrderTest, F8OverWholeRowsRunsTheirDataCells) {
  doc.selection = Selection{2, 0, Range{2, 0, 2, 0}};
  ASSERT_TRUE(runSelectedScripts(doc));
  EXPECT_EQ(doc.core.getText(1, 1), u"bc");
}

class RunErrorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.core.resize(7, 5);
    doc.setScript(2, 2, CELL_EXPRTK, u"1 +");
    doc.core.setText(5, 3, u"=nosuch * 2");
    doc.core.mFormulaValues[cellPos(5, 3)] = 7;
    doc.setScript(6, 1, CELL_EXPRTK, u"set(1,1,8)");
    doc.core.cellAt(6, 2)->kind = CELL_EXPRTK;  // an empty script cell
  }
  FakeDocument doc;
};

TEST_F(RunErrorTest, FailingCellsLeaveBannersAndTheRunGoesOn) {
  runAllScripts(doc);
  const std::string out = doc.outputText();
  EXPECT_EQ(out.rfind(kRule + "Run cell[2,2] Exprtk script error:" + kRule + "\nError(", 0), 0u) << out;
  const size_t formula = out.find(kRule + "Run cell[C5] Exprtk formula script error:" + kRule + "\nError(");
  EXPECT_NE(formula, std::string::npos) << out;
  EXPECT_NE(out.find("nosuch", formula), std::string::npos) << out;
  EXPECT_EQ(out.find("Run cell[6,2]"), std::string::npos) << "an empty script cell gives no banner";
  EXPECT_EQ(doc.core.mFormulaValues.at(cellPos(5, 3)), 7) << "a failing formula keeps its value";
  EXPECT_EQ(doc.core.getText(1, 1), u"8") << "the cell after the failures ran";
  EXPECT_EQ(doc.outputShown, 1);
}

TEST_F(RunErrorTest, TheNextRunClearsTheOutput) {
  runAllScripts(doc);
  doc.core.setText(5, 3, u"=1");
  doc.setScript(2, 2, CELL_EXPRTK, u"1");
  runAllScripts(doc);
  EXPECT_EQ(doc.outputText(), "");
  EXPECT_EQ(doc.outputShown, 1) << "an empty output is not shown";
  EXPECT_TRUE(doc.output.history.undoList.empty());
}

TEST(RunError, AScriptThatDoesNotCompileChangesNothing) {
  FakeDocument doc;
  doc.core.resize(4, 4);
  doc.setRow(1, {u"abc", u"5"});
  doc.setScript(2, 2, CELL_EXPRTK, u"A1 := 3; B1_ := 'x'; set(1,1,2); 1 +");
  const SheetSnapshot before = SheetSnapshot::take(doc.core);
  runAllScripts(doc);
  EXPECT_EQ(diffSnapshots(before, SheetSnapshot::take(doc.core)), "");
  EXPECT_FALSE(doc.manager.modified());
}

TEST(RunModified, WritesMarkTheDocumentAndOnlyASaveClearsTheMark) {
  FakeDocument doc;
  doc.core.resize(4, 4);
  doc.core.setText(2, 2, u"=1+1");
  runAllScripts(doc);
  EXPECT_FALSE(doc.manager.modified()) << "formula values alone do not mark";
  doc.core.setDouble(1, 1, 5);
  doc.manager.collect();
  doc.setScript(3, 3, CELL_EXPRTK, u"set(1,1,get(1,1)); A1 := A1");
  runAllScripts(doc);
  EXPECT_FALSE(doc.manager.modified()) << "writing the value a cell already has";
  doc.setScript(3, 3, CELL_EXPRTK, u"set(1,1,6)");
  runAllScripts(doc);
  EXPECT_TRUE(doc.manager.modified());
  doc.ops.resize(5, 5);
  doc.manager.undo();
  EXPECT_TRUE(doc.manager.modified()) << "undo leaves the mark";
  doc.manager.collect();
  EXPECT_FALSE(doc.manager.modified());
}

TEST(RunModified, WritingAnotherTableMarksThatTable) {
  FakeDocument doc, other;
  scripttest::OpenTables tables;
  tables.add(u"T", other);
  doc.core.resize(3, 3);
  other.core.resize(3, 3);
  doc.core.setText(1, 2, u"T");
  doc.setScript(1, 1, CELL_EXPRTK, u"set1(get_(1,2),1,1,3)");
  runAllScripts(doc);
  EXPECT_TRUE(other.manager.modified());
  EXPECT_FALSE(doc.manager.modified());
}

// From inside a progress pump no second run starts, and the running document cannot
// close; the bar the run left up is closed at its end.
TEST(RunGuard, OneRunAtATimeAndTheBarClosesAtTheEnd) {
  FakeDocument doc, other;
  doc.core.resize(3, 3);
  other.core.resize(3, 3);
  doc.setScript(1, 2, CELL_EXPRTK, u"set_progress(50); set(1,1,get(1,1)+1)");
  doc.setScript(2, 2, CELL_EXPRTK, u"1 +");  // a failing cell after it
  int nested = 0;
  doc.onProgress = [&](int32_t percent) {
    if (percent != 50) return;
    ++nested;
    EXPECT_TRUE(scriptRunActive());
    EXPECT_FALSE(runAllScripts(doc));
    EXPECT_FALSE(runSelectedScripts(doc));
    EXPECT_FALSE(runAllScripts(other));
    EXPECT_TRUE(scriptRunBlocksClose(&doc.ops));
    EXPECT_TRUE(scriptRunBlocksClose(nullptr));
    EXPECT_FALSE(scriptRunBlocksClose(&other.ops));
  };
  ASSERT_TRUE(runAllScripts(doc));
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(doc.core.getText(1, 1), u"1");
  EXPECT_FALSE(doc.barUp);
  EXPECT_EQ(doc.calls.back(), u"progress 100");
  EXPECT_FALSE(scriptRunActive());
  EXPECT_FALSE(scriptRunBlocksClose(&doc.ops));
}

TEST(RunGuard, ABarTheScriptClosedIsNotClosedAgain) {
  FakeDocument doc;
  doc.core.resize(3, 3);
  doc.setScript(1, 1, CELL_EXPRTK, u"set_progress(50); set_progress(100)");
  runAllScripts(doc);
  EXPECT_EQ(doc.calls, (std::vector<std::u16string>{u"progress 50", u"progress 100"}));
}

TEST(RunOpenFile, OpeningAFileEndsTheRun) {
  FakeDocument doc;
  doc.core.resize(4, 4);
  doc.setScript(1, 1, CELL_EXPRTK, u"B1 := 4; open_file('x.csv'); set(1,1,99); B1 := 5; 0");
  doc.setScript(2, 2, CELL_EXPRTK, u"set(1,3,7)");
  doc.onOpen = [&](const std::u16string&) {  // the file replaces the sheet
    doc.core.clear();
    doc.core.resize(3, 3);
    doc.core.setText(1, 1, u"opened");
  };
  const std::u16string path = u"x.csv";
  runAllScripts(doc);
  FakeDocument expected;
  expected.core.resize(3, 3);
  expected.core.setText(1, 1, u"opened");
  EXPECT_EQ(diffSnapshots(SheetSnapshot::take(expected.core), SheetSnapshot::take(doc.core)), "");
  EXPECT_EQ(doc.calls, std::vector<std::u16string>{u"open " + path});
}

// The same sheet run with and without the compiled-script cache: cells, formula values
// and output alike.
TEST(RunCache, CachedRunsEqualFreshCompiles) {
  auto build = [](FakeDocument& d) {
    d.core.resize(80, 9);
    for (int32_t r = 1; r < 40; ++r) {
      d.core.setInt64(r, 1, r * 3 - 20);
      d.core.setText(r, 2, r % 3 ? u"x" : u"y");
      d.core.setText(r, 3, u"=A" + utf8ToWide(std::to_string(r)) + u"*2");
    }
    for (int32_t r = 1; r < 38; ++r) {
      std::u16string n = utf8ToWide(std::to_string(r)), n1 = utf8ToWide(std::to_string(r + 1));
      d.core.setText(r, 4, u"=a" + n + u" + A" + n1 + u" + sum(A" + n + u":A" + n1 + u")");
      d.core.setText(r, 5, u"=COUNTIF(B1:B" + n + u", B" + n + u")");
      d.setScript(r, 6, CELL_EXPRTK,
                  u"G" + n + u" := G" + n + u" + A" + n + u"; B" + n + u"_ := B" + n1 + u"_ + 'z'; 0");
      // Exponents that the scanner reads as cells of column E (rows 41 to 78, empty): parts
      // of each row's own literals; strings that look like numbers and cells.
      std::u16string e = utf8ToWide(std::to_string(r + 40));
      d.core.setText(r, 8, u"=A" + n + u" * 1e" + e + u" + 2.5E" + e + u" + to_number('2e1') + to_number('b2')");
    }
    d.core.setText(5, 4, u"=A5 + nosuch");
    d.core.setText(6, 4, u"=var k; k += A6; k");
  };
  FakeDocument cached, fresh;
  build(cached);
  build(fresh);
  fresh.mExprtkHost.mCacheEnabled = false;
  for (int round = 0; round < 2; ++round) {
    runAllScripts(cached);
    runAllScripts(fresh);
    EXPECT_EQ(diffSnapshots(SheetSnapshot::take(fresh.core), SheetSnapshot::take(cached.core)), "") << round;
    EXPECT_EQ(cached.outputText(), fresh.outputText());
  }
  EXPECT_NE(cached.outputText().find("[D5]"), std::string::npos);
}

// The exponents of 1e1 and 1e2 name cells E1 and E2 to the scanner; the two formulas differ
// in their literals, not in their references, and keep their own values.
TEST(RunCache, ExponentsKeepTheirFormulasApart) {
  FakeDocument d;
  d.core.resize(3, 6);
  d.core.setInt64(1, 1, 1);
  d.core.setInt64(2, 1, 3);
  d.core.setText(1, 2, u"=A1+1e1");
  d.core.setText(2, 2, u"=A2+1e2");
  runAllScripts(d);
  EXPECT_EQ(d.core.mFormulaValues[cellPos(1, 2)], 11);
  EXPECT_EQ(d.core.mFormulaValues[cellPos(2, 2)], 103);
}

}  // namespace
