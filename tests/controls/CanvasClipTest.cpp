// The clip stack: each push narrows the clip of GDI and GDI+ drawing alike, each pop
// restores exactly the clip before it.
#include <functional>
#include <string>

#include "tests/controls/CanvasFixture.h"

namespace {

struct Step {
  bool push;  // false: pop
  RECT rect;
};
Step push(LONG l, LONG t, LONG r, LONG b) { return Step{true, RECT{l, t, r, b}}; }
const Step pop{false, {}};

}  // namespace

TEST_F(CanvasTest, ClipStackLimitsGdiAndGdiplusAlike) {
  const RECT all{0, 0, 199, 99};
  const RECT none{0, 0, -1, -1};
  struct Case {
    std::string name;
    std::vector<Step> steps;
    RECT ink;  // what a fill of the whole canvas leaves
  };
  const Case cases[] = {
      {"one push", {push(10, 10, 29, 19)}, {10, 10, 29, 19}},
      {"nested pushes intersect", {push(10, 10, 29, 19), push(20, 5, 40, 15)}, {20, 10, 29, 15}},
      {"a push outside clips everything", {push(10, 10, 29, 19), push(50, 50, 60, 60)}, none},
      {"pushes on an empty clip stay empty",
       {push(10, 10, 29, 19), push(50, 50, 60, 60), push(0, 0, 199, 99)},
       none},
      {"pop restores the previous clip", {push(10, 10, 29, 19), push(20, 5, 40, 15), pop}, {10, 10, 29, 19}},
      {"pop after an empty clip", {push(10, 10, 29, 19), push(50, 50, 60, 60), pop}, {10, 10, 29, 19}},
      {"popping the last entry removes the clip", {push(10, 10, 29, 19), push(20, 5, 40, 15), pop, pop}, all},
      {"pop on an empty stack does nothing", {pop, push(3, 4, 5, 6)}, {3, 4, 5, 6}},
      {"a single pixel", {push(7, 7, 7, 7)}, {7, 7, 7, 7}},
  };
  const std::pair<std::string, std::function<void()>> painters[] = {
      {"GDI",
       [&] {
         const RECT exclusive{0, 0, 200, 100};
         FillRect(canvas.mDc, &exclusive, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
       }},
      {"GDI+ solid",
       [&] {
         RECT area = all;
         canvas.fillAlpha(area, RGB(0, 0, 0), 255);
       }},
      {"GDI+ gradient", [&] { canvas.fillGradient(all, RGB(0, 0, 0), RGB(0, 0, 64)); }},
  };
  for (const Case& c : cases) {
    for (const auto& [painter, paint] : painters) {
      for (const Step& s : c.steps) s.push ? canvas.pushClip(s.rect) : canvas.popClip();
      clear(kWhite);
      paint();
      EXPECT_EQ(inked(), c.ink) << c.name << ", " << painter;
      while (!canvas.mClipRects.empty()) canvas.popClip();
    }
  }
  EXPECT_TRUE(canvas.mClipRegions.empty());
}

TEST_F(CanvasTest, ClipAppliesToText) {
  canvas.pushClip(RECT{0, 0, 13, 99});
  canvas.textOut(10, 20, u"ab", 2);
  EXPECT_EQ(inked(), (RECT{10, 21, 13, 34}));
  canvas.popClip();
}
