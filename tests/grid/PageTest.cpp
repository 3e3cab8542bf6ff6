// Paged open: dialog 149 with its row counter, and the write-back of a page.
#include <chrono>
#include <string>
#include <thread>

#include "platform/testdriver/AnswerScript.h"
#include "resources/GridIds.h"
#include "store/QuoteDetect.h"
#include "tests/grid/GridFixture.h"
#include "tests/support/Scratch.h"

class PageTest : public GridTest {
 protected:
  std::u16string field(HWND dialog, int id) {
    char16_t buffer[256] = {};
    GetDlgItemTextW(dialog, id, buffer, 256);
    return buffer;
  }
  void click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
  // Pumps until the page's count has finished (its thread joined by the dialog).
  bool waitCounted(OpenPage& page) {
    for (int i = 0; i < 2000 && !page.counted; ++i) {
      testdriver::pumpUntilIdle();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return page.counted;
  }
  // h1,h2 then r1,a .. rN,a, LF-ended.
  static std::string lines(int n, int changed = 0, const std::string& value = "a") {
    std::string s = "h1,h2\n";
    for (int i = 1; i <= n; ++i) s += "r" + std::to_string(i) + "," + (i == changed ? value : "a") + "\n";
    return s;
  }
};

TEST_F(PageTest, DialogCountsRowsAndPagesThroughThem) {
  testsupport::ScratchDir dir;
  testsupport::writeBytes(dir.native("big.csv"), lines(24999));
  OpenPage page;
  page.path = dir.path("big.csv");
  HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(149), grid->mHwnd, pageDialogProc,
                                   reinterpret_cast<LPARAM>(&page));
  ASSERT_NE(dialog, nullptr);
  // A message of an older count is dropped.
  SendMessageW(dialog, WM_PAGE_COUNTED, page.generation - 1, 7);
  EXPECT_FALSE(page.counted);
  ASSERT_TRUE(waitCounted(page));
  EXPECT_EQ(page.totalRows, 25000);
  EXPECT_EQ(field(dialog, 1007), u"25000");
  SendMessageW(dialog, WM_PAGE_COUNTING, page.generation - 1, 3);
  EXPECT_EQ(field(dialog, 1007), u"25000");

  testdriver::AnswerScript answers;
  struct Case {
    const char* name;
    const char16_t* start;
    const char16_t* rows;
    int button;
    const char16_t* after;
  } cases[] = {
      {"previous from 300000 by 500000", u"300000", u"500000", 1032, u"1"},
      {"previous from 1000000 by 500000", u"1000000", u"500000", 1032, u"500000"},
      {"next within the count", u"1", u"10000", 1033, u"10001"},
      {"next past the count", u"20001", u"10000", 1033, u"20001"},
  };
  for (const auto& c : cases) {
    SetDlgItemTextW(dialog, 1004, c.start);
    SetDlgItemTextW(dialog, 1005, c.rows);
    click(dialog, c.button);
    EXPECT_EQ(field(dialog, 1004), c.after) << c.name;
  }
  ASSERT_EQ(answers.calls().size(), 1u);
  EXPECT_EQ(answers.calls()[0].call.args.at(0), u"没有下一页了");

  // Fields beyond 32 bits are refused, not wrapped.
  SetDlgItemTextW(dialog, 1004, u"5000000000");
  click(dialog, 1030);
  ASSERT_EQ(answers.calls().size(), 2u);
  EXPECT_TRUE(IsWindow(dialog));
  // A start beyond the finished count becomes 1; no rows means 5,000,000.
  SetDlgItemTextW(dialog, 1004, u"99999");
  SetDlgItemTextW(dialog, 1005, u"");
  click(dialog, 1030);
  EXPECT_EQ(page.startRow, 1);
  EXPECT_EQ(page.pageRows, 5000000);
  DestroyWindow(dialog);
}

TEST_F(PageTest, APageIsWrittenBackTwiceAndRefusedWhenTheFileChanged) {
  testsupport::ScratchDir dir;
  const std::string path = dir.native("p.csv");
  testsupport::writeBytes(path, lines(10));
  testdriver::AnswerScript answers;
  answers.answer(u"DialogBoxParamW", 1030, {u"1003=" + dir.path("p.csv"), u"1004=3", u"1005=4", u"1000:1"});
  grid->openPage();
  ASSERT_EQ(grid->mPage.path, dir.path("p.csv"));
  ASSERT_EQ(core().mRowCount, 6u);
  EXPECT_EQ(core().getText(1, 1), u"h1");
  // Records count from the file's first line: record 3 is r2.
  EXPECT_EQ(core().getText(2, 1), u"r2");
  EXPECT_EQ(core().getText(5, 1), u"r5");
  testdriver::pumpUntilIdle();
  EXPECT_EQ(mainTitle(), dir.path("p.csv") + u"[3/4] - Morvel");

  core().setText(2, 2, u"LONGER");
  ASSERT_TRUE(grid->save());
  EXPECT_EQ(testsupport::readBytes(path), lines(10, 2, "LONGER"));
  core().setText(2, 2, u"s");
  core().setText(3, 2, u"x");
  ASSERT_TRUE(grid->save());
  std::string expected = lines(10, 2, "s");
  expected.replace(expected.find("r3,a"), 4, "r3,x");
  EXPECT_EQ(testsupport::readBytes(path), expected);

  // Another writer changed the file: the write-back is refused, the file untouched.
  testsupport::writeBytes(path, expected + "r11,a\n");
  answers.answer(u"MessageBoxW", IDOK);
  core().setText(2, 2, u"lost");
  EXPECT_FALSE(grid->save());
  EXPECT_EQ(testsupport::readBytes(path), expected + "r11,a\n");
  EXPECT_EQ(answers.calls().back().call.args.at(0).rfind(u"保存文件失败：" + dir.path("p.csv"), 0), 0u);

  // Save As onto the page's own file is refused. A script's save-as to another file
  // writes a copy: the document stays the page of its file. The Save As dialog's ends the
  // page: the document is the new file.
  answers.answer(u"MessageBoxW", IDOK);
  EXPECT_FALSE(grid->saveAs(dir.path("p.csv")));
  EXPECT_EQ(testsupport::readBytes(path), expected + "r11,a\n");
  ASSERT_TRUE(grid->saveAs(dir.path("page.csv")));
  EXPECT_EQ(grid->mPage.path, dir.path("p.csv"));
  EXPECT_EQ(grid->mPath, dir.path("p.csv"));
  answers.answer(u"GetSaveFileNameW", 1, {dir.path("page2.csv")});
  grid->saveAsDialog();
  EXPECT_TRUE(grid->mPage.path.empty());
  EXPECT_EQ(grid->mPath, dir.path("page2.csv"));
  EXPECT_EQ(testsupport::readBytes(dir.native("page2.csv")), testsupport::readBytes(dir.native("page.csv")));
}

// The "..." of dialog 149 chooses among the text files a page is read from.
TEST_F(PageTest, TheBrowseButtonOffersTheTextFiles) {
  OpenPage page;
  HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(149), grid->mHwnd, pageDialogProc,
                                   reinterpret_cast<LPARAM>(&page));
  ASSERT_NE(dialog, nullptr);
  testdriver::AnswerScript answers;
  answers.answer(u"GetOpenFileNameW", 0);
  click(dialog, 1031);
  ASSERT_EQ(answers.calls().size(), 1u);
  const platform::BlockingCall& call = answers.calls()[0].call;
  EXPECT_EQ(call.args.at(0), u"请选择一个文件");
  EXPECT_EQ(call.args.at(1), u"Morvel支持文件(.csv;.txt;)|*.csv;*.txt;|所有文件|*.*");
  DestroyWindow(dialog);
}

// The count leaves the file's record index on the page state; the document's page
// reads go through it (a planted mark shows it), and a write-back of an earlier page
// moves its mark so that later pages stay right.
TEST_F(PageTest, TheCountsRecordIndexServesPageReadsAndSurvivesAWriteBack) {
  testsupport::ScratchDir dir;
  const std::string text = lines(70000);
  testsupport::writeBytes(dir.native("big.csv"), text);
  const auto offsetOf = [&](const std::string& text, int line) {
    return static_cast<uint64_t>(text.find("\nr" + std::to_string(line) + ",") + 1);
  };
  OpenPage page;
  page.path = dir.path("big.csv");
  HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(149), grid->mHwnd, pageDialogProc,
                                   reinterpret_cast<LPARAM>(&page));
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(waitCounted(page));
  DestroyWindow(dialog);
  ASSERT_EQ(page.index.marks.size(), 1u);
  EXPECT_EQ(page.index.marks[0].record, 65537u);
  EXPECT_EQ(page.index.marks[0].offset, offsetOf(text, 65536)) << "record 65537 is r65536";
  grid->mPage = page;

  testdriver::AnswerScript answers;
  const auto openAt = [&](const char16_t* start) {
    answers.answer(u"DialogBoxParamW", 1030,
                   {u"1003=" + dir.path("big.csv"), std::u16string(u"1004=") + start, u"1005=3", u"1000:1"});
    grid->openPage();
  };
  openAt(u"69000");
  ASSERT_EQ(core().mRowCount, 5u);
  EXPECT_EQ(core().getText(2, 1), u"r68999");
  EXPECT_EQ(grid->mPage.page.start, offsetOf(text, 68999));

  // A mark that claims record 65537 ten records later moves the page by ten.
  grid->mPage.index.marks[0].offset = offsetOf(text, 65546);
  openAt(u"69000");
  EXPECT_EQ(core().getText(2, 1), u"r69009");
  grid->mPage.index.marks[0].offset = offsetOf(text, 65536);

  // A longer row written back before the mark: the mark follows its record.
  openAt(u"101");
  EXPECT_EQ(core().getText(2, 1), u"r100");
  core().setText(2, 2, u"a longer value");
  ASSERT_TRUE(grid->save());
  const std::string written = testsupport::readBytes(dir.native("big.csv"));
  ASSERT_EQ(grid->mPage.index.marks.size(), 1u);
  EXPECT_EQ(grid->mPage.index.marks[0].offset, offsetOf(written, 65536));
  openAt(u"69000");
  EXPECT_EQ(core().getText(2, 1), u"r68999");
  EXPECT_EQ(grid->mPage.page.start, offsetOf(written, 68999));
  EXPECT_TRUE(grid->mPage.index.fits(dir.path("big.csv"), ',', gQuoteDetect, grid->mPage.page.encoding));
}

TEST_F(PageTest, FailedPagedOpenLeavesAnUntitledTable) {
  testdriver::AnswerScript answers;
  answers.answer(u"DialogBoxParamW", 1030, {u"1003=/nonexistent/huge.csv", u"1004=1", u"1005=10"});
  answers.answer(u"MessageBoxW", IDOK);
  grid->openPage();
  EXPECT_TRUE(grid->mPath.empty());
  EXPECT_TRUE(grid->mPage.path.empty());
  EXPECT_EQ(core().mRowCount, 300u);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(mainTitle(), u"New - Morvel");
}

TEST_F(PageTest, SplitWritesPartsAndRefusesCountsBelowOne) {
  testsupport::ScratchDir dir;
  sheet(12, 2);
  core().setText(1, 1, u"head");
  for (int r = 2; r < 12; ++r) core().setInt64(r, 1, r);
  grid->splitFile(dir.path("x.csv"), true, false, 3);
  EXPECT_EQ(testsupport::readBytes(dir.native("x0.csv")), "head\n2\n3\n4\n5\n");
  EXPECT_EQ(testsupport::readBytes(dir.native("x2.csv")), "head\n10\n11\n");
  // One part holding every data row (zero parts by rows) still writes its file.
  grid->splitFile(dir.path("y.txt"), false, true, 100);
  EXPECT_EQ(testsupport::readBytes(dir.native("y0.txt")).substr(0, 2), "2\n");
  testdriver::AnswerScript answers;
  answers.answer(u"MessageBoxW", IDOK);
  answers.answer(u"MessageBoxW", IDOK);
  grid->splitFile(dir.path("z.csv"), true, true, 0);
  grid->splitFile(dir.path("z.csv"), true, false, -3);
  ASSERT_EQ(answers.calls().size(), 2u);
  EXPECT_EQ(answers.calls()[0].call.args.at(0), u"分割行数必须大于0！");
  EXPECT_EQ(answers.calls()[1].call.args.at(0), u"分割份数必须大于0！");
  EXPECT_FALSE(std::filesystem::exists(dir.native("z0.csv")));
}
