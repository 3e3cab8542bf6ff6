// Script files run over a document, the output window and the system-script window,
// through the window layer and its test driver. Pictures go to build/tests/script/.
#include <fstream>

#include "platform/png/Png.h"
#include "platform/resources/Resources.h"
#include "platform/testdriver/Driver.h"
#include "script/OutputWindow.h"
#include "script/ScriptFile.h"
#include "script/ScriptRun.h"
#include "script/SystemScriptWindow.h"
#include "tests/script/ScriptFixture.h"
#include "tests/support/GdiplusSuite.h"
#include "tests/support/Picture.h"
#include "tests/support/Scratch.h"

namespace {

using scripttest::FakeDocument;
using namespace std::string_literals;

class WindowTest : public testsupport::GdiplusSuite {
 protected:
  void SetUp() override {
    testdriver::reset();
    owner = testsupport::createHostWindow(u"ScriptHost", 0, 0, 1000, 700);
    ASSERT_NE(owner, nullptr);
  }
  void TearDown() override {
    DestroyWindow(owner);
    testdriver::pumpUntilIdle();
  }
  HWND owner = nullptr;
};

uint32_t pixelOf(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

int countPixels(const Surface& s, uint32_t colour) {
  int n = 0;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) n += s.at(x, y) == colour;
  return n;
}

TEST_F(WindowTest, SystemScriptWindowStoresIntoTheDocumentItWasOpenedFor) {
  FakeDocument a, b;
  a.core.resize(2, 2);
  b.core.resize(2, 2);
  a.core.setAttrText(ATTR_PYTHON_SCRIPT, u"x = 1");
  SystemScriptWindow* w = showSystemScriptWnd(&a.ops, owner);
  ASSERT_NE(w, nullptr);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(w->editor.shownText, u"x = 1");
  EXPECT_EQ(w->editor.caret, 5u);
  EXPECT_TRUE(w->editor.lineNumbers);
  EXPECT_EQ(w->editor.language, TEXT_PYTHON);
  SetFocus(w->editor.hwnd);
  testdriver::typeText(u"\n# 注释");
  testdriver::pumpUntilIdle();
  testdriver::closeBox(w->dialog);  // b is the current document meanwhile: it does not matter
  testdriver::pumpUntilIdle();
  EXPECT_EQ(a.core.poolText(a.core.mAttrs[ATTR_PYTHON_SCRIPT].value), u"x = 1\n# 注释");
  EXPECT_EQ(b.core.mAttrs[ATTR_PYTHON_SCRIPT].value, 0u);
  EXPECT_TRUE(a.manager.modified());
  EXPECT_FALSE(b.manager.modified());
}

TEST_F(WindowTest, AnUnchangedTextLeavesTheModifiedState) {
  FakeDocument a;
  a.core.resize(2, 2);
  a.core.setAttrText(ATTR_PYTHON_SCRIPT, u"x = 1");
  SystemScriptWindow* w = showSystemScriptWnd(&a.ops, owner);
  ASSERT_NE(w, nullptr);
  SendMessageW(w->dialog, WM_CLOSE, 0, 0);
  EXPECT_EQ(a.core.poolText(a.core.mAttrs[ATTR_PYTHON_SCRIPT].value), u"x = 1");
  EXPECT_FALSE(a.manager.modified());
}

TEST_F(WindowTest, ClosingTheDocumentStoresAndClosesItsWindowsFirst) {
  FakeDocument a, b;
  a.core.resize(2, 2);
  b.core.resize(2, 2);
  SystemScriptWindow* wa = showSystemScriptWnd(&a.ops, owner);
  SystemScriptWindow* wb = showSystemScriptWnd(&b.ops, owner);
  ASSERT_TRUE(wa && wb);
  HWND da = wa->dialog, db = wb->dialog;
  SetFocus(wa->editor.hwnd);
  testdriver::typeText(u"print(1)");
  testdriver::pumpUntilIdle();
  closeSystemScriptWindows(&a.ops);
  EXPECT_FALSE(IsWindow(da));
  EXPECT_TRUE(IsWindow(db));
  EXPECT_EQ(a.core.poolText(a.core.mAttrs[ATTR_PYTHON_SCRIPT].value), u"print(1)");
  EXPECT_TRUE(a.manager.modified()) << "so the close asks about saving";
  closeSystemScriptWindows(&b.ops);
  EXPECT_FALSE(IsWindow(db));
}

TEST_F(WindowTest, PictureOfTheSystemScriptWindow) {
  FakeDocument a;
  a.core.resize(2, 2);
  a.core.setAttrText(ATTR_PYTHON_SCRIPT,
                     u"# 系统脚本：每次运行前执行\nimport Morvel\n\ndef total(rows):\n    s = 0\n"
                     u"    for r in range(1, rows):\n        s += Morvel.get(r, 1)\n    return s\n\n"
                     u"print(\"合计\", total(Morvel.get_row_count()))\n");
  SystemScriptWindow* w = showSystemScriptWnd(&a.ops, owner);
  ASSERT_NE(w, nullptr);
  testdriver::pumpUntilIdle();
  const Surface s = testdriver::windowPixels(w->editor.hwnd);
  ASSERT_TRUE(
      testdriver::saveWindowPng(w->editor.hwnd, testsupport::picturePath("script", "system_script.png").string()));
  EXPECT_GT(countPixels(s, pixelOf(w->editor.numberColour)), 20) << "line numbers";
  EXPECT_GT(countPixels(s, pixelOf(w->editor.gutterLineColour)), 20) << "the gutter line";
  SendMessageW(w->dialog, WM_CLOSE, 0, 0);
}

// Dialog 147 as the document object makes it: the output editor over the whole client
// area, the dialog hidden until a run leaves text.
class OutputWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    platform::resources::Dialog d;
    d.id = 147;
    d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX;
    d.cx = 427;
    d.cy = 250;
    d.caption = u"输出";
    platform::resources::Table t;
    t.dialogs.push_back(d);
    platform::resources::addTable(t);
    dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(147), owner, outputDlgProc, 0);
    ASSERT_NE(dialog, nullptr);
    RECT rc;
    GetClientRect(dialog, &rc);
    doc.output.insets[0] = doc.output.insets[1] = 3;
    doc.output.insets[2] = doc.output.insets[3] = 2;
    doc.output.backColour = 0xE8E7E6;
    doc.output.create(dialog, 0, 0, rc.right, rc.bottom, 1);
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&doc.output));
    doc.onShowOutput = [this] { ShowWindow(dialog, SW_SHOWNORMAL); };
    doc.core.resize(7, 5);
  }
  void TearDown() override {
    destroyOutputWnd(dialog);
    WindowTest::TearDown();
  }
  FakeDocument doc;
  HWND dialog = nullptr;
};

TEST_F(OutputWindowTest, ShownWithErrorsHiddenByItsCloseBox) {
  doc.setScript(2, 2, CELL_EXPRTK, u"var x := 1;\nx + nosuch");
  doc.core.setText(5, 3, u"=A1 +* 2");
  EXPECT_FALSE(IsWindowVisible(dialog));
  runAllScripts(doc);
  testdriver::pumpUntilIdle();
  EXPECT_TRUE(IsWindowVisible(dialog));
  ASSERT_TRUE(testdriver::saveWindowPng(dialog, testsupport::picturePath("script", "output_errors.png").string()));
  const Surface s = testdriver::windowPixels(doc.output.hwnd);
  EXPECT_GT(countPixels(s, 0xE6E7E8), s.width * s.height / 3) << "the output background";
  EXPECT_GT(countPixels(s, pixelOf(doc.output.textColour)), 200) << "the banners' text";
  testdriver::closeBox(dialog);
  testdriver::pumpUntilIdle();
  EXPECT_FALSE(IsWindowVisible(dialog));
  EXPECT_FALSE(doc.output.shownText.empty()) << "hiding keeps the text";
  doc.setScript(2, 2, CELL_EXPRTK, u"1");
  doc.core.setText(5, 3, u"=1");
  runAllScripts(doc);
  EXPECT_FALSE(IsWindowVisible(dialog));
  EXPECT_TRUE(doc.output.shownText.empty());
}

class ScriptFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.core.resize(3, 3);
    doc.output.appendText(u"old");
  }
  void write(const std::string& name, const std::u16string& text, bool bom) {
    std::u16string all = bom ? u"\uFEFF" + text : text;
    std::ofstream(dir.native(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(all.data()), std::streamsize(all.size() * 2));
  }
  testsupport::ScratchDir dir;
  FakeDocument doc;
};

TEST_F(ScriptFileTest, RunsByExtension) {
  struct Case {
    const char* name;
    bool runs;
  } cases[] = {{"a.exp", true}, {"b.EXP", true}, {"c.txt", false}, {"d", false}};
  for (const Case& c : cases) {
    doc.core.setText(1, 1, u"");
    doc.output.appendText(u"old");
    write(c.name, u"set(1,1,3)", false);
    doc.calls.clear();
    ASSERT_TRUE(runScriptFile(doc, dir.path(c.name)));
    EXPECT_EQ(doc.core.getText(1, 1), c.runs ? u"3" : u"") << c.name;
    EXPECT_EQ(doc.outputText(), "") << c.name;
    EXPECT_EQ(doc.calls, std::vector<std::u16string>{u"repaint"}) << c.name;
  }
}

TEST_F(ScriptFileTest, AByteOrderMarkIsRemovedFromTheFileAndNothingElse) {
  const std::u16string text = u"set(1,1,5); # 注释\n'\0' + 1"s;
  write("m.exp", std::u16string(text.data(), text.size()), true);
  ASSERT_TRUE(runScriptFile(doc, dir.path("m.exp")));
  const std::string bytes = testsupport::readBytes(dir.native("m.exp"));
  EXPECT_EQ(bytes, std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
  for (const auto& e : std::filesystem::directory_iterator(dir.dir()))
    EXPECT_EQ(e.path().filename(), "m.exp") << "no other file is left";
  ASSERT_TRUE(runScriptFile(doc, dir.path("m.exp")));
  EXPECT_EQ(testsupport::readBytes(dir.native("m.exp")), bytes) << "a second run reads it unchanged";
}

TEST_F(ScriptFileTest, ErrorsShowTheOutputWindow) {
  write("e.exp", u"1 +", false);
  runScriptFile(doc, dir.path("e.exp"));
  EXPECT_NE(doc.outputText().find("Run cell[0,0] Exprtk script error:"), std::string::npos);
  EXPECT_EQ(doc.outputShown, 1);
}

}  // namespace
