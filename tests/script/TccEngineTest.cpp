// The C engine: every C function through a compiled script over a small document, the
// state kept across scripts of one document, entry points, compile errors and the
// modified mark.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/testdriver/AnswerScript.h"
#include "platform/user/Kernel.h"
#include "script/ScriptDocument.h"
#include "tests/script/EngineFixture.h"
#include "tests/script/ScriptFixture.h"
#include "tests/support/Scratch.h"
#include "tests/support/SheetSnapshot.h"

namespace {

using enginetest::cMain;
using scripttest::FakeDocument;
using scripttest::OpenTables;

struct CellText {
  int32_t row, col;
  std::u16string text;
};

// A1 2.5, B1 中文; the other tab "表二" holds A1 7, B1 汉. Selection at C2.
class TccEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.core.resize(6, 6);
    doc.setRow(1, {u"2.5", u"中文"});
    other.core.resize(4, 4);
    other.setRow(1, {u"7", u"汉"});
    tables.add(u"本表", doc);
    tables.add(u"表二", other);
    doc.selection = Selection{2, 3, Range{2, 3, 2, 3}};
    scriptDocuments().openPath = [this](const std::u16string& p) { opened.push_back(p); };
  }
  // Runs `body` as main of the document's C script; the raw error text.
  std::string run(const std::u16string& body, FakeDocument* target = nullptr) {
    FakeDocument& d = target ? *target : doc;
    runTccScript(d, cMain(body));
    return d.mTccHost.mErrors;
  }

  enginetest::Engines engines;
  enginetest::FixedTimeZone zone;
  OpenTables tables;
  FakeDocument doc, other;
  std::vector<std::u16string> opened;
};

struct SymbolCase {
  const char* name;
  std::u16string body;
  std::vector<CellText> cells;        // of the document after the run
  std::vector<CellText> otherCells;   // of "表二" after the run
  std::vector<std::u16string> calls;  // what the document asked of its grid
};

TEST_F(TccEngineTest, EachFunctionReadsAndWritesTheDocument) {
  const std::vector<SymbolCase> cases = {
      {"get", u"double v = 0; get(1, 1, &v); set(2, 1, v * 2); get(1, 1, 0);", {{2, 1, u"5"}}, {}, {}},
      {"get_ hands out GBK",
       u"char *s = 0; get_(1, 2, &s); set_(2, 2, s); get_(1, 2, 0);",
       {{2, 2, u"中文"}},
       {},
       {}},
      {"set_ takes GBK", u"set_(2, 3, \"汉字\");", {{2, 3, u"汉字"}}, {}, {}},
      {"get1 and set1 by title",
       u"double v = 0; get1(\"表二\", 1, 1, &v); set(2, 1, v); set1(\"表二\", 2, 1, 3.5);",
       {{2, 1, u"7"}},
       {{2, 1, u"3.5"}},
       {}},
      {"get1_ and set1_ by title",
       u"char *s = 0; get1_(\"表二\", 1, 2, &s); set_(2, 1, s); set1_(\"表二\", 2, 2, \"新\");",
       {{2, 1, u"汉"}},
       {{2, 2, u"新"}},
       {}},
      {"a title no tab has",
       u"double v = 9; char *s = 0; get1(\"无\", 1, 1, &v); set(2, 1, v); get1_(\"无\", 1, 1, &s); set_(2, 2, s);"
       u"set1(\"无\", 1, 1, 1); set1_(\"无\", 1, 1, \"x\");",
       {{2, 1, u"0"}, {2, 2, u""}},
       {{1, 1, u"7"}},
       {}},
      {"save", u"set(2, 1, save());", {{2, 1, u"1"}}, {}, {u"save"}},
      {"save_as a Chinese path",
       u"set(2, 1, save_as(\"/数据/表.csv\")); set(2, 2, save_as(0));",
       {{2, 1, u"1"}, {2, 2, u"0"}},
       {},
       {u"saveAs /数据/表.csv"}},
      {"sizes and selection",
       u"set(3, 1, get_row_count()); set(3, 2, get_col_count()); set(3, 3, get_selected_row() * 10 + "
       u"get_selected_col());",
       {{3, 1, u"6"}, {3, 2, u"6"}, {3, 3, u"23"}},
       {},
       {}},
      {"resize",
       u"resize(8, 7); set(3, 1, get_row_count()); set(3, 2, get_col_count());",
       {{3, 1, u"8"}, {3, 2, u"7"}},
       {},
       {}},
      {"insert_row and insert_col",
       u"set(2, 1, insert_row(2, 3)); set(2, 2, insert_col(-1, 2));",
       {{2, 1, u"1"}, {2, 2, u"1"}},
       {},
       {u"scroll 2,0", u"insert 3", u"repaint"}},
      {"sort", u"sort(1, 1); sort(1, 0);", {}, {}, {u"sortAscending", u"sortDescending"}},
      {"set_progress", u"set_progress(50);", {}, {}, {u"progress 50"}},
      {"string builder",
       u"char *s = 0; createString(); appendString(\"ab\"); appendString(0); appendStringInt(-12);"
       u"appendStringInt(0); appendString(\"中\"); getString(&s); set_(2, 1, s); getString(0);",
       {{2, 1, u"ab-120中"}},
       {},
       {}},
      {"map ends and a missing key",
       u"char *k = 0; int v = -1; createMap(); appendMap(\"b\", 2); appendMap(\"a\", 1); appendMap(\"c\", 3);"
       u"set(2, 1, getMapPrev(\"a\", &k, &v)); set(2, 2, getMapNext(\"c\", &k, &v));"
       u"set(2, 3, getMapPrev(0, &k, &v)); set(2, 4, getMapNext(\"zz\", &k, &v));"
       u"set(3, 1, getMapNext(\"a\", &k, &v)); set_(3, 2, k); set(3, 3, v);"
       u"getMapValue(\"zz\", &v); set(4, 1, v); set(4, 2, getMapNext(\"c\", &k, &v)); set_(4, 3, k);",
       {{2, 1, u"0"},
        {2, 2, u"0"},
        {2, 3, u"0"},
        {2, 4, u"0"},
        {3, 1, u"1"},
        {3, 2, u"b"},
        {3, 3, u"2"},
        {4, 1, u"0"},
        {4, 2, u"1"},
        {4, 3, u"zz"}},
       {},
       {}},
      {"getMap walks in byte order",
       u"char *k = 0; int v = 0; createMap(); appendMap(\"乙\", 2); appendMap(\"b\", 1); appendMap(\"a\", 0);"
       u"createString(); createMapIter(); while (getMap(&k, &v)) { appendString(k); appendStringInt(v); }"
       u"set(2, 2, getMap(&k, &v)); set(2, 3, getMap(0, 0)); getString(&k); set_(2, 1, k);",
       {{2, 1, u"a0b1乙2"}, {2, 2, u"0"}, {2, 3, u"0"}},
       {},
       {}},
      {"double map",
       u"char *k = 0; double d = -1; createDoubleMap(); appendDoubleMap(\"y\", 2.5); appendDoubleMap(\"x\", 1.5);"
       u"appendDoubleMap(0, 9); getDoubleMapValue(\"w\", &d); set(3, 1, d);"
       u"createString(); createDoubleMapIter(); while (getDoubleMap(&k, &d)) { appendString(k); "
       u"appendStringInt((int)(d * 10)); }"
       u"getString(&k); set_(2, 1, k);",
       {{2, 1, u"w0x15y25"}, {3, 1, u"0"}},
       {},
       {}},
      {"getDay, getHour",
       u"char *s = 0; getDay(\"2023-5-7\", &s); set_(2, 1, s); getDay(\"2023/12/31 23:59\", &s); set_(2, 2, s);"
       u"getHour(\"2023/12/31 23:59\", &s); set_(2, 3, s); getHour(\" 2023-05-07 8:30\", &s); set_(2, 4, s);"
       u"set(3, 1, getDay(\"23-5-7\", &s)); set(3, 2, getHour(\"2023-05-07\", &s)); set(3, 3, getDay(0, &s));"
       u"set(3, 4, getDay(\"2023-05-07\", 0));",
       {{2, 1, u"2023-05-07"},
        {2, 2, u"2023-12-31"},
        {2, 3, u"23"},
        {2, 4, u"08"},
        {3, 1, u"0"},
        {3, 2, u"0"},
        {3, 3, u"0"},
        {3, 4, u"0"}},
       {},
       {}},
      {"getSecond and get_daytime under UTC+8",
       u"char *s = 0; set(2, 1, (double)getSecond(\"2023-05-07\")); set(2, 2, (double)getSecond(\"\\t2023-05-07 "
       u"8:30:15\"));"
       u"set(2, 3, (double)getSecond(\"23-05-07\")); get_daytime(0, &s); set_(3, 1, s);"
       u"get_daytime(1683388815u, &s); set_(3, 2, s); get_daytime(0, 0);",
       {{2, 1, u"1683388800"},
        {2, 2, u"1683419415"},
        {2, 3, u"-1"},
        {3, 1, u"1970-01-01 08:00:00"},
        {3, 2, u"2023-05-07 00:00:15"}},
       {},
       {}},
      {"get_filename of a never-saved document",
       u"char *s = (char *)1; get_filename(&s); set_(2, 1, s); get_filename(0);",
       {{2, 1, u""}},
       {},
       {}},
      {"open_file leaves the running document and goes on",
       u"open_file(\"/数据/甲.csv\"); open_file(0); set(2, 1, 1);",
       {{2, 1, u"1"}},
       {},
       {}},
  };
  for (const SymbolCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDocument fresh, freshOther;
    // Each case over the fixture's sheets as they were.
    doc.core.resize(6, 6);
    for (int32_t r = 2; r < 6; ++r)
      for (int32_t col = 1; col < 6; ++col) doc.core.setText(r, col, u"");
    other.core.setText(2, 1, u"");
    other.core.setText(2, 2, u"");
    doc.calls.clear();
    EXPECT_EQ(run(c.body), "");
    for (const CellText& cell : c.cells)
      EXPECT_EQ(wideToUtf8(doc.core.getText(cell.row, cell.col)), wideToUtf8(cell.text))
          << "cell " << cell.row << "," << cell.col;
    for (const CellText& cell : c.otherCells)
      EXPECT_EQ(wideToUtf8(other.core.getText(cell.row, cell.col)), wideToUtf8(cell.text))
          << "other cell " << cell.row << "," << cell.col;
    std::vector<std::string> calls, want;
    for (auto& s : doc.calls) calls.push_back(wideToUtf8(s));
    for (auto& s : c.calls) want.push_back(wideToUtf8(s));
    EXPECT_EQ(calls, want);
  }
  EXPECT_EQ(opened, std::vector<std::u16string>{u"/数据/甲.csv"});
}

TEST_F(TccEngineTest, GetFilenameGivesTheDocumentPathInGbk) {
  doc.path = u"/数据/表.csv";
  EXPECT_EQ(run(u"char *s = 0; get_filename(&s); set_(2, 1, s);"), "");
  EXPECT_EQ(doc.core.getText(2, 1), u"/数据/表.csv");
}

TEST_F(TccEngineTest, TickCountIsUnsignedPastTwoToThe31) {
  platform::setManualClock(0x80000005u);
  EXPECT_EQ(run(u"set(2, 1, (double)get_tick_count());"), "");
  platform::useRealClock();
  EXPECT_EQ(doc.core.getText(2, 1), u"2147483653");
}

TEST_F(TccEngineTest, MessageBoxShowsTheTextWithAnEmptyCaptionAndNoOwner) {
  testdriver::AnswerScript answers;
  answers.answer(u"MessageBoxW", 1);
  EXPECT_EQ(run(u"message_box(\"你好\"); set(2, 1, 1);"), "");
  ASSERT_EQ(answers.calls().size(), 1u);
  const auto& call = answers.calls()[0].call;
  EXPECT_EQ(call.owner, nullptr);
  ASSERT_EQ(call.args.size(), 3u);
  EXPECT_EQ(call.args[0], u"你好");
  EXPECT_EQ(call.args[1], u"");
  EXPECT_EQ(call.args[2], u"MB_OK");
  EXPECT_EQ(doc.core.getText(2, 1), u"1");
}

TEST_F(TccEngineTest, MapsLastAcrossScriptsOfOneDocumentAndStayWithIt) {
  EXPECT_EQ(run(u"createMap(); appendMap(\"b\", 2); appendMap(\"a\", 1);"), "");
  const std::u16string walk =
      u"char *k = 0; int v = 0; createString(); createMapIter();"
      u"while (getMap(&k, &v)) { appendString(k); appendStringInt(v); } getString(&k); set_(2, 1, k);";
  EXPECT_EQ(run(walk), "");
  EXPECT_EQ(doc.core.getText(2, 1), u"a1b2");
  EXPECT_EQ(run(walk, &other), "");
  EXPECT_EQ(other.core.getText(2, 1), u"");
}

// A fresh record's iterators, and those of a map emptied after its iterator was made,
// stand at the map's end.
TEST_F(TccEngineTest, MapWalksWithoutAnIteratorGiveNothing) {
  EXPECT_EQ(run(u"char *k = 0; int v = 0; double d = 0; set(2, 1, getMap(&k, &v)); set(2, 2, getDoubleMap(&k, &d));"
                u"createMap(); appendMap(\"a\", 1); createMapIter(); createMap(); set(2, 3, getMap(&k, &v));"
                u"createDoubleMap(); appendDoubleMap(\"a\", 1); createDoubleMapIter(); createDoubleMap();"
                u"set(3, 1, getDoubleMap(&k, &d));",
                &other),
            "");
  for (int32_t col = 1; col <= 3; ++col) EXPECT_EQ(other.core.getText(2, col), u"0") << col;
  EXPECT_EQ(other.core.getText(3, 1), u"0");
}

TEST_F(TccEngineTest, OnlyTheLastTextCopyIsKept) {
  EXPECT_EQ(run(u"char *a = 0, *b = 0; get_(1, 2, &a); get1_(\"表二\", 1, 2, &b); set_(2, 1, b);"
                u"set(2, 2, a != b);"),
            "");
  EXPECT_EQ(doc.core.getText(2, 1), u"汉");
  EXPECT_EQ(doc.core.getText(2, 2), u"1");
  ASSERT_NE(doc.mTccHost.mLastText, nullptr);
  EXPECT_EQ(ansiToWide(doc.mTccHost.mLastText), u"汉");
}

TEST_F(TccEngineTest, WinMainRunsInsteadOfMain) {
  std::string decl = enginetest::cDeclarations();
  runTccScript(doc, std::u16string(decl.begin(), decl.end()) +
                        u"int main(void) { set(2, 1, 2); return 0; }\n"
                        u"int WinMain(void *i, void *p, char *cmd, int show) { set(2, 1, 10 + show + (i == 0) + "
                        u"(cmd == 0)); return 0; }\n");
  EXPECT_EQ(doc.mTccHost.mErrors, "");
  EXPECT_EQ(doc.core.getText(2, 1), u"13");
}

TEST_F(TccEngineTest, ScriptWithoutEntryPointIsReported) {
  runTccScript(doc, u"int helper(void) { return 1; }\n");
  EXPECT_EQ(doc.mTccHost.mErrors, "tcc can not find 'main' or 'WinMain' function.\n");
  EXPECT_NE(doc.outputText().find("Run cell[0,0] Tcc script error:"), std::string::npos);
}

TEST_F(TccEngineTest, CompileErrorShowsLibtccLinesAndChangesNothing) {
  const SheetSnapshot before = SheetSnapshot::take(doc.core);
  runTccScript(doc, cMain(u"set(1, 1, 5);\nnosuch = 3;\n"));
  EXPECT_EQ(diffSnapshots(before, SheetSnapshot::take(doc.core)), "");
  EXPECT_FALSE(doc.manager.modified());
  const std::string out = doc.outputText();
  const std::string decl = enginetest::cDeclarations();
  const int line = int(std::count(decl.begin(), decl.end(), '\n')) + 3;  // "nosuch = 3;"
  EXPECT_NE(out.find(":" + std::to_string(line) + ": error:"), std::string::npos) << out;
}

TEST_F(TccEngineTest, ScriptsIncludeTheCLibraryHeaders) {
  runTccScript(
      doc,
      u"#include <stdio.h>\n#include <string.h>\nvoid set(int, int, double);\n"
      u"int main(void) { char b[16]; snprintf(b, sizeof b, \"%d\", 42); set(2, 1, strlen(b)); return 0; }\n");
  EXPECT_EQ(doc.mTccHost.mErrors, "");
  EXPECT_EQ(doc.core.getText(2, 1), u"2");
}

TEST_F(TccEngineTest, WriteReportsWhetherEveryByteWasWritten) {
  testsupport::ScratchDir dir;
  struct Case {
    const char* name;
    std::string path;  // UTF-8; converted to GBK for the script
    const char16_t* data;
    const char* result;
    bool fileAfter;
  } cases[] = {
      {"a Chinese name", dir.native("输出.txt"), u"\"中文 abc\"", "1", true},
      {"an empty text", dir.native("empty.txt"), u"\"\"", "1", true},
      {"a missing folder", dir.native("无/输出.txt"), u"\"x\"", "0", false},
      {"no data", dir.native("nodata.txt"), u"0", "0", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(run(u"set(2, 1, write(\"" + utf8ToWide(c.path) + u"\", " + c.data + u"));"), "");
    EXPECT_EQ(wideToUtf8(doc.core.getText(2, 1)), c.result);
    EXPECT_EQ(fileExists(utf8ToWide(c.path)), c.fileAfter);
  }
  EXPECT_EQ(testsupport::readBytes(dir.native("输出.txt")), wideToAnsi(u"中文 abc"));
  EXPECT_EQ(run(u"set(2, 1, write(0, \"x\"));"), "");
  EXPECT_EQ(doc.core.getText(2, 1), u"0");
}

TEST_F(TccEngineTest, EveryWritingCallMarksItsDocumentModified) {
  struct Case {
    const char* name;
    const char16_t* body;
    bool docModified, otherModified;
  } cases[] = {
      {"set", u"set(3, 1, 4);", true, false},
      {"set_", u"set_(3, 1, \"文\");", true, false},
      {"set1", u"set1(\"表二\", 3, 1, 4);", false, true},
      {"set1_", u"set1_(\"表二\", 3, 1, \"文\");", false, true},
      {"resize", u"resize(9, 9);", true, false},
      {"reads only", u"double v; char *s; get(1, 1, &v); get_(1, 2, &s); get1(\"表二\", 1, 1, &v);", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDocument a, b;
    a.core.resize(6, 6);
    b.core.resize(6, 6);
    OpenTables registry;
    registry.add(u"表二", b);
    EXPECT_EQ(run(c.body, &a), "");
    EXPECT_EQ(a.manager.modified(), c.docModified);
    EXPECT_EQ(b.manager.modified(), c.otherModified);
  }
}

}  // namespace
