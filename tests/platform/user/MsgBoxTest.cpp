// Message boxes: button sets and their results, answered by the driver or by
// keys, the owner disabled meanwhile, and the box drawn as a dialog.
#include "platform/png/Png.h"
#include "tests/platform/user/UiFixture.h"

using namespace uitest;

namespace {

class MsgBoxTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    main = make("main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 800, 600);
    grid = make("grid", WS_CHILD | WS_VISIBLE, 0, 0, 400, 400, main);
    other = make("other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200);
    SetFocus(grid);
    testdriver::pumpUntilIdle();
  }
  HWND main = nullptr, grid = nullptr, other = nullptr;
};

TEST_F(MsgBoxTest, AnswersGiveTheButtonsIdsAndAreRecorded) {
  struct Case {
    const char* what;
    UINT type;
    std::optional<LONG_PTR> answer;
    int result;
  } cases[] = {
      {"OK", MB_OK, IDOK, IDOK},
      {"Yes of three", MB_YESNOCANCEL, IDYES, IDYES},
      {"No of three", MB_YESNOCANCEL, IDNO, IDNO},
      {"Cancel of three", MB_YESNOCANCEL, IDCANCEL, IDCANCEL},
      {"OK/Cancel unanswered: Cancel", MB_OKCANCEL, std::nullopt, IDCANCEL},
      {"OK unanswered: OK", MB_OK | MB_ICONWARNING, std::nullopt, IDOK},
      {"Yes/No has no Cancel: 0", MB_YESNO, IDCANCEL, 0},
      {"a button the box lacks", MB_OK, IDYES, IDOK},
      {"Retry", MB_RETRYCANCEL, IDRETRY, IDRETRY},
  };
  for (const Case& c : cases) {
    testdriver::AnswerScript script;
    if (c.answer) script.answer(u"MessageBoxW", *c.answer);
    EXPECT_EQ(MessageBoxW(grid, u"文件已经改变，是否要保存?", u"文件保存", c.type), c.result) << c.what;
    ASSERT_EQ(script.calls().size(), 1u) << c.what;
    const auto& call = script.calls()[0].call;
    EXPECT_EQ(call.owner, grid) << c.what;
    ASSERT_EQ(call.args.size(), 3u);
    EXPECT_EQ(call.args[0], u"文件已经改变，是否要保存?");
    EXPECT_EQ(call.args[1], u"文件保存");
    EXPECT_TRUE(IsWindowEnabled(main)) << c.what;
  }
  testdriver::AnswerScript script;
  script.answer(u"MessageBoxW", IDOK);
  MessageBoxW(nullptr, u"", nullptr, MB_YESNOCANCEL | MB_OK);  // MB_OK is 0: still three buttons
  EXPECT_EQ(script.calls()[0].call.args[1], u"错误");          // no caption given
  EXPECT_EQ(script.calls()[0].call.args[2], u"MB_YESNOCANCEL");
}

TEST_F(MsgBoxTest, TheOwnersWindowIsDisabledWhileTheBoxWaits) {
  struct Seen {
    bool mainEnabled, otherEnabled;
    HWND active, owner;
    std::u16string yes;
  };
  std::vector<Seen> seen;
  auto previous = platform::setBlockingHook([&](const platform::BlockingCall&) {
    HWND box = GetActiveWindow();
    WCHAR yes[16] = {};
    GetDlgItemTextW(box, IDYES, yes, 16);
    seen.push_back({IsWindowEnabled(main) != FALSE, IsWindowEnabled(other) != FALSE, box, GetParent(box), yes});
    return std::optional<platform::BlockingAnswer>(platform::BlockingAnswer{IDNO, {}});
  });
  EXPECT_EQ(MessageBoxW(grid, u"文件已经改变，是否要保存?", u"文件保存", MB_YESNOCANCEL), IDNO);
  EXPECT_EQ(MessageBoxW(nullptr, u"脚本消息", u"", MB_YESNO), IDNO);  // no owner: nothing disabled
  platform::setBlockingHook(std::move(previous));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_FALSE(seen[0].mainEnabled);  // the grid's top-level window
  EXPECT_TRUE(seen[0].otherEnabled);
  EXPECT_EQ(seen[0].owner, main);
  EXPECT_EQ(seen[0].yes, u"是(&Y)");
  EXPECT_TRUE(seen[1].mainEnabled);
  EXPECT_EQ(seen[1].owner, nullptr);
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_FALSE(IsWindow(seen[0].active));  // the box is gone
}

TEST_F(MsgBoxTest, KeysAnswerTheBoxWithoutAHook) {
  struct Case {
    const char* what;
    UINT type;
    std::vector<int> keys;
    int result;
  } cases[] = {
      {"Enter: the first button", MB_YESNOCANCEL, {VK_RETURN}, IDYES},
      {"Enter: the second made default", MB_YESNOCANCEL | MB_DEFBUTTON2, {VK_RETURN}, IDNO},
      {"Esc cancels", MB_YESNOCANCEL, {VK_ESCAPE}, IDCANCEL},
      {"Esc on OK is OK", MB_OK, {VK_ESCAPE}, IDOK},
      {"Esc on Yes/No does nothing; Tab and Enter pick No", MB_YESNO, {VK_ESCAPE, VK_TAB, VK_RETURN}, IDNO},
  };
  for (const Case& c : cases) {
    for (int k : c.keys) testdriver::keyPress(k);
    EXPECT_EQ(MessageBoxW(main, u"继续?", u"Morvel", c.type), c.result) << c.what;
    testdriver::pumpUntilIdle();
  }
}

TEST_F(MsgBoxTest, TheBoxIsDrawnAsADialog) {
  Surface picture;
  auto previous = platform::setBlockingHook([&](const platform::BlockingCall&) {
    HWND box = GetActiveWindow();
    testdriver::pumpUntilIdle();  // paint it
    picture = testdriver::windowPixels(box);
    return std::optional<platform::BlockingAnswer>(platform::BlockingAnswer{IDOK, {}});
  });
  MessageBoxW(main, u"文件已经改变，是否要保存?\n第二行 Second line", u"文件保存", MB_YESNOCANCEL);
  platform::setBlockingHook(std::move(previous));
  ASSERT_GT(picture.width, 150);
  ASSERT_GT(picture.height, 60);
  size_t dark = 0;  // text pixels
  for (uint32_t p : picture.pixels) dark += (p & 0xFF) < 0x40 && ((p >> 8) & 0xFF) < 0x40;
  EXPECT_GT(dark, 100u);
  // The message's two lines above, the three buttons' labels in the bottom band, and
  // the dialog face in the corner.
  auto darkRows = [&](int y0, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = 0; x < picture.width; ++x) {
        uint32_t p = picture.at(x, y);
        n += (p & 0xFF) < 0x40 && ((p >> 8) & 0xFF) < 0x40 && ((p >> 16) & 0xFF) < 0x40;
      }
    return n;
  };
  const int h = picture.height;
  EXPECT_GT(darkRows(0, h / 2), 60) << "the message";
  EXPECT_GT(darkRows(h * 2 / 3, h), 30) << "the buttons";
  EXPECT_EQ(picture.at(picture.width - 3, picture.height - 3), 0xF0F0F0u);
  EXPECT_TRUE(writePng(picture, (pictureFolder() / "msgbox_sample.png").string()));
}

}  // namespace
