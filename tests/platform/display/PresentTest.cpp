// Presentation: what the X server shows equals the layer's surface, and a
// small invalidation presents only its own rectangle.
#include "platform/png/Png.h"
#include "platform/user/State.h"
#include "tests/platform/display/DisplayFixture.h"

namespace displaytest {
namespace {

using PresentTest = DisplayTest;

Surface surfaceOf(HWND top) {
  auto w = platform::user::findWindow(top);
  return w && w->surface ? *w->surface : Surface{};
}

TEST_F(PresentTest, ServerPixelsEqualTheSurface) {
  HWND w = makeWindow(POINT{100, 120}, SIZE{320, 200});
  HWND child = makeChild(w, RECT{40, 30, 200, 130});
  UpdateWindow(w);
  pumpFor(150);
  Surface layer = surfaceOf(w);
  ASSERT_EQ(layer.width, 320);
  ASSERT_EQ(layer.height, 200);
  auto layout = platform::frameLayout(w);
  ASSERT_TRUE(layout);
  RECT client{layout->client.left - layout->frame.left, layout->client.top - layout->frame.top, 0, 0};
  client.right = client.left + 320;
  client.bottom = client.top + 200;
  Surface shown = mServer.pixels(platform::display::x11Window(w), client);
  ASSERT_EQ(shown.width, 320);
  int differing = 0;
  for (size_t i = 0; i < layer.pixels.size(); ++i) differing += layer.pixels[i] != shown.pixels[i];
  EXPECT_EQ(differing, 0);
  // The child's own pattern starts again at its client origin.
  EXPECT_EQ(shown.at(40, 30), shown.at(0, 0));
  EXPECT_TRUE(writePng(shown, pngPath("present_pattern")));
  (void)child;
}

TEST_F(PresentTest, AOneCellInvalidationPresentsThatCellOnly) {
  HWND w = makeWindow(POINT{200, 200}, SIZE{400, 300});
  pumpFor(100);
  platform::display::takePresented(w);
  RECT cell{74, 18, 148, 36};
  InvalidateRect(w, &cell, FALSE);
  ASSERT_TRUE(pumpUntil([&] { return !received(WM_PAINT) ? false : true; }));
  std::vector<RECT> presented;
  pumpUntil([&] {
    for (RECT r : platform::display::takePresented(w)) presented.push_back(r);
    return !presented.empty();
  });
  pumpFor(50);
  for (RECT r : platform::display::takePresented(w)) presented.push_back(r);
  ASSERT_EQ(presented.size(), 1u);
  EXPECT_EQ(presented[0].left, cell.left);
  EXPECT_EQ(presented[0].top, cell.top);
  EXPECT_EQ(presented[0].right, cell.right);
  EXPECT_EQ(presented[0].bottom, cell.bottom);
}

}  // namespace
}  // namespace displaytest
