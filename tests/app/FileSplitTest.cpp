// The file split dialog end to end: inputs added through the choosers, the mode and
// counts typed, the run started with button 3 and every part compared byte for byte.
#include <filesystem>

#include "platform/CodePage.h"
#include "tests/app/FileToolFixture.h"
#include "tests/support/SmallDisk.h"

namespace {

class FileSplit : public FileToolTest {
 protected:
  HWND open() {
    HWND dialog = openFileSplitDialog(host);
    EXPECT_NE(dialog, nullptr);
    testdriver::pumpUntilIdle();
    return dialog;
  }
  // Settings of one run; keep < 0 leaves the header box unchecked.
  void settings(HWND dialog, bool byLines, int count, int keep, const std::u16string& folder) {
    click(dialog, byLines ? 1001 : 1002);
    const std::string n = std::to_string(count);
    type(dialog, byLines ? 1003 : 1004, std::u16string(n.begin(), n.end()));
    if (keep < 0) {
      click(dialog, 1000);
    } else {
      const std::string k = std::to_string(keep);
      type(dialog, 1007, std::u16string(k.begin(), k.end()));
    }
    type(dialog, 1005, folder);
  }
  void run(HWND dialog) {
    click(dialog, IDABORT);
    ASSERT_TRUE(waitEnded(dialog));
  }
  // The parts out/<stem>_1.csv, _2, ... that exist.
  std::vector<std::string> parts(const std::string& stem) const {
    std::vector<std::string> out;
    for (int i = 1; exists("out/" + stem + "_" + std::to_string(i) + ".csv"); ++i)
      out.push_back(read("out/" + stem + "_" + std::to_string(i) + ".csv"));
    return out;
  }
};

TEST_F(FileSplit, CutsByLinesAndByParts) {
  struct Case {
    const char* name;
    std::string bytes;
    bool byLines;
    int count, keep;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"9 data lines with a final LF into 3 parts",
       "h\n1\n2\n3\n4\n5\n6\n7\n8\n9\n",
       false,
       3,
       1,
       {"h\n1\n2\n3\n", "h\n4\n5\n6\n", "h\n7\n8\n9\n"}},
      {"9 data lines without a final LF into 3 parts",
       "h\n1\n2\n3\n4\n5\n6\n7\n8\n9",
       false,
       3,
       1,
       {"h\n1\n2\n3\n", "h\n4\n5\n6\n", "h\n7\n8\n9"}},
      {"3 data lines with a final LF into 3 parts", "h\n1\n2\n3\n", false, 3, 1, {"h\n1\n", "h\n2\n", "h\n3\n"}},
      {"fewer lines than parts", "h\r\n1\r\n", false, 3, 1, {"h\r\n1\r\n"}},
      {"header only", "h\n", false, 3, 1, {"h\n"}},
      {"by lines, two header lines",
       "a\nb\n1\n2\n3\n4\n5",
       true,
       2,
       2,
       {"a\nb\n1\n2\n", "a\nb\n3\n4\n", "a\nb\n5"}},
      {"by lines, no header", "1\n2\n3\n", true, 2, -1, {"1\n2\n", "3\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(dir.native("out"));
    write("x.txt", c.bytes);
    HWND dialog = open();
    addFiles(dialog, {path("x.txt")});
    settings(dialog, c.byLines, c.count, c.keep, path("out"));
    run(dialog);
    EXPECT_EQ(parts("x"), c.expected);
    click(dialog, IDCANCEL);
  }
}

TEST_F(FileSplit, WorkbookRowsBecomeAnsiParts) {
  workbook("w.xlsx", {{u"名称"}, {u"甲"}, {u"乙"}, {u"丙"}});
  HWND dialog = open();
  addFiles(dialog, {path("w.xlsx")});
  settings(dialog, false, 2, 1, path("out"));
  run(dialog);
  const std::string head = wideToAnsi(u"名称\n");
  EXPECT_EQ(parts("w"), (std::vector<std::string>{head + wideToAnsi(u"甲\n乙\n"), head + wideToAnsi(u"丙\n")}));
  click(dialog, IDCANCEL);
}

TEST_F(FileSplit, MakesMissingFoldersAndOverwritesParts) {
  write("x.csv", "h\n1\n2\n");
  std::filesystem::create_directories(dir.native("deep"));
  write("deep/x_1.csv", "old part, longer than the new one\n");
  HWND dialog = open();
  addFiles(dialog, {path("x.csv")});
  EXPECT_EQ(text(dialog, 1005), dir.path("").substr(0, dir.path("").size() - 1));  // the input's folder
  settings(dialog, true, 1, 1, path("deep/er/still"));
  run(dialog);
  EXPECT_EQ(read("deep/er/still/x_1.csv"), "h\n1\n");
  EXPECT_EQ(read("deep/er/still/x_2.csv"), "h\n2\n");
  settings(dialog, true, 5, 1, path("deep"));
  run(dialog);
  EXPECT_EQ(read("deep/x_1.csv"), "h\n1\n2\n");
  click(dialog, IDCANCEL);
}

TEST_F(FileSplit, RefusesBadSettingsAndWritesNothing) {
  write("x.csv", "h\n1\n");
  write("x.txt", "h\n2\n");
  std::filesystem::create_directories(dir.native("out"));
  write("out/y.csv", "h\n1\n2\n3\n");
  write("out/y_2.csv", "keep me\n");
  write("out/y_4.csv", "out of reach\n");
  HWND dialog = open();
  answers.answer(u"MessageBoxW", IDOK);
  click(dialog, IDABORT);  // no inputs
  addFiles(dialog, {path("x.csv")});
  for (int id : {1003, 1004, 1007}) {
    settings(dialog, id == 1003, id == 1007 ? 1 : 0, id == 1007 ? -1 : 1, path("out"));
    if (id == 1007) {
      click(dialog, 1000);  // checked again
      type(dialog, 1007, u"-2");
    }
    answers.answer(u"MessageBoxW", IDOK);
    click(dialog, IDABORT);
    if (id != 1007) {
      EXPECT_EQ(GetFocus(), GetDlgItem(dialog, id));
    }
  }
  settings(dialog, false, 3, 1, u"");
  answers.answer(u"MessageBoxW", IDOK);
  click(dialog, IDABORT);
  // x.csv and x.txt write the same parts.
  addFiles(dialog, {path("x.txt")});
  settings(dialog, false, 3, 1, path("out"));
  answers.answer(u"MessageBoxW", IDOK);
  click(dialog, IDABORT);
  click(dialog, IDCANCEL);
  // A part of y (3 parts of one line) would overwrite the input y_2.csv; y_4.csv is safe.
  dialog = open();
  addFiles(dialog, {path("out/y.csv"), path("out/y_4.csv"), path("out/y_2.csv")});
  settings(dialog, false, 3, 1, path("out"));
  answers.answer(u"MessageBoxW", IDOK);
  click(dialog, IDABORT);
  const std::u16string clash = u"分割后的文件会覆盖要分割的文件或其他文件的分割文件：";
  const std::vector<std::u16string> expected = {u"要合并的文件不能为空，请添加合并文件！",
                                                u"分割行数必须大于0！",
                                                u"分割份数必须大于0！",
                                                u"保留标题行数量不能小于0！",
                                                u"文件保存路径不能为空！",
                                                clash + path("out") + u"/x_1.csv",
                                                clash + path("out/y_2.csv")};
  EXPECT_EQ(messages(), expected);
  for (const auto& record : answers.calls())
    if (record.call.kind == u"MessageBoxW") {
      EXPECT_EQ(record.call.args[1], u"多文件分割");
    }
  EXPECT_FALSE(exists("out/x_1.csv"));
  EXPECT_EQ(read("out/y_2.csv"), "keep me\n");
  EXPECT_FALSE(exists("out/y_1.csv"));
  click(dialog, IDCANCEL);
}

// A part that is an input under another name (a symbolic or a hard link in the output
// folder) is refused as the input's own name is; the input keeps its bytes.
TEST_F(FileSplit, APartLinkedToAnInputIsRefused) {
  std::filesystem::create_directories(dir.native("in"));
  std::filesystem::create_directories(dir.native("out"));
  write("in/y.csv", "h\n1\n2\n3\n");
  std::filesystem::create_hard_link(dir.native("in/y.csv"), dir.native("out/y_1.csv"));
  std::filesystem::create_symlink(dir.native("in/y.csv"), dir.native("out/y_2.csv"));
  for (const char* part : {"out/y_1.csv", "out/y_2.csv"}) {
    HWND dialog = open();
    addFiles(dialog, {path("in/y.csv")});
    settings(dialog, false, 3, 1, path("out"));
    answers.answer(u"MessageBoxW", IDOK);
    click(dialog, IDABORT);
    ASSERT_FALSE(messages().empty()) << "no refusal";
    EXPECT_EQ(messages().back(), u"分割后的文件会覆盖要分割的文件或其他文件的分割文件：" + path("in/y.csv"))
        << part;
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDABORT))) << "no run started";
    testdriver::pumpUntilIdle();
    EXPECT_EQ(read("in/y.csv"), "h\n1\n2\n3\n");
    click(dialog, IDCANCEL);
    std::filesystem::remove(dir.native(part));  // the other link alone next
  }
}

// A part that runs out of room fails with the write label and leaves an old part of
// that name as it was, with no part of the new one beside it.
TEST_F(FileSplit, AFailedWriteLeavesAnOldPartWhole) {
  std::string lines = "h\n";
  while (lines.size() < (600u << 10)) lines += "a line of the input to split\n";
  write("x.csv", lines);
  for (testsupport::SmallDisk::Kind kind : testsupport::SmallDisk::kinds()) {
    SCOPED_TRACE(testsupport::SmallDisk::name(kind));
    testsupport::SmallDisk disk(kind, 256 << 10);
    testsupport::writeBytes(disk.native("x_1.csv"), "the old part\n");
    HWND dialog = open();
    addFiles(dialog, {path("x.csv")});
    settings(dialog, false, 1, 1, disk.folder());
    {
      testsupport::SmallDisk::Full full(disk);
      run(dialog);
    }
    EXPECT_EQ(text(dialog, 1096), u"写入文件出错：" + disk.folder());
    EXPECT_EQ(testsupport::readBytes(disk.native("x_1.csv")), "the old part\n");
    EXPECT_EQ(disk.names(), std::vector<std::string>{"x_1.csv"});
    click(dialog, IDCANCEL);
  }
}

TEST_F(FileSplit, MissingInputOrUnwritableFolderReportsInTheLabels) {
  write("a.csv", "h\n1\n");
  write("c.csv", "h\n3\n");
  write("file", "x");
  HWND dialog = open();
  addFiles(dialog, {path("a.csv"), path("gone.csv"), path("c.csv")});
  settings(dialog, false, 2, 1, path("out"));
  run(dialog);
  EXPECT_EQ(text(dialog, 1096), u"打开文件出错：" + path("gone.csv"));
  EXPECT_EQ(parts("a"), std::vector<std::string>{});
  click(dialog, IDCANCEL);
  dialog = open();
  addFiles(dialog, {path("a.csv")});
  settings(dialog, false, 2, 1, path("file/sub"));
  run(dialog);
  EXPECT_EQ(text(dialog, 1096), u"写入文件出错：" + path("file/sub"));
  click(dialog, IDCANCEL);
}

TEST_F(FileSplit, ListShowsInputsSortedButSplitsInOrderAdded) {
  write("b.csv", "h\n1\n");
  write("a.csv", "h\n2\n");
  HWND dialog = open();
  addFiles(dialog, {path("b.csv"), path("a.csv")});
  EXPECT_EQ(listed(dialog), (std::vector<std::u16string>{path("a.csv"), path("b.csv")}));
  settings(dialog, false, 1, 1, path("out"));
  run(dialog);
  EXPECT_EQ(text(dialog, 1096), u"正在处理：" + path("a.csv"));  // the last one added
  EXPECT_EQ(text(dialog, 1097), u"处理进度：100.00%");
  EXPECT_GT(saveAndProbe(dialog, "file_split.png", 1095), 20);
  // The folder chooser of button 1006 sets the output folder and makes it.
  answers.answer(u"SHBrowseForFolderW", 1, {path("chosen/sub")});
  click(dialog, 1006);
  EXPECT_EQ(text(dialog, 1005), path("chosen/sub"));
  EXPECT_TRUE(isDirectory(path("chosen/sub")));
  click(dialog, IDCANCEL);
}

}  // namespace
