// The file merge dialog end to end: inputs added through the choosers, settings typed,
// the run started with button 3 and the merged file compared byte for byte.
#include <filesystem>
#include <fstream>

#include "platform/CodePage.h"
#include "tests/app/FileToolFixture.h"
#include "tests/support/Fifo.h"
#include "tests/support/SmallDisk.h"

namespace {

struct MergeCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> inputs;  // file name, bytes
  bool dropHeader;
  std::string expected;
};

const std::string kBom = "\xEF\xBB\xBF";

class FileMerge : public FileToolTest {
 protected:
  HWND open() {
    HWND dialog = openFileMergeDialog(host);
    EXPECT_NE(dialog, nullptr);
    testdriver::pumpUntilIdle();
    return dialog;
  }
  // Runs one merge of `inputs` into out.csv; returns the merged bytes.
  std::string merge(const std::vector<std::u16string>& inputs, bool dropHeader,
                    const std::u16string& lines = u"1") {
    HWND dialog = open();
    addFiles(dialog, inputs);
    type(dialog, 1005, path("out.csv"));
    type(dialog, 1007, lines);
    if (!dropHeader) click(dialog, 1000);
    click(dialog, IDABORT);
    EXPECT_TRUE(waitEnded(dialog));
    click(dialog, IDCANCEL);
    EXPECT_FALSE(IsWindow(dialog));
    return read("out.csv");
  }
};

TEST_F(FileMerge, JoinsInputsByteForByte) {
  const std::string gbkText = wideToAnsi(u"标题\n中文\n");
  const std::string utf16 = std::string(
      "\xFF\xFEh\0\n\0"
      "1\0\n\0",
      10);
  const std::vector<MergeCase> cases = {
      {"header dropped", {{"a.csv", "h\n1\n2\n"}, {"b.csv", "h\n3\n"}}, true, "h\n1\n2\n3\n"},
      {"header kept", {{"a.csv", "h\n1\n2\n"}, {"b.csv", "h\n3\n"}}, false, "h\n1\n2\nh\n3\n"},
      {"CR LF, last line without LF continues",
       {{"a.csv", "h\r\n1\r\n"}, {"b.txt", "h\r\n2"}, {"c.csv", "h\r\n3\r\n"}},
       true,
       "h\r\n1\r\n23\r\n"},
      {"second byte order mark dropped with its line",
       {{"a.csv", kBom + "h\n1\n"}, {"b.csv", kBom + "h\n2\n"}},
       true,
       kBom + "h\n1\n2\n"},
      {"second byte order mark kept",
       {{"a.csv", kBom + "h\n1\n"}, {"b.csv", kBom + "h\n2\n"}},
       false,
       kBom + "h\n1\n" + kBom + "h\n2\n"},
      {"GBK then UTF-16LE, LF byte ends the dropped line",
       {{"a.csv", gbkText}, {"b.csv", utf16}},
       true,
       gbkText + std::string("\0"
                             "1\0\n\0",
                             5)},
      {"document files add nothing",
       {{"a.csv", "h\n1\n"}, {"d.mvt", "MVT bytes"}, {"b.csv", "h\n2\n"}},
       true,
       "h\n1\n2\n"},
      {"empty input", {{"a.csv", "h\n1\n"}, {"e.csv", ""}, {"b.csv", "h\n2\n"}}, true, "h\n1\n2\n"},
  };
  for (const MergeCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::u16string> inputs;
    for (const auto& [name, bytes] : c.inputs) {
      write(name, bytes);
      inputs.push_back(path(name));
    }
    EXPECT_EQ(merge(inputs, c.dropHeader), c.expected);
  }
}

TEST_F(FileMerge, WorkbookRowsArriveAsAnsiLines) {
  workbook("w.xlsx", {{u"名称", u"值"}, {u"甲", u"1,5"}, {u"乙", u"2"}});
  write("a.csv", "h\n1\n");
  // Not first: its first row is dropped; first: every row.
  EXPECT_EQ(merge({path("a.csv"), path("w.xlsx")}, true), "h\n1\n" + wideToAnsi(u"甲,\"1,5\"\n乙,2\n"));
  EXPECT_EQ(merge({path("w.xlsx"), path("a.csv")}, true), wideToAnsi(u"名称,值\n甲,\"1,5\"\n乙,2\n") + "1\n");
}

TEST_F(FileMerge, DefaultOutputPathTakesTheFileNamesExtension) {
  std::filesystem::create_directories(dir.native("x.d"));
  write("x.d/sales.csv", "1\n");
  write("x.d/plain", "1\n");
  struct Case {
    std::string input, expected;
  } cases[] = {{"x.d/sales.csv", "x.d/sales(combine).csv"}, {"x.d/plain", "x.d/plain(combine)"}};
  for (const Case& c : cases) {
    HWND dialog = open();
    addFiles(dialog, {path(c.input)});
    EXPECT_EQ(text(dialog, 1005), path(c.expected));
    EXPECT_EQ(mergeOutputPath(dialog), path(c.expected));
    click(dialog, IDCANCEL);
  }
}

TEST_F(FileMerge, FolderCollectsDataFilesDepthFirst) {
  std::filesystem::create_directories(dir.native("in/b/c"));
  write("in/a.CSV", "a\n");
  write("in/b/c/d.Xlsx", "");
  write("in/b/e.txt", "e\n");
  write("in/b/f.mvt", "");
  write("in/g.xls", "");
  write("in/h", "");
  write("in/名字 #1.csv", "n\n");
  HWND dialog = open();
  addFolder(dialog, path("in"));
  const std::vector<std::u16string> expected = {path("in/a.CSV"), path("in/b/c/d.Xlsx"), path("in/b/e.txt"),
                                                path("in/g.xls"), path("in/名字 #1.csv")};
  EXPECT_EQ(listed(dialog), expected);
  EXPECT_EQ(text(dialog, 1005), path("in/a(combine).CSV"));
  click(dialog, IDCANCEL);
}

// A link to a folder is not walked (one to its own folder would collect every file
// again at each level); a link to a file is collected like the file.
TEST_F(FileMerge, FolderWalkSkipsLinksToFolders) {
  std::filesystem::create_directories(dir.native("in/sub"));
  write("in/a.csv", "a\n");
  write("in/sub/b.txt", "b\n");
  std::filesystem::create_directory_symlink(dir.native("in"), dir.native("in/sub/up"));
  std::filesystem::create_symlink(dir.native("in/a.csv"), dir.native("in/to-a.csv"));
  HWND dialog = open();
  addFolder(dialog, path("in"));
  const std::vector<std::u16string> expected = {path("in/a.csv"), path("in/sub/b.txt"), path("in/to-a.csv")};
  EXPECT_EQ(listed(dialog), expected);
  click(dialog, IDCANCEL);
}

// An output that is an input under another name (a symbolic or a hard link) is refused
// as the input itself is, and the input keeps its bytes.
TEST_F(FileMerge, AnOutputLinkedToAnInputIsRefused) {
  write("a.csv", "h\n1\n");
  write("b.csv", "h\n2\n");
  std::filesystem::create_symlink(dir.native("b.csv"), dir.native("soft.csv"));
  std::filesystem::create_hard_link(dir.native("b.csv"), dir.native("hard.csv"));
  for (const char* output : {"soft.csv", "hard.csv"}) {
    HWND dialog = open();
    addFiles(dialog, {path("a.csv"), path("b.csv")});
    type(dialog, 1005, path(output));
    answers.answer(u"MessageBoxW", IDOK);
    click(dialog, IDABORT);
    ASSERT_FALSE(messages().empty()) << "no refusal";
    EXPECT_EQ(messages().back(), u"文件保存全路径不能是要合并的文件：" + path("b.csv")) << output;
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDABORT))) << "no run started";
    testdriver::pumpUntilIdle();
    EXPECT_EQ(read("b.csv"), "h\n2\n") << output;
    click(dialog, IDCANCEL);
  }
}

// A merge that runs out of room fails with the write label and leaves the old output
// as it was, with no part of the new one beside it.
TEST_F(FileMerge, AFailedWriteLeavesTheOldOutputWhole) {
  std::string lines;
  while (lines.size() < (600u << 10)) lines += "a line of the input to merge\n";
  write("a.csv", lines);
  for (testsupport::SmallDisk::Kind kind : testsupport::SmallDisk::kinds()) {
    SCOPED_TRACE(testsupport::SmallDisk::name(kind));
    testsupport::SmallDisk disk(kind, 256 << 10);
    testsupport::writeBytes(disk.native("out.csv"), "the old output\n");
    HWND dialog = open();
    addFiles(dialog, {path("a.csv")});
    type(dialog, 1005, disk.path("out.csv"));
    {
      testsupport::SmallDisk::Full full(disk);
      click(dialog, IDABORT);
      ASSERT_TRUE(waitEnded(dialog));
    }
    EXPECT_EQ(text(dialog, 1096), u"写入文件出错：" + disk.path("out.csv"));
    EXPECT_EQ(testsupport::readBytes(disk.native("out.csv")), "the old output\n");
    EXPECT_EQ(disk.names(), std::vector<std::string>{"out.csv"});
    click(dialog, IDCANCEL);
  }
}

TEST_F(FileMerge, RefusesBadSettingsAndWritesNothing) {
  write("a.csv", "h\n1\n");
  write("b.csv", "h\n2\n");
  HWND dialog = open();
  answers.answer(u"MessageBoxW", IDOK);
  click(dialog, IDABORT);  // no inputs
  addFiles(dialog, {path("a.csv"), path("b.csv")});
  answers.answer(u"MessageBoxW", IDOK);
  type(dialog, 1007, u"-1");
  click(dialog, IDABORT);
  type(dialog, 1007, u"1");
  type(dialog, 1005, u"");
  answers.answer(u"MessageBoxW", IDOK);
  click(dialog, IDABORT);
  // The output is the second input, reached through "." and "..".
  type(dialog, 1005, path("x/../.") + u"/b.csv");
  answers.answer(u"MessageBoxW", IDOK);
  click(dialog, IDABORT);
  const std::vector<std::u16string> expected = {u"要合并的文件不能为空，请添加合并文件！",
                                                u"去掉其他文件标题行数量不能小于0！", u"文件保存全路径不能为空！",
                                                u"文件保存全路径不能是要合并的文件：" + path("b.csv")};
  EXPECT_EQ(messages(), expected);
  for (const auto& record : answers.calls())
    if (record.call.kind == u"MessageBoxW") {
      EXPECT_EQ(record.call.args[1], u"多文件合并");
    }
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDABORT)));
  EXPECT_EQ(read("b.csv"), "h\n2\n");
  click(dialog, IDCANCEL);
}

TEST_F(FileMerge, MissingInputOrUnwritableOutputReportsInTheLabels) {
  write("a.csv", "h\n1\n");
  write("c.csv", "h\n3\n");
  write("file", "x");
  {  // the second of three is missing: nothing is written
    HWND dialog = open();
    addFiles(dialog, {path("a.csv"), path("gone.csv"), path("c.csv")});
    type(dialog, 1005, path("out.csv"));
    click(dialog, IDABORT);
    ASSERT_TRUE(waitEnded(dialog));
    EXPECT_EQ(text(dialog, 1096), u"打开文件出错：" + path("gone.csv"));
    EXPECT_FALSE(exists("out.csv"));
    click(dialog, IDCANCEL);
  }
  {  // an output below a regular file cannot be opened, even by root
    HWND dialog = open();
    addFiles(dialog, {path("a.csv")});
    type(dialog, 1005, path("file/out.csv"));
    click(dialog, IDABORT);
    ASSERT_TRUE(waitEnded(dialog));
    EXPECT_EQ(text(dialog, 1096), u"打开合并文件出错：" + path("file/out.csv"));
    EXPECT_EQ(text(dialog, 1097), u"处理进度：100%");
    click(dialog, IDCANCEL);
  }
}

// A named pipe among the inputs is refused like a missing file, before anything is
// opened: its open would wait for a writer and hold the worker for ever.
TEST_F(FileMerge, NamedPipeInputIsRefusedWithoutWaiting) {
  write("a.csv", "h\n1\n");
  ASSERT_TRUE(testsupport::makeFifo(dir.native("pipe.csv")));
  HWND dialog = open();
  addFiles(dialog, {path("a.csv"), path("pipe.csv")});
  type(dialog, 1005, path("out.csv"));
  bool ended = false;
  EXPECT_TRUE(testsupport::returnsWithoutAWriter(dir.native("pipe.csv"), [&] {
    click(dialog, IDABORT);
    ended = waitEnded(dialog);
  }));
  ASSERT_TRUE(ended);
  EXPECT_EQ(text(dialog, 1096), u"打开文件出错：" + path("pipe.csv"));
  EXPECT_FALSE(exists("out.csv"));
  click(dialog, IDCANCEL);
}

TEST_F(FileMerge, ProgressLabelsAfterARun) {
  write("a.csv", "h\n1\n");
  write("e.csv", "");
  HWND dialog = open();
  addFiles(dialog, {path("a.csv"), path("e.csv")});
  type(dialog, 1005, path("out.csv"));
  click(dialog, IDABORT);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDABORT)));
  ASSERT_TRUE(waitEnded(dialog));
  EXPECT_EQ(text(dialog, 1096), u"正在处理：" + path("e.csv"));
  EXPECT_EQ(text(dialog, 1097), u"处理进度：100.00%");  // an empty last input, no division by zero
  EXPECT_GT(saveAndProbe(dialog, "file_merge.png", 1095), 20);
  EXPECT_GT(saveAndProbe(dialog, "file_merge.png", 1097), 20);
  // Button 3 runs it again.
  click(dialog, IDABORT);
  ASSERT_TRUE(waitEnded(dialog));
  EXPECT_EQ(read("out.csv"), "h\n1\n");
  click(dialog, IDCANCEL);
}

TEST_F(FileMerge, SaveDialogSetsTheOutputAndALongPresetIsRefused) {
  write("a.csv", "1\n");
  HWND dialog = open();
  addFiles(dialog, {path("a.csv")});
  answers.answer(u"GetSaveFileNameW", 1, {path("chosen.csv")});
  click(dialog, 1006);
  EXPECT_EQ(text(dialog, 1005), path("chosen.csv"));
  ASSERT_EQ(answers.calls().back().call.kind, u"GetSaveFileNameW");
  EXPECT_EQ(answers.calls().back().call.args[2], path("a(combine).csv")) << "preset with the default";
  // A path longer than the chooser's buffer is refused, not cut.
  type(dialog, 1005, u"/tmp/" + std::u16string(300, u'x') + u".csv");
  answers.answer(u"MessageBoxW", IDOK);
  click(dialog, 1006);
  EXPECT_EQ(messages(), std::vector<std::u16string>{u"文件保存全路径太长，不能超过254个字符！"});
  EXPECT_EQ(answers.pending(u"GetSaveFileNameW"), 0u);
  click(dialog, IDCANCEL);
}

}  // namespace
