// The Python engine: the module's functions over a small document, one globals
// dictionary per script, error texts, open_file ending the run, and the interpreter
// living on across runs.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/user/Kernel.h"
#include "script/AreaLookup.h"
#include "script/ScriptDocument.h"
#include "tests/script/EngineFixture.h"
#include "tests/script/ScriptFixture.h"
#include "tests/support/Scratch.h"
#include "tests/support/SheetSnapshot.h"

namespace {

using scripttest::FakeDocument;
using scripttest::OpenTables;

const std::string kBanner = "========================Run cell[0,0] Python script error:========================\n";

struct CellText {
  int32_t row, col;
  std::u16string text;
};

// A1 2.5, B1 中文; the other tab "表二" holds A1 7, B1 汉. Selection at C2.
class PythonEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.core.resize(6, 6);
    doc.setRow(1, {u"2.5", u"中文"});
    other.core.resize(4, 4);
    other.setRow(1, {u"7", u"汉"});
    tables.add(u"本表", doc);
    tables.add(u"表二", other);
    doc.selection = Selection{2, 3, Range{2, 3, 2, 3}};
    scriptDocuments().createFileInNewTab = [this](const std::u16string& p) {
      created.push_back(p);
      return 1;
    };
    std::filesystem::create_directories(areas.native("source"));
  }
  void TearDown() override { testhooks::setAreaFolder(u""); }
  // Runs `script` as the document's Python script; the raw error text.
  std::string run(const std::u16string& script) {
    runPythonScript(doc, script);
    return doc.mPythonHost.mErrors;
  }

  enginetest::Engines engines;
  testsupport::ScratchDir areas;
  OpenTables tables;
  FakeDocument doc, other;
  std::vector<std::u16string> created;
};

struct ModuleCase {
  const char* name;
  std::u16string script;
  std::vector<CellText> cells;             // of the document after the run
  std::vector<CellText> otherCells;        // of "表二" after the run
  std::vector<std::u16string> calls;       // what the document asked of its grid
  std::vector<std::u16string> otherCalls;  // what "表二" was asked
  uint64_t otherRows = 4;                  // of "表二" after the run
};

TEST_F(PythonEngineTest, EachModuleFunctionReadsAndWritesTheDocument) {
  const std::vector<ModuleCase> cases = {
      {"get and set", u"Morvel.set(2, 1, Morvel.get(1, 1) * 2)", {{2, 1, u"5"}}, {}, {}, {}},
      {"get_ and set_ in UTF-8",
       u"t = Morvel.get_(1, 2)\nMorvel.set_(2, 2, t + '文')\nMorvel.set(2, 3, len(t))",
       {{2, 2, u"中文文"}, {2, 3, u"2"}},
       {},
       {},
       {}},
      {"writes return 1",
       u"Morvel.set(2, 1, Morvel.set(3, 1, 1) + Morvel.set_(3, 2, 'a'))",
       {{2, 1, u"2"}},
       {},
       {},
       {}},
      {"get1 and set1 by title",
       u"Morvel.set(2, 1, Morvel.get1('表二', 1, 1))\nMorvel.set1('表二', 2, 1, 3.5)",
       {{2, 1, u"7"}},
       {{2, 1, u"3.5"}},
       {},
       {}},
      {"get1_ and set1_ by title",
       u"Morvel.set_(2, 1, Morvel.get1_('表二', 1, 2))\nMorvel.set1_('表二', 2, 2, '新')",
       {{2, 1, u"汉"}},
       {{2, 2, u"新"}},
       {},
       {}},
      {"a title no tab has",
       u"Morvel.set(2, 1, Morvel.get1('无', 1, 1))\nMorvel.set_(2, 2, Morvel.get1_('无', 1, 1) + '|')\n"
       u"Morvel.set1('无', 1, 1, 1)\nMorvel.set1_('无', 1, 1, 'x')",
       {{2, 1, u"0"}, {2, 2, u"|"}},
       {{1, 1, u"7"}},
       {},
       {}},
      {"save ignores its arguments", u"Morvel.set(2, 1, Morvel.save(1, 2, 3))", {{2, 1, u"1"}}, {}, {u"save"}, {}},
      {"save_as a Chinese path",
       u"Morvel.set(2, 1, Morvel.save_as('/数据/表.csv'))",
       {{2, 1, u"1"}},
       {},
       {u"saveAs /数据/表.csv"},
       {}},
      {"set_progress", u"Morvel.set_progress(50)", {}, {}, {u"progress 50"}, {}},
      {"sizes and selection",
       u"Morvel.set(3, 1, Morvel.get_row_count())\nMorvel.set(3, 2, Morvel.get_col_count())\n"
       u"Morvel.set(3, 3, Morvel.get_selected_row() * 10 + Morvel.get_selected_col())",
       {{3, 1, u"6"}, {3, 2, u"6"}, {3, 3, u"23"}},
       {},
       {},
       {}},
      {"resize",
       u"Morvel.resize(8, 7)\nMorvel.set(3, 1, Morvel.get_row_count())\nMorvel.set(3, 2, Morvel.get_col_count())",
       {{3, 1, u"8"}, {3, 2, u"7"}},
       {},
       {},
       {}},
      {"insert_row and insert_col",
       u"Morvel.set(2, 1, Morvel.insert_row(2, 3) + Morvel.insert_col(-1, 2))",
       {{2, 1, u"2"}},
       {},
       {u"scroll 2,0", u"insert 3", u"repaint"},
       {}},
      {"sort", u"Morvel.sort(1, 1)\nMorvel.sort(1, 0)", {}, {}, {u"sortAscending", u"sortDescending"}, {}},
      {"saveAs1 by title",
       u"Morvel.set(2, 1, Morvel.saveAs1('表二', '/数据/乙.csv'))",
       {{2, 1, u"1"}},
       {},
       {},
       {u"saveAs /数据/乙.csv"}},
      {"saveAs1 of a title no tab has",
       u"Morvel.set(2, 1, Morvel.saveAs1('无', '/数据/乙.csv'))",
       {{2, 1, u"0"}},
       {},
       {},
       {}},
      {"resize1 by title",
       u"Morvel.set(2, 1, Morvel.resize1('表二', 5, 6))",
       {{2, 1, u"1"}},
       {},
       {},
       {u"repaint"},
       6},
      {"newFile", u"Morvel.set(2, 1, Morvel.newFile('/数据/新.csv'))", {{2, 1, u"1"}}, {}, {}, {}},
      {"a TypeError is caught",
       u"try:\n    Morvel.get('a', 1)\nexcept TypeError as e:\n    Morvel.set_(2, 1, 'caught')\n"
       u"try:\n    Morvel.set(1)\nexcept TypeError:\n    Morvel.set_(2, 2, 'count')",
       {{2, 1, u"caught"}, {2, 2, u"count"}, {1, 1, u"2.5"}},
       {},
       {},
       {}},
  };
  for (const ModuleCase& c : cases) {
    SCOPED_TRACE(c.name);
    doc.core.resize(6, 6);
    for (int32_t r = 2; r < 6; ++r)
      for (int32_t col = 1; col < 6; ++col) doc.core.setText(r, col, u"");
    other.core.resize(4, 4);
    other.core.setText(2, 1, u"");
    other.core.setText(2, 2, u"");
    doc.calls.clear();
    other.calls.clear();
    EXPECT_EQ(run(c.script), "");
    for (const CellText& cell : c.cells)
      EXPECT_EQ(wideToUtf8(doc.core.getText(cell.row, cell.col)), wideToUtf8(cell.text))
          << "cell " << cell.row << "," << cell.col;
    for (const CellText& cell : c.otherCells)
      EXPECT_EQ(wideToUtf8(other.core.getText(cell.row, cell.col)), wideToUtf8(cell.text))
          << "other cell " << cell.row << "," << cell.col;
    EXPECT_EQ(doc.calls, c.calls);
    EXPECT_EQ(other.calls, c.otherCalls);
    EXPECT_EQ(other.core.mRowCount, c.otherRows) << "resize1 counts the header row and column";
  }
  EXPECT_EQ(created, std::vector<std::u16string>{u"/数据/新.csv"});
}

TEST_F(PythonEngineTest, SaveAs1GivesTheResultOfAFailedSave) {
  other.saveResult = 0;
  EXPECT_EQ(run(u"Morvel.set(2, 1, Morvel.saveAs1('表二', '/数据/乙.csv'))"), "");
  EXPECT_EQ(doc.core.getText(2, 1), u"0");
}

TEST_F(PythonEngineTest, AreaLookUpsTruncatePostCodesTowardZero) {
  std::ofstream(areas.native("source/PostCode.csv"), std::ios::binary)
      << wideToAnsi(u"7,七\n-7,负七\n100000,北京\n");
  std::ofstream(areas.native("source/Mobile.csv"), std::ios::binary) << wideToAnsi(u"1380000,北京\n");
  std::ofstream(areas.native("source/IDCard.csv"), std::ios::binary) << wideToAnsi(u"440305,深圳市南山区\n");
  testhooks::setAreaFolder(utf8ToWide(areas.dir()));
  EXPECT_EQ(run(u"Morvel.set_(2, 1, Morvel.PostCodeArea(7.9))\nMorvel.set_(2, 2, Morvel.PostCodeArea(-7.9))\n"
                u"Morvel.set_(2, 3, Morvel.PhoneArea('13800001111'))\n"
                u"Morvel.set_(2, 4, Morvel.IdCardArea('44030519900101123X'))\n"
                u"Morvel.set_(3, 1, Morvel.PostCodeArea(1e20) + '|' + Morvel.PhoneArea('138'))"),
            "");
  EXPECT_EQ(doc.core.getText(2, 1), u"七");
  EXPECT_EQ(doc.core.getText(2, 2), u"负七");
  EXPECT_EQ(doc.core.getText(2, 3), u"北京");
  EXPECT_EQ(doc.core.getText(2, 4), u"深圳市南山区");
  EXPECT_EQ(doc.core.getText(3, 1), u"|");
}

TEST_F(PythonEngineTest, TickCountIsNeverNegative) {
  platform::setManualClock(0x80000005u);
  EXPECT_EQ(run(u"Morvel.set(2, 1, Morvel.get_tick_count())"), "");
  platform::useRealClock();
  EXPECT_EQ(doc.core.getText(2, 1), u"2147483653");
}

TEST_F(PythonEngineTest, ErrorTexts) {
  struct Case {
    const char* name;
    std::u16string script;
    std::string errors;
  } cases[] = {
      {"undefined name on line 3", u"a = 1\nb = 2\nc = undefined_name\n",
       "Line 3:NameError(\"name 'undefined_name' is not defined\")"},
      {"raised inside a function: the top-level line", u"def f():\n    raise ValueError('中文')\n\nf()\n",
       "Line 4:ValueError('中文')"},
      {"an uncaught argument error", u"Morvel.get('a', 1)", "Line 1:TypeError("},
      {"sys.exit", u"import sys\nsys.exit()\n", "Line 2:SystemExit()"},
      {"sys.exit with a code", u"import sys\nsys.exit(3)\n", "Line 2:SystemExit(3)"},
      {"a repr that raises",
       u"class E(Exception):\n    def __repr__(self):\n        raise RuntimeError()\nraise E()\n", "Line 4:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    doc.output.setText(u"");  // through the editor, so its line index follows
    run(c.script);
    EXPECT_EQ(doc.mPythonHost.mErrors.substr(0, c.errors.size()), c.errors) << doc.mPythonHost.mErrors;
    EXPECT_EQ(doc.outputText().substr(0, kBanner.size() + c.errors.size()), kBanner + c.errors);
  }
}

TEST_F(PythonEngineTest, SyntaxErrorGivesTheReprAloneAndChangesNothing) {
  const SheetSnapshot before = SheetSnapshot::take(doc.core);
  const std::string errors = run(u"Morvel.set(1, 1, 5)\nif x\n");
  EXPECT_EQ(errors.rfind("SyntaxError(", 0), 0u) << errors;
  EXPECT_EQ(errors.find("Line "), std::string::npos);
  EXPECT_EQ(diffSnapshots(before, SheetSnapshot::take(doc.core)), "");
}

TEST_F(PythonEngineTest, EachCellRunsInItsOwnGlobalsAndImportsStay) {
  doc.setScript(2, 1, CELL_PYTHON, u"x = 1\nimport decimal, ctypes\nMorvel.set(3, 1, __name__ == '__main__')");
  doc.setScript(2, 2, CELL_PYTHON, u"print(x)");
  doc.setScript(2, 3, CELL_PYTHON,
                u"import decimal, ctypes\nMorvel.set_(3, 3, str(decimal.Decimal('1.10') + 1) + "
                u"str(ctypes.sizeof(ctypes.c_int)))");
  ASSERT_TRUE(runAllScripts(doc));
  EXPECT_EQ(doc.core.getText(3, 1), u"1");
  EXPECT_EQ(doc.core.getText(3, 3), u"2.104");
  EXPECT_EQ(doc.outputText(),
            "========================Run cell[2,2] Python script error:========================\n"
            "Line 1:NameError(\"name 'x' is not defined\")\n");
  EXPECT_EQ(doc.outputShown, 1);
}

TEST_F(PythonEngineTest, SysExitIsReportedAndTheRunGoesOn) {
  doc.setScript(2, 1, CELL_PYTHON, u"import sys\nsys.exit(0)");
  doc.setScript(2, 2, CELL_PYTHON, u"Morvel.set(3, 1, 9)");
  ASSERT_TRUE(runAllScripts(doc));
  EXPECT_EQ(doc.core.getText(3, 1), u"9");
  EXPECT_NE(doc.outputText().find("Line 2:SystemExit(0)"), std::string::npos);
}

TEST_F(PythonEngineTest, OpenFileEndsTheRun) {
  doc.setScript(
      2, 1, CELL_PYTHON,
      u"Morvel.set(3, 1, 1)\ntry:\n    Morvel.open_file('/数据/甲.csv')\nexcept BaseException:\n    pass\n"
      u"Morvel.set(3, 2, 1)");
  doc.setScript(2, 2, CELL_PYTHON, u"Morvel.set(3, 3, 1)");
  ASSERT_TRUE(runAllScripts(doc));
  EXPECT_EQ(doc.calls, std::vector<std::u16string>{u"open /数据/甲.csv"});
  EXPECT_EQ(doc.core.getText(3, 1), u"1");
  EXPECT_EQ(doc.core.getText(3, 2), u"") << "calls after open_file reach no document";
  EXPECT_EQ(doc.core.getText(3, 3), u"") << "no later cell runs";
  EXPECT_EQ(doc.outputText(), "");
}

TEST_F(PythonEngineTest, EveryWritingCallMarksItsDocumentModified) {
  struct Case {
    const char* name;
    const char16_t* script;
    bool docModified, otherModified;
  } cases[] = {
      {"set", u"Morvel.set(3, 1, 4)", true, false},
      {"set_", u"Morvel.set_(3, 1, '文')", true, false},
      {"set1", u"Morvel.set1('表二', 3, 1, 4)", false, true},
      {"set1_", u"Morvel.set1_('表二', 3, 1, '文')", false, true},
      {"resize", u"Morvel.resize(9, 9)", true, false},
      {"resize1", u"Morvel.resize1('表二', 9, 9)", false, true},
      {"reads only", u"Morvel.get(1, 1)\nMorvel.get_(1, 2)\nMorvel.get1('表二', 1, 1)", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDocument a, b;
    a.core.resize(6, 6);
    b.core.resize(6, 6);
    OpenTables registry;
    registry.add(u"表二", b);
    runPythonScript(a, c.script);
    EXPECT_EQ(a.mPythonHost.mErrors, "");
    EXPECT_EQ(a.manager.modified(), c.docModified);
    EXPECT_EQ(b.manager.modified(), c.otherModified);
  }
}

}  // namespace
