// The resource registry: strings, icons and replacement of resources.
#include "tests/platform/user/UiFixture.h"

using namespace uitest;

namespace {

class ResourcesTest : public UiTest {};

TEST_F(ResourcesTest, StringsAreCutToTheBufferOrLent) {
  HINSTANCE module = GetModuleHandleW(nullptr);
  WCHAR buf[100];
  EXPECT_EQ(LoadStringW(module, kTestString, buf, 100), 8);
  EXPECT_EQ(std::u16string(buf), u"Morvel表格");
  EXPECT_EQ(LoadStringW(module, kTestString, buf, 4), 3);
  EXPECT_EQ(std::u16string(buf), u"Mor");
  LPCWSTR lent = nullptr;
  EXPECT_EQ(LoadStringW(module, kTestString, reinterpret_cast<LPWSTR>(&lent), 0), 8);
  EXPECT_EQ(std::u16string(lent, 8), u"Morvel表格");
  buf[0] = u'x';
  EXPECT_EQ(LoadStringW(module, 1, buf, 100), 0);
  EXPECT_EQ(buf[0], 0);
}

TEST_F(ResourcesTest, IconsAreSharedAndDrawTheirImage) {
  HINSTANCE module = GetModuleHandleW(nullptr);
  HICON icon = LoadIconW(module, MAKEINTRESOURCEW(kTestIcon));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(LoadIconW(module, MAKEINTRESOURCEW(kTestIcon)), icon);
  EXPECT_EQ(iconSize(icon).cx, 2);
  EXPECT_EQ(LoadIconW(module, MAKEINTRESOURCEW(4711)), nullptr);
  EXPECT_NE(LoadIconW(nullptr, IDI_APPLICATION), nullptr);  // the system's, not a resource
  Surface s;
  s.resize(4, 4);
  HDC dc = createSurfaceDC(&s, POINT{0, 0}, RECT{0, 0, 4, 4});
  ASSERT_TRUE(DrawIconEx(dc, 0, 0, icon, 4, 4, 0, nullptr, DI_NORMAL));
  deleteSurfaceDC(dc);
  EXPECT_EQ(s.at(0, 0), 0xFF0000u);  // opaque red, scaled 2x
  EXPECT_EQ(s.at(3, 0), 0xFFFFFFu);  // transparent: the white below
  EXPECT_EQ(s.at(3, 3), 0x0000FFu);
}

TEST_F(ResourcesTest, ALaterTableReplacesResourcesOfTheSameId) {
  platform::resources::Table t;
  t.strings.push_back({9100, u"first"});
  platform::resources::addTable(t);
  t.strings[0].text = u"second";
  platform::resources::addTable(t);
  WCHAR buf[16];
  LoadStringW(nullptr, 9100, buf, 16);
  EXPECT_EQ(std::u16string(buf), u"second");
}

}  // namespace
