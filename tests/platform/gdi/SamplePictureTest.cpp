// Paints a sample window picture - Chinese and Latin text, lines, a
// gradient, a clipped translucent fill, an inverted band and an icon - and
// saves it as <test program folder>/platform/gdi_sample.png for a person
// to look at.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/gdiplus/gdiplus.h"
#include "platform/png/Png.h"
#include "tests/platform/gdi/GdiFixture.h"
#include "tests/support/Picture.h"

namespace {

void text(HDC dc, int x, int y, const std::u16string& s) {
  TextOutW(dc, x, y, s.data(), static_cast<int>(s.size()));
}

void gradient(GpGraphics* g, int x, int y, int w, int h, Gdiplus::ARGB top, Gdiplus::ARGB bottom) {
  GpPoint p1{x, y}, p2{x, y + h};
  GpLineGradient* b = nullptr;
  GdipCreateLineBrushI(&p1, &p2, top, bottom, Gdiplus::WrapModeTile, &b);
  GdipFillRectangleI(g, reinterpret_cast<GpBrush*>(b), x, y, w, h);
  GdipDeleteBrush(reinterpret_cast<GpBrush*>(b));
}

TEST(GdiSample, PaintsAndSavesAWindowPicture) {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token;
  ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
  Surface window;
  window.resize(360, 220);
  HDC dc = createSurfaceDC(&window, POINT{0, 0}, RECT{0, 0, 360, 220});
  GpGraphics* g = nullptr;
  ASSERT_EQ(GdipCreateFromHDC(dc, &g), Gdiplus::Ok);
  SetBkMode(dc, TRANSPARENT);

  // Header row: gradient cells with centred titles.
  HFONT song = CreateFontW(12, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"宋体");
  HGDIOBJ oldFont = SelectObject(dc, song);
  const char16_t* titles[] = {u"姓名", u"城市", u"Amount", u"备注"};
  for (int c = 0; c < 4; ++c) {
    gradient(g, 40 + c * 75, 0, 74, 20, 0xFFFAFAFA, 0xFFC8D2E0);
    RECT cell{40 + c * 75, 0, 40 + c * 75 + 74, 20};
    DrawTextW(dc, titles[c], -1, &cell, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  }
  // Grid lines, drawn the canvas's way (end point + 1).
  HPEN grid = CreatePen(PS_SOLID, 1, RGB(0xD4, 0xD4, 0xD4));
  HGDIOBJ oldPen = SelectObject(dc, grid);
  for (int r = 0; r <= 9; ++r) {
    MoveToEx(dc, 0, 20 + r * 18, nullptr);
    LineTo(dc, 340 + 1, 20 + r * 18);
  }
  for (int c = 0; c <= 4; ++c) {
    MoveToEx(dc, 39 + c * 75, 0, nullptr);
    LineTo(dc, 39 + c * 75, 182 + 1);
  }
  // Row numbers and cells.
  const char16_t* rows[][4] = {
      {u"张三", u"北京", u"1,024.50", u"Latin text"}, {u"李四", u"上海", u"-3.75", u"中文与 ABC"},
      {u"王五", u"广州", u"1e5", u"测试数据"},        {u"赵六", u"深圳", u"42", u"Hello, 世界"},
      {u"Smith", u"杭州", u"0.001", u"12 px 宋体"},   {u"钱七", u"成都", u"7", u"…省略号"},
  };
  SetTextColor(dc, RGB(0x37, 0x37, 0x37));
  for (int r = 0; r < 6; ++r) {
    std::u16string n = std::u16string(1, static_cast<char16_t>(u'1' + r));
    RECT head{0, 21 + r * 18, 39, 21 + r * 18 + 17};
    DrawTextW(dc, n.c_str(), -1, &head, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    for (int c = 0; c < 4; ++c) text(dc, 42 + c * 75, 21 + r * 18 + 3, rows[r][c]);
  }
  // A translucent selection overlay, clipped by a region to part of the grid.
  HRGN clip = CreateRectRgn(115, 39, 265, 111);
  SelectClipRgn(dc, clip);
  GdipSetClipHrgn(g, clip, Gdiplus::CombineModeReplace);
  GpSolidFill* overlay = nullptr;
  GdipCreateSolidFill((65u << 24) | 0x667777, &overlay);
  GdipFillRectangleI(g, reinterpret_cast<GpBrush*>(overlay), 0, 0, 360, 220);
  GdipDeleteBrush(reinterpret_cast<GpBrush*>(overlay));
  HBRUSH frame = CreateSolidBrush(RGB(0x21, 0x73, 0x46));
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  HPEN framePen = CreatePen(PS_SOLID, 2, RGB(0x21, 0x73, 0x46));
  SelectObject(dc, framePen);
  Rectangle(dc, 115, 39, 265 + 1, 111 + 1);  // partly outside the clip
  SelectObject(dc, grid);
  GdipResetClip(g);
  SelectClipRgn(dc, nullptr);
  // An inverted band (a column drag line) and a null-pen filled box.
  RECT band{338, 0, 341, 183};
  InvertRect(dc, &band);
  SelectObject(dc, frame);
  SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 10, 190, 30 + 2, 210 + 2);
  // A filter-button icon: a triangle with soft alpha edges.
  uint32_t px[17 * 17];
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 17; ++x) {
      bool in = y >= 5 && y <= 11 && x >= 2 + (y - 5) && x <= 14 - (y - 5);
      px[y * 17 + x] = in ? 0xFF505050u : (y == 4 ? 0x40505050u : 0u);
    }
  HICON icon = createIconFromArgb(17, 17, px);
  DrawIconEx(dc, 40 + 74 - 18, 20 - 18, icon, 17, 17, 0, nullptr, DI_NORMAL);
  // Dialog text in the sans face, opaque.
  HFONT sans = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"MS Shell Dlg");
  SelectObject(dc, sans);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(0xFF, 0xF2, 0xCC));
  SetTextColor(dc, RGB(0, 0, 0));
  text(dc, 45, 192, u"对话框字体 MS Shell Dlg: 确定 取消");

  // What each element must show, probed.
  auto dark = [&](int x0, int y0, int x1, int y1) {  // pixels of ink in [x0, x1) x [y0, y1)
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += ((window.at(x, y) >> 16) & 0xFF) < 0x80;
    return n;
  };
  auto count = [&](uint32_t colour, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += window.at(x, y) == colour;
    return n;
  };
  EXPECT_GT(window.at(60, 1) >> 16, window.at(60, 18) >> 16) << "header gradient: light at the top";
  EXPECT_GT(dark(40, 0, 114, 20), 10) << "header title";
  EXPECT_EQ(window.at(5, 20 + 7 * 18), 0xD4D4D4u) << "row line";
  EXPECT_EQ(window.at(39 + 2 * 75, 170), 0xD4D4D4u) << "column line";
  EXPECT_GT(dark(0, 21, 39, 38), 3) << "row number";
  EXPECT_GT(dark(42, 21, 114, 38), 10) << "cell text";
  // The clipped overlay stayed inside its region; its frame is drawn inside the clip only.
  EXPECT_EQ(window.at(113, 60), 0xFFFFFFu);
  EXPECT_NE(window.at(116, 60), 0xFFFFFFu);
  EXPECT_EQ(window.at(200, 120), 0xFFFFFFu) << "below the clip";
  EXPECT_GT(count(0x217346, 115, 40, 118, 110), 60) << "frame's left edge";
  EXPECT_EQ(count(0x217346, 100, 30, 114, 120), 0) << "frame outside the clip";
  EXPECT_EQ(window.at(340, 150), 0x000000u) << "inverted band over white";
  EXPECT_EQ(window.at(20, 200), 0x217346u) << "null-pen box";
  EXPECT_EQ(window.at(40 + 74 - 18 + 8, 2 + 8), 0x505050u) << "filter icon's triangle";
  EXPECT_GT(count(0xFFF2CC, 45, 192, 300, 204), 100) << "opaque text background";
  EXPECT_GT(dark(45, 192, 300, 208), 20) << "dialog text";
  std::filesystem::path path = testsupport::picturePath("platform", "gdi_sample.png");
  ASSERT_TRUE(writePng(window, path.string()));
  Surface back;
  ASSERT_TRUE(readPng(path.string(), &back));
  EXPECT_EQ(back.pixels, window.pixels);

  SelectObject(dc, oldFont);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(song), static_cast<HGDIOBJ>(sans), static_cast<HGDIOBJ>(grid),
                    static_cast<HGDIOBJ>(framePen), static_cast<HGDIOBJ>(frame), static_cast<HGDIOBJ>(clip)})
    EXPECT_TRUE(DeleteObject(o));
  DestroyIcon(icon);
  GdipDeleteGraphics(g);
  deleteSurfaceDC(dc);
  Gdiplus::GdiplusShutdown(token);
}

}  // namespace
