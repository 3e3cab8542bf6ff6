// Desktop scaling: at 2x the toolkit shows each layer pixel as a sharp 2 x 2
// block, and the layer keeps its own pixel units. The scaled run is a second
// run of this program with GDK_SCALE=2 (the scale is fixed when the toolkit
// starts).
#include <cstdlib>
#include <string>

#include "platform/user/State.h"
#include "tests/platform/display/DisplayFixture.h"

namespace displaytest {
namespace {

using ScaleTest = DisplayTest;

bool scaledRun() {
  const char* s = std::getenv("GDK_SCALE");
  return s && std::string(s) == "2";
}

TEST_F(ScaleTest, AtTwiceTheScaleEachPixelIsASharpBlock) {
  if (scaledRun()) GTEST_SKIP() << "the scaled run itself";
  std::string self = "/proc/" + std::to_string(getpid()) + "/exe";
  std::string command = "GDK_SCALE=2 " + self + " --gtest_filter=ScaleTest.ScaledRunShowsBlocks >/dev/null 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST_F(ScaleTest, ScaledRunShowsBlocks) {
  if (!scaledRun()) GTEST_SKIP() << "runs only with GDK_SCALE=2";
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);  // the layer's pixels are the desktop's logical ones
  HWND w = makeWindow(POINT{40, 40}, SIZE{120, 80}, WS_POPUP | WS_VISIBLE);
  pumpFor(150);
  auto top = platform::user::findWindow(w);
  ASSERT_TRUE(top && top->surface);
  const Surface& layer = *top->surface;
  Surface shown = mServer.pixels(platform::display::x11Window(w), RECT{0, 0, 240, 160});
  ASSERT_EQ(shown.width, 240);
  int differing = 0;
  for (int y = 0; y < 160; ++y)
    for (int x = 0; x < 240; ++x) differing += shown.at(x, y) != layer.at(x / 2, y / 2);
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace displaytest
