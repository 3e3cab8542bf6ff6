// DrawIconEx with our own images: alpha, scaling, clipping.
#include <gtest/gtest.h>

#include "tests/platform/gdi/GdiFixture.h"

namespace {

// A 2 x 2 icon: opaque red, transparent, half-transparent blue, opaque green.
HICON quadIcon() {
  const uint32_t px[] = {0xFFFF0000, 0x00123456, 0x800000FF, 0xFF00FF00};
  return createIconFromArgb(2, 2, px);
}

TEST(GdiIcon, BlendsByAlphaAtItsOwnSize) {
  MemorySurface m(8, 8);
  HICON icon = quadIcon();
  ASSERT_TRUE(DrawIconEx(m.dc, 3, 4, icon, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(m.at(3, 4), 0xFF0000u);
  EXPECT_EQ(m.at(4, 4), 0xFFFFFFu);
  EXPECT_EQ(m.at(3, 5), 0x7F7FFFu);  // (255 * 127 + 255 * 128 + 127) / 255 = 255 for blue
  EXPECT_EQ(m.at(4, 5), 0x00FF00u);
  EXPECT_EQ(m.inked(), (RECT{3, 4, 5, 6}));
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_FALSE(DestroyIcon(icon));
  EXPECT_FALSE(DrawIconEx(m.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
}

TEST(GdiIcon, ScalesByNearestNeighbourAndRespectsTheClip) {
  MemorySurface m(12, 12);
  HICON icon = quadIcon();
  IntersectClipRect(m.dc, 0, 0, 12, 5);
  DrawIconEx(m.dc, 1, 1, icon, 6, 6, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(m.at(1, 1), 0xFF0000u);
  EXPECT_EQ(m.at(3, 3), 0xFF0000u);
  EXPECT_EQ(m.at(4, 1), 0xFFFFFFu);  // the transparent quarter
  EXPECT_EQ(m.at(6, 4), 0x00FF00u);
  EXPECT_EQ(m.inked(), (RECT{1, 1, 7, 5}));  // rows 5 and 6 are clipped away
  EXPECT_EQ(iconSize(icon).cx, 2);
  DestroyIcon(icon);
}

TEST(GdiIcon, RefusesBadImages) {
  const uint32_t px[1] = {0};
  EXPECT_EQ(createIconFromArgb(0, 4, px), nullptr);
  EXPECT_EQ(createIconFromArgb(4, 4, nullptr), nullptr);
}

}  // namespace
