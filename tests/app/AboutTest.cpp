// The About dialog: centred on its owner, closed by OK, Enter and Esc, its link handing
// the read-me file to the desktop.
#include <gtest/gtest.h>

#include <functional>

#include "app/AboutDialog.h"
#include "platform/testdriver/AnswerScript.h"
#include "platform/testdriver/Driver.h"
#include "platform/windows.h"
#include "tests/app/AppFixture.h"
#include "tests/support/Picture.h"

namespace {

class AboutTest : public testing::Test {
 protected:
  void SetUp() override {
    testdriver::reset();
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"AboutHost";
    RegisterClassW(&wc);
    host = CreateWindowExW(0, u"AboutHost", u"", WS_POPUP | WS_VISIBLE, 50, 40, 701, 501, nullptr, nullptr, nullptr,
                           nullptr);
    testdriver::pumpUntilIdle();
  }
  void TearDown() override {
    platform::setBlockingHook(nullptr);
    DestroyWindow(host);
    testdriver::pumpUntilIdle();
  }
  // Runs the dialog; the first time its loop waits, `act` gets the dialog (the active
  // window) and does what a user would; later waits are answered with Cancel.
  INT_PTR show(const std::function<void(HWND)>& act) {
    bool first = true;
    platform::setBlockingHook([&](const platform::BlockingCall& call) -> std::optional<platform::BlockingAnswer> {
      if (call.kind == u"ShellExecuteW") {
        opened.push_back(call.args);
        return platform::BlockingAnswer{33, {}};
      }
      if (call.kind != u"DialogBoxParamW") return std::nullopt;
      if (!first) return platform::BlockingAnswer{IDCANCEL, {}};
      first = false;
      act(GetActiveWindow());
      return platform::BlockingAnswer{0, {}};
    });
    return showAboutDialog(host);
  }
  static POINT centre(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  HWND host = nullptr;
  std::vector<std::vector<std::u16string>> opened;
};

TEST_F(AboutTest, OkEnterAndEscClose) {
  struct Case {
    const char* name;
    std::function<void(HWND)> act;
    INT_PTR result;
  } cases[] = {
      {"OK", [](HWND d) { testdriver::click(centre(GetDlgItem(d, IDOK))); }, IDOK},
      {"Enter", [](HWND) { testdriver::keyPress(VK_RETURN); }, IDOK},
      {"Esc", [](HWND) { testdriver::keyPress(VK_ESCAPE); }, IDCANCEL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(show(c.act), c.result);
  }
  EXPECT_TRUE(opened.empty());
  EXPECT_TRUE(IsWindowEnabled(host));
}

TEST_F(AboutTest, CentredOnItsOwnerWithALinkToTheReadMe) {
  RECT dialog{}, owner{};
  std::u16string caption, version;
  const INT_PTR result = show([&](HWND d) {
    GetWindowRect(d, &dialog);
    GetWindowRect(host, &owner);
    char16_t text[64] = {};
    GetWindowTextW(d, text, 64);
    caption = text;
    EXPECT_TRUE(testdriver::saveWindowPng(d, testsupport::picturePath("app", "about.png").string()));
    RECT link{};
    GetWindowRect(GetDlgItem(d, 1024), &link);
    testdriver::click(POINT{link.left + 12, link.top + 6});  // on the link's text
  });
  EXPECT_EQ(result, IDCANCEL);  // the link leaves it open
  EXPECT_EQ(caption, u"关于 Morvel");
  const int w = dialog.right - dialog.left + 1, h = dialog.bottom - dialog.top + 1;
  EXPECT_EQ(dialog.left, owner.left + (owner.right - owner.left - w + 1) / 2);
  EXPECT_EQ(dialog.top, owner.top + (owner.bottom - owner.top - h + 1) / 2);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0][0], u"open");
  EXPECT_EQ(opened[0][1], readmePath());
  EXPECT_EQ(opened[0].back(), u"5");  // SW_SHOW
  EXPECT_TRUE(readmePath().ends_with(u"/README.md"));
}

// The program's About (command 104) shows its small icon (108) at (14, 14) dialog units,
// beside the version text.
TEST_F(AppTest, TheProgramsAboutShowsItsIconBesideTheVersion) {
  testdriver::AnswerScript script;
  start();
  Surface picture;
  RECT icon{14, 14, 14 + 16, 14 + 16}, text{42, 14, 42 + 114, 14 + 8};
  script.actFirst(u"DialogBoxParamW", [&] {
    HWND about = GetActiveWindow();
    picture = testdriver::windowPixels(about);
    MapDialogRect(about, &icon);
    MapDialogRect(about, &text);
    EXPECT_TRUE(testdriver::saveWindowPng(about, testsupport::picturePath("app", "about_program.png").string()));
  });
  script.answer(u"DialogBoxParamW", IDOK);
  ASSERT_TRUE(choose(104));
  ASSERT_GT(picture.width, 0);
  auto count = [&](RECT r, uint32_t colour) {
    int n = 0;
    for (int y = r.top; y < std::min<LONG>(r.bottom, picture.height); ++y)
      for (int x = r.left; x < std::min<LONG>(r.right, picture.width); ++x) n += picture.at(x, y) == colour;
    return n;
  };
  const RECT iconBox{icon.left, icon.top, icon.left + 16, icon.top + 16};
  EXPECT_GT(count(iconBox, 0x2F6B3A), 30) << "the icon's outline at its place";
  EXPECT_EQ(count(RECT{0, 0, iconBox.left, picture.height}, 0x2F6B3A), 0) << "nothing of it left of its place";
  int dark = 0;
  for (int y = text.top; y < text.bottom; ++y)
    for (int x = text.left; x < text.right; ++x) dark += (picture.at(x, y) & 0xFF) < 0x60;
  EXPECT_GT(dark, 20) << "the version text beside it";
}

}  // namespace
