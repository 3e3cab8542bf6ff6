// Start-up: the first tab, the menu's start-up marks, the file named on the command line,
// the document type's registration and the exit code.
#include <filesystem>
#include <string>

#include "grid/ReadSettings.h"
#include "platform/xl/xl.h"
#include "store/QuoteDetect.h"
#include "tests/app/AppFixture.h"

namespace {

// The registry's default value of a key under HKEY_CLASSES_ROOT; "<none>" when the key is
// missing.
std::u16string classValue(const std::u16string& key) {
  HKEY k = nullptr;
  if (RegOpenKeyW(HKEY_CLASSES_ROOT, key.c_str(), &k) != ERROR_SUCCESS) return u"<none>";
  char16_t value[600] = {};
  LONG bytes = sizeof value;
  RegQueryValueW(k, nullptr, value, &bytes);
  RegCloseKey(k);
  return value;
}

void setClassValue(const std::u16string& key, const std::u16string& value) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyW(HKEY_CLASSES_ROOT, key.c_str(), &k), ERROR_SUCCESS);
  RegSetValueW(k, u"", REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * 2));
  RegCloseKey(k);
}

}  // namespace

TEST_F(AppTest, StartsWithOneNewTableWhenTheArgumentOpensNothing) {
  testsupport::writeBytes(dir.native("f.csv"), "a\n");
  struct Case {
    const char* name;
    std::u16string args;
  } cases[] = {{"none", u""}, {"folder", quoted(dir.path(""))}, {"missing", quoted(dir.path("missing.csv"))}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gQuoteDetect = false;
    setDefaultSeparator(32990);
    start(c.args);
    EXPECT_EQ(titles(), std::vector<std::u16string>{u"新表格"});
    EXPECT_TRUE(gTabStrip.tabs[0].path.empty());
    EXPECT_TRUE(gQuoteDetect);
    EXPECT_TRUE(checked(32964));
    EXPECT_FALSE(checked(32965));
    EXPECT_EQ(gDefaultSeparator, 0);
    EXPECT_TRUE(checked(32988));
    for (UINT id = 32989; id <= 32995; ++id) EXPECT_FALSE(checked(id)) << id;
    EXPECT_TRUE(checked(32925));  // a new table saves as ANSI
    EXPECT_EQ(std::u16string(gWindowTitle), u"Morvel");
    EXPECT_EQ(std::u16string(gWindowClass), u"MORVEL");
    EXPECT_EQ(windowText(gMainWnd), u"New - Morvel");
    EXPECT_EQ(GetFocus(), gTabStrip.tabs[0].gridWindow);
    TearDown();
    SetUp();
  }
}

TEST_F(AppTest, OpensTheFileNamedOnTheCommandLine) {
  testsupport::writeBytes(dir.native("u.csv"), "名字,数量\n中文,12\n");
  {
    const std::u16string text = u"\uFEFF名字\t数量\r\n中文\t12\r\n";
    testsupport::writeBytes(dir.native("w.txt"),
                            std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
  }
  testsupport::writeBytes(dir.native("g.csv"),
                          "\xC3\xFB\xD7\xD6\x2C\xCA\xFD\xC1\xBF\x0D\x0A\xD6\xD0\xCE\xC4\x2C\x31\x32\x0D\x0A");
  {
    CDataCore core;
    core.resize(5, 5);
    core.setText(1, 1, u"名字");
    core.setText(2, 1, u"中文");
    core.setText(2, 2, u"12");
    ASSERT_TRUE(core.write(dir.path("m.mvt"), true));
  }
  struct Case {
    std::string file;
    UINT encodingMark;
  } cases[] = {{"u.csv", 32921}, {"w.txt", 32923}, {"g.csv", 32925}, {"m.mvt", 32925}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    start(quoted(dir.path(c.file)));
    ASSERT_EQ(gTabStrip.tabs.size(), 1u);
    EXPECT_EQ(gTabStrip.tabs[0].path, dir.path(c.file));
    EXPECT_EQ(gTabStrip.tabs[0].title, utf8ToWide(c.file));
    CGrid* document = currentDocument();
    EXPECT_EQ(document->mPath, dir.path(c.file));
    EXPECT_EQ(document->mCore.getText(2, 1), u"中文");
    EXPECT_EQ(document->mCore.getText(1, 1), u"名字");
    for (UINT id = 32921; id <= 32925; ++id) EXPECT_EQ(checked(id), id == c.encodingMark) << id;
    EXPECT_EQ(windowText(gMainWnd), dir.path(c.file) + u" - Morvel");
    TearDown();
    SetUp();
  }
}

TEST_F(AppTest, AWorkbookOnTheCommandLineOpensOneTabPerSheet) {
  xl::Book* book = xlCreateXMLBookW();
  for (const char16_t* name : {u"S1", u"S2"}) book->addSheet(name)->writeStr(1, 0, name);
  ASSERT_TRUE(book->save(dir.path("b.xlsx").c_str()));
  book->release();
  start(quoted(dir.path("b.xlsx")));
  EXPECT_EQ(titles(), (std::vector<std::u16string>{u"b.xlsx!S1", u"b.xlsx!S2"}));
  EXPECT_EQ(gTabStrip.tabs[0].path, dir.path("b.xlsx") + u"!S1");
  EXPECT_EQ(gTabStrip.tabs[1].path, dir.path("b.xlsx") + u"!S2");
  EXPECT_EQ(gTabStrip.current, 1);
  EXPECT_EQ(currentDocument()->mCore.getText(2, 1), u"S2");
}

TEST_F(AppTest, ExitEndsTheLoopWithCodeZero) {
  start();
  ASSERT_TRUE(platform::chooseMenuCommand(gMainWnd, 105));
  EXPECT_EQ(runMessageLoop(), 0);
  EXPECT_EQ(gMainWnd, nullptr);
  EXPECT_TRUE(gTabStrip.tabs.empty());
}

TEST_F(AppTest, RegistersTheDocumentTypeUnlessItIsThere) {
  const std::u16string program = [] {
    char16_t buffer[4096] = {};
    GetModuleFileNameW(nullptr, buffer, 4096);
    return std::u16string(buffer);
  }();
  struct Case {
    const char* name;
    const char16_t* before;  // the ".mvt" value before start-up; null: no key
    bool written;
  } cases[] = {
      {"missing", nullptr, true}, {"elsewhere", u"Other.Type", true}, {"other case", u"morvel.MVD.1.5", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setenv("MORVEL_REGISTRY_FILE", dir.native(c.name).c_str(), 1);
    // A headless run leaves the desktop's folders alone.
    const std::string desktopData = dir.native(std::string(c.name) + "-xdg");
    setenv("XDG_DATA_HOME", desktopData.c_str(), 1);
    if (c.before) setClassValue(u".mvt", c.before);
    const std::string before = testsupport::readBytes(dir.native(c.name));
    start();
    EXPECT_FALSE(std::filesystem::exists(desktopData));
    unsetenv("XDG_DATA_HOME");
    if (!c.written) {
      EXPECT_EQ(testsupport::readBytes(dir.native(c.name)), before);
      EXPECT_EQ(classValue(u"Morvel.mvd.1.5"), u"<none>");
    } else {
      EXPECT_EQ(classValue(u".mvt"), u"Morvel.mvd.1.5");
      EXPECT_EQ(classValue(u"Morvel.mvd.1.5"), u"Morvel表格文件");
      EXPECT_EQ(classValue(u"Morvel.mvd.1.5\\DefaultIcon"), program + u",0");
      EXPECT_EQ(classValue(u"Morvel.mvd.1.5\\Shell"), u"Open");
      EXPECT_EQ(classValue(u"Morvel.mvd.1.5\\Shell\\Open\\Command"), u"\"" + program + u"\" \"%1\"");
    }
    TearDown();
    SetUp();
  }
}
