// Common dialogs answered by the driver: results written as the platform
// writes them, failures reported as the platform reports them.
#include "tests/platform/user/UiFixture.h"

using namespace uitest;

namespace {

class CommDlgTest : public UiTest {
 protected:
  OPENFILENAMEW ofn(std::u16string& buffer, DWORD flags) {
    OPENFILENAMEW o{};
    o.lStructSize = sizeof o;
    o.hwndOwner = owner;
    o.lpstrFilter = u"CSV文件 (*.csv)\0*.csv\0所有文件\0*.*\0";
    o.nFilterIndex = 1;
    o.lpstrFile = buffer.data();
    o.nMaxFile = static_cast<DWORD>(buffer.size());
    o.lpstrTitle = u"打开";
    o.Flags = flags;
    return o;
  }
  void SetUp() override {
    UiTest::SetUp();
    owner = make("main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200);
  }
  HWND owner = nullptr;
  testdriver::AnswerScript script;
};

constexpr DWORD kMulti = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;

TEST_F(CommDlgTest, MultiSelectResultIsFolderThenNames) {
  script.answer(u"GetOpenFileNameW", TRUE, {u"/data/表1.csv", u"/data/b.csv", u"/data/c"});
  std::u16string buffer(66560, u'\0');
  OPENFILENAMEW o = ofn(buffer, kMulti);
  ASSERT_TRUE(GetOpenFileNameW(&o));
  EXPECT_EQ(buffer.substr(0, 26), std::u16string(u"/data\0表1.csv\0b.csv\0c\0\0", 23) + std::u16string(3, u'\0'));
  EXPECT_EQ(o.nFileOffset, 6);
  // Reading it back the way the program does: folder, then names up to the empty one.
  std::vector<std::u16string> parts;
  for (const char16_t* p = buffer.data(); *p; p += std::char_traits<char16_t>::length(p) + 1) parts.push_back(p);
  EXPECT_EQ(parts, (std::vector<std::u16string>{u"/data", u"表1.csv", u"b.csv", u"c"}));
  ASSERT_EQ(script.calls().size(), 1u);
  EXPECT_EQ(script.calls()[0].call.owner, owner);
  EXPECT_EQ(script.calls()[0].call.args,
            (std::vector<std::u16string>{u"打开", u"CSV文件 (*.csv)|*.csv|所有文件|*.*", u"", u"multi", u"", u"",
                                         u"528900"}));  // kMulti
}

TEST_F(CommDlgTest, OpenResultsAndFailures) {
  struct Case {
    const char* what;
    DWORD flags;
    size_t bufferSize;
    LONG_PTR value;
    std::vector<std::u16string> paths;
    BOOL result;
    DWORD error;
    std::u16string written;  // the buffer's start
    WORD offset, extension;
  } cases[] = {
      {"one file, single select",
       OFN_FILEMUSTEXIST,
       260,
       TRUE,
       {u"/home/u/a.b.csv"},
       TRUE,
       0,
       std::u16string(u"/home/u/a.b.csv\0", 16),
       8,
       12},
      {"one file in multi-select: the path alone",
       kMulti,
       260,
       TRUE,
       {u"/home/u/x"},
       TRUE,
       0,
       std::u16string(u"/home/u/x\0\0", 11),
       8,
       9},
      {"files at the root keep the root's separator",
       kMulti,
       260,
       TRUE,
       {u"/a.csv", u"/b.csv"},
       TRUE,
       0,
       std::u16string(u"/\0a.csv\0b.csv\0\0", 15),
       2,
       0},
      {"cancelled", kMulti, 260, FALSE, {}, FALSE, 0, u"", 0, 0},
      {"several folders cannot be one answer",
       kMulti,
       260,
       TRUE,
       {u"/a/x", u"/b/y"},
       FALSE,
       FNERR_INVALIDFILENAME,
       u"",
       0,
       0},
      {"several files without multi-select",
       OFN_FILEMUSTEXIST,
       260,
       TRUE,
       {u"/a/x", u"/a/y"},
       FALSE,
       FNERR_INVALIDFILENAME,
       u"",
       0,
       0},
      {"buffer too small: the size needed comes back",
       kMulti,
       10,
       TRUE,
       {u"/data/a.csv", u"/data/b.csv"},
       FALSE,
       FNERR_BUFFERTOOSMALL,
       std::u16string(1, char16_t(19)),
       0,
       0},
  };
  for (const Case& c : cases) {
    script.answer(u"GetOpenFileNameW", c.value, c.paths);
    std::u16string buffer(c.bufferSize, u'\0');
    OPENFILENAMEW o = ofn(buffer, c.flags);
    EXPECT_EQ(GetOpenFileNameW(&o), c.result) << c.what;
    EXPECT_EQ(CommDlgExtendedError(), c.error) << c.what;
    EXPECT_EQ(buffer.substr(0, c.written.size()), c.written) << c.what;
    if (c.result) {
      EXPECT_EQ(o.nFileOffset, c.offset) << c.what;
      EXPECT_EQ(o.nFileExtension, c.extension) << c.what;
    }
  }
  // No answer at all: cancelled; a wrong structure size: refused.
  std::u16string buffer(260, u'\0');
  OPENFILENAMEW o = ofn(buffer, 0);
  EXPECT_FALSE(GetOpenFileNameW(&o));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  o.lStructSize = 136;
  EXPECT_FALSE(GetOpenFileNameW(&o));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
}

TEST_F(CommDlgTest, SaveAppendsTheDefaultExtensionToANameWithoutOne) {
  struct Case {
    std::u16string answer, result;
  } cases[] = {{u"/out/split", u"/out/split.csv"},
               {u"/out/split.txt", u"/out/split.txt"},
               {u"/out.d/split", u"/out.d/split.csv"}};
  for (const Case& c : cases) {
    script.answer(u"GetSaveFileNameW", TRUE, {c.answer});
    std::u16string buffer(510, u'\0');
    std::u16string initial = u"/data/New";
    std::copy(initial.begin(), initial.end(), buffer.begin());
    OPENFILENAMEW o = ofn(buffer, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST);
    o.lpstrDefExt = u"csv";
    ASSERT_TRUE(GetSaveFileNameW(&o));
    EXPECT_EQ(std::u16string(buffer.c_str()), c.result);
    EXPECT_EQ(o.nFileOffset, c.result.find_last_of(u'/') + 1);
  }
  EXPECT_EQ(script.calls()[0].call.args[2], u"/data/New");  // the initial name was shown
  EXPECT_EQ(script.calls()[0].call.args[3], u"csv");
  std::u16string buffer(510, u'\0');
  OPENFILENAMEW o = ofn(buffer, 0);
  EXPECT_FALSE(GetSaveFileNameW(&o));  // unanswered
}

TEST_F(CommDlgTest, FolderBrowser) {
  script.answer(u"SHBrowseForFolderW", TRUE, {u"/data/输出"});
  script.answer(u"SHBrowseForFolderW", FALSE);
  WCHAR name[MAX_PATH];
  BROWSEINFOW info{};
  info.hwndOwner = nullptr;
  info.pszDisplayName = name;
  info.lpszTitle = u"选择一个文件夹";
  info.ulFlags = BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(std::u16string(name), u"输出");
  WCHAR path[MAX_PATH];
  ASSERT_TRUE(SHGetPathFromIDListW(list, path));
  EXPECT_EQ(std::u16string(path), u"/data/输出");
  CoTaskMemFree(list);
  EXPECT_EQ(SHBrowseForFolderW(&info), nullptr);
  EXPECT_EQ(script.calls()[0].call.args, std::vector<std::u16string>{u"选择一个文件夹"});
  EXPECT_FALSE(SHGetPathFromIDListW(nullptr, path));
}

}  // namespace
