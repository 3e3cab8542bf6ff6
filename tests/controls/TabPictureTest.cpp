// A tab strip with Chinese titles, one of them modified, one too long for its tab, saved as
// <test program folder>/controls/tab_strip.png for a person to look at.
#include <unistd.h>

#include <filesystem>

#include "platform/png/Png.h"
#include "tests/controls/TabFixture.h"
#include "tests/support/Picture.h"

namespace {

// Dark pixels (title text) in the title area of drawn tab j.
int titleInk(const Surface& s, int j) {
  int dark = 0;
  const int left = 20 + j * (178 + 15) + 26;
  for (int y = 0; y < 29; ++y)
    for (int x = left; x < left + 178 - 43; ++x) {
      const uint32_t p = s.at(x, y);
      if (((p >> 16) & 0xFF) < 0x90 && ((p >> 8) & 0xFF) < 0x90 && (p & 0xFF) < 0x90) ++dark;
    }
  return dark;
}

}  // namespace

TEST_F(TabTest, PictureOfAStripWithChineseTitles) {
  close();
  open(900, 29);
  add(u"销售数据.csv");
  add(u"客户名单.txt");
  add(u"库存明细表.csv");
  add(u"二零二六年度财务报告汇总表（终稿）.csv");
  strip->activate(1);
  SendMessageW(strip->hwnd, WM_TAB_MODIFIED, reinterpret_cast<WPARAM>(strip->tabs[2].gridWindow), 1);
  testdriver::pumpUntilIdle();
  const std::u16string shownTitle = strip->canvas.fitText(strip->tabs[3].title, 178 - 43, false);
  EXPECT_TRUE(shownTitle.ends_with(u"..")) << "the long title shows its first characters and \"..\"";
  EXPECT_TRUE(strip->tabs[3].title.starts_with(shownTitle.substr(0, shownTitle.size() - 2)));

  const std::string path = testsupport::picturePath("controls", "tab_strip.png").string();
  ASSERT_TRUE(testdriver::saveWindowPng(strip->hwnd, path));
  Surface saved;
  ASSERT_TRUE(readPng(path, &saved));
  const Surface shown = testdriver::windowPixels(strip->hwnd);
  EXPECT_EQ(saved.width, 900);
  EXPECT_EQ(saved.height, 29);
  EXPECT_EQ(saved.pixels, shown.pixels);
  for (int j = 0; j < 4; ++j) EXPECT_GT(titleInk(shown, j), 40) << "tab " << j << " has its title";
}
