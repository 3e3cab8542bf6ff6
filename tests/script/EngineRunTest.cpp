// F5 over a document with scripts of every engine, and runs that try to start while a
// C message box or a Python progress bar pumps messages.
#include <functional>
#include <string>
#include <vector>

#include "platform/user/Blocking.h"
#include "script/ScriptFile.h"
#include "script/ScriptRun.h"
#include "script/SystemScriptWindow.h"
#include "tests/script/EngineFixture.h"
#include "tests/script/ScriptFixture.h"
#include "tests/support/AppendScripts.h"
#include "tests/support/Scratch.h"

namespace {

using scripttest::FakeDocument;

using testsupport::cAppend;
using testsupport::exprtkAppend;
using testsupport::pythonAppend;

// A 4 x 4 sheet whose document scripts (exprtk, C, Python) and cells (row 2: C, exprtk,
// Python; row 3: a formula, C) each append their letter or digit to cell (1, 1): one F5
// leaves "ecp12345" there.
void addScriptsOfEveryEngine(FakeDocument& doc) {
  doc.core.resize(4, 4);
  doc.core.setAttrText(ATTR_EXPRTK_SCRIPT, exprtkAppend(u'e'));
  doc.core.setAttrText(ATTR_C_SCRIPT, cAppend(u'c'));
  storeSystemScript(doc.ops, pythonAppend(u'p'));
  doc.setScript(2, 3, CELL_PYTHON, pythonAppend(u'3'));
  doc.setScript(2, 1, CELL_TCC, cAppend(u'1'));
  doc.setScript(2, 2, CELL_EXPRTK, exprtkAppend(u'2'));
  doc.core.setText(3, 1, u"=" + exprtkAppend(u'4'));
  doc.setScript(3, 2, CELL_TCC, cAppend(u'5'));
}

TEST(EngineRun, F5RunsDocumentScriptsThenCellsOfEveryKindRowByRow) {
  enginetest::Engines engines;
  FakeDocument doc;
  addScriptsOfEveryEngine(doc);
  ASSERT_TRUE(runAllScripts(doc));
  EXPECT_EQ(doc.outputText(), "");
  EXPECT_EQ(doc.core.getText(1, 1), u"ecp12345");
  EXPECT_TRUE(doc.manager.modified());
  EXPECT_TRUE(doc.messages.empty());
}

// Without the C and Python engines their scripts run nothing, the exprtk ones still run,
// and a message box tells of each missing engine once per run; outside a run each
// script tells it again.
TEST(EngineRun, AMissingEngineIsReportedOncePerRun) {
  const std::u16string tcc = u"运行脚本|TCC脚本没有运行，因为没有安装TCC脚本引擎!";
  const std::u16string python = u"运行脚本|Python脚本没有运行，因为没有安装Python脚本引擎!";
  struct Case {
    const char* what;
    std::function<void(FakeDocument&)> run;
    std::u16string a1;
    std::vector<std::u16string> messages;
  } cases[] = {
      {"F5", [](FakeDocument& d) { runAllScripts(d); }, u"e24", {tcc, python}},
      {"F5 twice",
       [](FakeDocument& d) { runAllScripts(d), runAllScripts(d); },
       u"e24e24",
       {tcc, python, tcc, python}},
      {"F8 over the Python cell",
       [](FakeDocument& d) {
         d.selection = Selection{2, 3, Range{2, 3, 2, 3}};
         runSelectedScripts(d);
       },
       u"",
       {python}},
      {"two C cells outside a run",
       [](FakeDocument& d) { runTccCell(d, 2, 1), runTccCell(d, 3, 2); },
       u"",
       {tcc, tcc}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDocument doc;
    addScriptsOfEveryEngine(doc);
    c.run(doc);
    EXPECT_EQ(doc.core.getText(1, 1), c.a1);
    EXPECT_EQ(doc.messages, c.messages);
    EXPECT_EQ(doc.outputText(), "");
  }
}

// What a run attempted during a pump of the running script got.
struct Attempts {
  explicit Attempts(FakeDocument& d) : doc(d) {}
  void tryAll() {
    ++pumps;
    f5 += runAllScripts(doc);
    f8 += runSelectedScripts(doc);
    plugin += runScriptFile(doc, dir.path("plugin.py"));
    closeAllowed += !scriptRunBlocksClose(&doc.ops);
    mainCloseAllowed += !scriptRunBlocksClose(nullptr);
  }
  FakeDocument& doc;
  testsupport::ScratchDir dir;
  int pumps = 0, f5 = 0, f8 = 0, plugin = 0, closeAllowed = 0, mainCloseAllowed = 0;
};

class ReentryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.core.resize(4, 4);
    doc.selection = Selection{2, 1, Range{2, 1, 2, 1}};
  }
  void expectRefusedOnce() {
    EXPECT_EQ(attempts.pumps, 1);
    EXPECT_EQ(attempts.f5, 0);
    EXPECT_EQ(attempts.f8, 0);
    EXPECT_EQ(attempts.plugin, 0);
    EXPECT_EQ(attempts.closeAllowed, 0);
    EXPECT_EQ(attempts.mainCloseAllowed, 0);
    EXPECT_EQ(doc.core.getText(1, 1), u"x") << "the run completed once";
    EXPECT_FALSE(scriptRunActive());
  }
  enginetest::Engines engines;
  FakeDocument doc;
  Attempts attempts{doc};
};

TEST_F(ReentryTest, RunsAndClosesAreRefusedAtACMessageBox) {
  doc.setScript(
      2, 1, CELL_TCC,
      u"void message_box(const char *); void get_(int, int, char **); void set_(int, int, const char *);"
      u"void createString(void); void appendString(const char *); void getString(char **);\n"
      u"int main(void) { char *s = 0; message_box(\"等一下\"); get_(1, 1, &s); createString(); appendString(s);"
      u"appendString(\"x\"); getString(&s); set_(1, 1, s); return 0; }\n");
  platform::BlockingHook previous = platform::setBlockingHook([&](const platform::BlockingCall& call) {
    std::optional<platform::BlockingAnswer> answer;
    if (call.kind == u"MessageBoxW") {
      attempts.tryAll();
      answer = platform::BlockingAnswer{IDOK, {}};
    }
    return answer;
  });
  EXPECT_TRUE(runAllScripts(doc));
  platform::setBlockingHook(previous);
  expectRefusedOnce();
}

TEST_F(ReentryTest, RunsAndClosesAreRefusedInsideAPythonProgressBar) {
  doc.setScript(2, 1, CELL_PYTHON, u"Morvel.set_progress(50)\nMorvel.set_(1, 1, Morvel.get_(1, 1) + 'x')");
  doc.onProgress = [&](int32_t percent) {
    if (percent == 50) attempts.tryAll();
  };
  EXPECT_TRUE(runSelectedScripts(doc));
  expectRefusedOnce();
  EXPECT_FALSE(doc.barUp) << "the run closed the bar it left up";
}

}  // namespace
