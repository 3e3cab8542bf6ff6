// Script plug-ins: the items the plug-in folder gives the script popup, running one over
// the current document, and importing a further script file.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/Plugins.h"
#include "controls/ControlClass.h"
#include "controls/InputState.h"
#include "controls/TabStrip.h"
#include "grid/Documents.h"
#include "grid/Grid.h"
#include "grid/GridStats.h"
#include "platform/png/Png.h"
#include "platform/testdriver/AnswerScript.h"
#include "platform/testdriver/Driver.h"
#include "script/PythonRun.h"
#include "script/ScriptEngines.h"
#include "script/TccRun.h"
#include "tests/support/GdiplusSuite.h"
#include "tests/support/Picture.h"
#include "tests/support/Scratch.h"
#include "tests/support/TabStripHost.h"

namespace {

// Script files are UTF-16LE text.
std::string utf16(const std::u16string& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

class PluginTest : public testsupport::GdiplusSuite {
 protected:
  void SetUp() override {
    testdriver::reset();
    installTccEngine();
    installPythonEngine();
    gInputEnabled = true;
    platform::setModuleFileName(dir.path("morvel"));
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"PluginMain";
    RegisterClassW(&wc);
    HMENU bar = CreateMenu();
    for (int i = 0; i < 9; ++i) {
      HMENU popup = CreatePopupMenu();
      if (i == kScriptPopup) AppendMenuW(popup, MF_STRING, 32960, u"打开命令行窗口");
      AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), i == kScriptPopup ? u"脚本(&D)" : u"菜单");
    }
    main = CreateWindowExW(0, u"PluginMain", u"", WS_POPUP | WS_VISIBLE, 30, 30, 800, 500, nullptr, bar, nullptr,
                           nullptr);
    gMainWnd = main;
    testsupport::createTabStrip(main, 800, 500);
    gPlugins.clear();
    testdriver::pumpUntilIdle();
  }
  void TearDown() override {
    stopStats();
    DestroyWindow(main);
    testdriver::pumpUntilIdle();
    gTabStrip.tabs.clear();
    gTabStrip.current = -1;
    gTabStrip.firstVisible = 0;
    gTabStrip.hwnd = nullptr;
    gMainWnd = nullptr;
    gPlugins.clear();
    platform::setModuleFileName(u"");
    scriptEngines() = ScriptEngines{};
  }
  HMENU popup() const { return GetSubMenu(GetMenu(main), kScriptPopup); }
  // The plug-in items of the popup: (id, text) after its own item.
  std::vector<std::pair<UINT, std::u16string>> items() const {
    std::vector<std::pair<UINT, std::u16string>> out;
    for (int i = 1; i < GetMenuItemCount(popup()); ++i) {
      char16_t text[260] = {};
      GetMenuStringW(popup(), UINT(i), text, 260, MF_BYPOSITION);
      out.emplace_back(GetMenuItemID(popup(), i), text);
    }
    return out;
  }
  void plugin(const std::string& name, const std::u16string& script) {
    std::filesystem::create_directories(dir.native("plugin"));
    testsupport::writeBytes(dir.native("plugin/" + name), utf16(script));
  }
  void startUp() {
    scanPluginFolder(pluginFolder());
    appendPluginItems(GetMenu(main));
  }

  testsupport::ScratchDir dir;
  testdriver::AnswerScript answers;
  HWND main = nullptr;
};

const std::u16string kExprtk = u"set_(1,1,'exprtk')";
const std::u16string kC = u"void set_(int, int, const char *);\nint main(void) { set_(1, 2, \"c\"); return 0; }\n";
const std::u16string kPython = u"Morvel.set_(1, 3, 'python')\r\n";

TEST_F(PluginTest, FolderGivesItemsThatRunOverTheCurrentDocument) {
  plugin("a.C", kC);
  plugin("b.exp", kExprtk);
  plugin("c.PY", kPython);
  plugin("d.txt", u"set_(1,4,'no')");
  plugin(".hidden.py", u"Morvel.set_(1, 5, 'no')\r\n");
  startUp();
  EXPECT_EQ(gPlugins, (std::vector<std::u16string>{u"a.C", u"b.exp", u"c.PY"}));
  const std::vector<std::pair<UINT, std::u16string>> expected = {
      {33000, u"a.C"}, {33001, u"b.exp"}, {33002, u"c.PY"}};
  EXPECT_EQ(items(), expected);
  EXPECT_FALSE(runPlugin(33000)) << "nothing runs without a document";
  CGrid* document = openInNewTab(u"");
  ASSERT_NE(document, nullptr);
  document->mCore.resize(3, 5);
  for (UINT id : {33000u, 33001u, 33002u}) EXPECT_TRUE(runPlugin(id));
  EXPECT_FALSE(runPlugin(33003)) << "beyond the list";
  EXPECT_FALSE(runPlugin(32999));
  EXPECT_EQ(document->mCore.getText(1, 1), u"exprtk");
  EXPECT_EQ(document->mCore.getText(1, 2), u"c");
  EXPECT_EQ(document->mCore.getText(1, 3), u"python");
  EXPECT_EQ(document->mCore.getText(1, 4), u"");
  EXPECT_EQ(document->mCore.getText(1, 5), u"");
  // The popup as it is shown, for the eye.
  const Surface pixels = platform::popupMenuPixels(popup());
  EXPECT_GT(pixels.height, 4 * 16);
  EXPECT_TRUE(writePng(pixels, testsupport::picturePath("app", "plugin_menu.png").string()));
}

TEST_F(PluginTest, ImportCopiesAndAddsNewNamesOnly) {
  startUp();  // no plug-in folder: no items
  EXPECT_TRUE(items().empty());
  testsupport::writeBytes(dir.native("e.py"), utf16(kPython));
  answers.answer(u"GetOpenFileNameW", 1, {dir.path("e.py")});
  answers.answer(u"MessageBoxW", IDOK);
  importPlugin();  // the folder is missing: the copy fails
  std::filesystem::create_directories(dir.native("plugin"));
  answers.answer(u"GetOpenFileNameW", 1, {dir.path("e.py")});
  importPlugin();
  testsupport::writeBytes(dir.native("b.exp"), utf16(kExprtk));
  answers.answer(u"GetOpenFileNameW", 1, {dir.path("b.exp")});
  importPlugin();
  const std::vector<std::pair<UINT, std::u16string>> expected = {{33000, u"e.py"}, {33001, u"b.exp"}};
  EXPECT_EQ(items(), expected);
  // b.exp again: the copy is replaced, no new item.
  testsupport::writeBytes(dir.native("b.exp"), utf16(u"set_(2,1,'second')"));
  answers.answer(u"GetOpenFileNameW", 1, {dir.path("b.exp")});
  importPlugin();
  EXPECT_EQ(items(), expected);
  EXPECT_EQ(testsupport::readBytes(dir.native("plugin/b.exp")), utf16(u"set_(2,1,'second')"));
  // A file chosen from the plug-in folder itself: the copy fails and the file stays.
  answers.answer(u"GetOpenFileNameW", 1, {dir.path("plugin/e.py")});
  answers.answer(u"MessageBoxW", IDOK);
  importPlugin();
  EXPECT_EQ(testsupport::readBytes(dir.native("plugin/e.py")), utf16(kPython));
  EXPECT_EQ(items(), expected);
  // Cancel changes nothing.
  answers.answer(u"GetOpenFileNameW", 0);
  importPlugin();
  EXPECT_EQ(gPlugins, (std::vector<std::u16string>{u"e.py", u"b.exp"}));

  std::vector<std::u16string> boxes;
  for (const auto& record : answers.calls())
    if (record.call.kind == u"MessageBoxW") boxes.push_back(record.call.args[0] + u"|" + record.call.args[1]);
  const std::u16string failed = u"脚本导入失败，因为无法拷贝文件!|脚本导入";
  EXPECT_EQ(boxes, (std::vector<std::u16string>{failed, failed}));
  // The imported copies run.
  CGrid* document = openInNewTab(u"");
  ASSERT_NE(document, nullptr);
  document->mCore.resize(3, 4);
  EXPECT_TRUE(runPlugin(33000));
  EXPECT_TRUE(runPlugin(33001));
  EXPECT_EQ(document->mCore.getText(1, 3), u"python");
  EXPECT_EQ(document->mCore.getText(2, 1), u"second");
}

}  // namespace
