// Files dropped from a file manager arrive as WM_DROPFILES at the window
// that accepts them.
#include "tests/platform/display/DisplayFixture.h"

namespace displaytest {
namespace {

using DropTest = DisplayTest;

std::vector<std::u16string> dropped(HDROP drop) {
  std::vector<std::u16string> paths;
  UINT n = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < n; ++i) {
    char16_t buf[512];
    UINT len = DragQueryFileW(drop, i, buf, 512);
    paths.emplace_back(buf, len);
  }
  return paths;
}

TEST_F(DropTest, DroppedUrisArriveAsPathsAtTheAcceptingWindow) {
  HWND w = makeWindow(POINT{100, 100}, SIZE{300, 200});
  HWND child = makeChild(w, RECT{100, 50, 300, 200});
  DragAcceptFiles(child, TRUE);
  auto layout = platform::frameLayout(w);
  POINT overChild{layout->client.left - layout->frame.left + 150, layout->client.top - layout->frame.top + 100};
  POINT overParent{layout->client.left - layout->frame.left + 20, layout->client.top - layout->frame.top + 20};
  forget();
  EXPECT_FALSE(platform::display::dropUriList(w, overParent, "file:///tmp/a.csv\r\n"));
  ASSERT_TRUE(platform::display::dropUriList(
      w, overChild, "file:///tmp/%E8%A1%A8%20one.csv\r\n# a comment\r\nfile:///home/u/b.mvt\r\n"));
  ASSERT_TRUE(pumpUntil([&] { return received(WM_DROPFILES); }));
  auto drops = messages({WM_DROPFILES});
  ASSERT_EQ(drops.size(), 1u);
  EXPECT_EQ(drops[0].hwnd, child);
  HDROP drop = reinterpret_cast<HDROP>(drops[0].wParam);
  EXPECT_EQ(dropped(drop), (std::vector<std::u16string>{u"/tmp/表 one.csv", u"/home/u/b.mvt"}));
  POINT at;
  ASSERT_TRUE(DragQueryPoint(drop, &at));
  EXPECT_EQ(at.x, 50);
  EXPECT_EQ(at.y, 50);
  DragFinish(drop);
}

}  // namespace
}  // namespace displaytest
