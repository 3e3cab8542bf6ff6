// Built-in drawings of the control images, made on first use: flat, grey pieces whose
// sizes are those at which the controls draw them.
#include "controls/ControlIcons.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

constexpr uint32_t kNone = 0x00000000;      // transparent
constexpr uint32_t kBorder = 0xFFB5B5B5;    // the strip's line colour
constexpr uint32_t kTabFace = 0xFFE9ECEF;   // a tab that is not current
constexpr uint32_t kTabShade = 0xFFDADFE4;  // its lower half
constexpr uint32_t kCurrent = 0xFFFFFFFF;   // the current tab, open towards its document
constexpr uint32_t kMark = 0xFF505A64;      // glyphs: crosses, arrows, ticks
constexpr uint32_t kMarkOff = 0xFFC3C8CD;   // disabled glyphs

// A width x height ARGB picture with a few drawing helpers (coordinates inclusive).
struct Picture {
  int width, height;
  std::vector<uint32_t> argb;
  Picture(int w, int h, uint32_t fill = kNone) : width(w), height(h), argb(size_t(w) * h, fill) {}
  void set(int x, int y, uint32_t c) {
    if (x >= 0 && y >= 0 && x < width && y < height) argb[size_t(y) * width + x] = c;
  }
  void fill(int l, int t, int r, int b, uint32_t c) {
    for (int y = t; y <= b; ++y)
      for (int x = l; x <= r; ++x) set(x, y, c);
  }
  void frame(int l, int t, int r, int b, uint32_t c) {
    fill(l, t, r, t, c);
    fill(l, b, r, b, c);
    fill(l, t, l, b, c);
    fill(r, t, r, b, c);
  }
};

// A tab-row piece: face from row 3 (the lower half shaded for tabs that are not current),
// a line along row 2, and the row's bottom line unless the piece is current.
void tabFace(Picture& p, int l, int r, bool current) {
  const int last = p.height - 1;
  for (int y = 3; y <= last; ++y)
    p.fill(l, y, r, y, current ? kCurrent : (y < p.height / 2 ? kTabFace : kTabShade));
  p.fill(l, 2, r, 2, kBorder);
  if (!current) p.fill(l, last, r, last, kBorder);
}

// The edge and separator pieces. `leftCurrent` / `rightCurrent`: which side belongs to a
// current tab; `leftOpen` / `rightOpen`: that side lies outside every tab (transparent).
Picture separator(bool leftCurrent, bool rightCurrent, bool leftOpen, bool rightOpen) {
  Picture p(15, 29);
  const int mid = 7, last = p.height - 1;
  if (!leftOpen) tabFace(p, 0, mid - 1, leftCurrent);
  if (!rightOpen) tabFace(p, mid + 1, p.width - 1, rightCurrent);
  if (leftOpen) p.fill(0, last, mid - 1, last, kBorder);
  if (rightOpen) p.fill(mid + 1, last, p.width - 1, last, kBorder);
  const bool edge = leftOpen || rightOpen || leftCurrent || rightCurrent;
  p.fill(mid, 2, mid, edge ? last : last - 5, kBorder);  // the divider
  if (!edge) p.fill(mid, last, mid, last, kBorder);
  return p;
}

Picture tabBody(bool current) {
  Picture p(178, 29);
  tabFace(p, 0, p.width - 1, current);
  return p;
}

// A sheet of paper with a folded top-right corner and three lines of text.
Picture fileIcon() {
  Picture p(16, 16);
  const uint32_t edge = 0xFF7A8A99;
  p.fill(3, 1, 12, 14, 0xFFFFFFFF);
  p.fill(2, 0, 2, 15, edge);                                    // left
  p.fill(2, 15, 13, 15, edge);                                  // bottom
  p.fill(13, 4, 13, 15, edge);                                  // right, below the fold
  p.fill(2, 0, 9, 0, edge);                                     // top, up to the fold
  for (int i = 0; i <= 4; ++i) p.set(9 + i, i, edge);           // the cut corner
  for (int y = 1; y < 4; ++y) p.fill(10 + y, y, 12, y, kNone);  // beyond the cut
  p.fill(9, 0, 9, 4, edge);                                     // the fold
  p.fill(9, 4, 13, 4, edge);
  for (int y : {7, 9, 11}) p.fill(5, y, 10, y, 0xFF4A90D9);
  return p;
}

// A diagonal cross of two-pixel strokes over a size x size picture, `inset` from its sides.
void cross(Picture& p, int inset, uint32_t c) {
  const int n = p.width - 1 - inset;
  for (int i = inset; i <= n; ++i) {
    p.set(i, i, c), p.set(i + 1, i, c);
    p.set(n + inset - i, i, c), p.set(n + inset - i - 1, i, c);
  }
}

Picture closeSmall(bool current) {
  Picture p(8, 8);
  cross(p, 0, current ? 0xFF333333 : 0xFF8C8C8C);
  return p;
}

Picture closeLarge(bool current) {
  Picture p(14, 14);
  p.fill(1, 0, 12, 13, current ? 0xFFD9534F : 0xFFE07A76);
  p.fill(0, 1, 13, 12, current ? 0xFFD9534F : 0xFFE07A76);
  cross(p, 3, 0xFFFFFFFF);
  return p;
}

// A triangle pointing left or right inside a light frame.
Picture scrollButton(bool right, bool enabled) {
  Picture p(17, 18);
  p.fill(1, 1, 15, 16, 0xFFF7F8F9);
  p.frame(0, 0, 16, 17, enabled ? 0xFFA0A8B0 : 0xFFD5D9DD);
  const uint32_t c = enabled ? kMark : kMarkOff;
  for (int i = 0; i < 5; ++i) {
    const int x = right ? 6 + i : 10 - i;
    p.fill(x, 4 + i, x, 13 - i, c);
  }
  return p;
}

Picture checkBox(bool checked) {
  Picture p(16, 16);
  p.fill(2, 2, 13, 13, 0xFFFFFFFF);
  p.frame(1, 1, 14, 14, 0xFF7A8A99);
  if (checked) {
    static const int tick[][2] = {{4, 8}, {5, 9}, {6, 10}, {7, 9}, {8, 8}, {9, 7}, {10, 6}, {11, 5}};
    for (const auto& t : tick) p.fill(t[0], t[1] - 1, t[0], t[1] + 1, 0xFF2B6CB0);
  }
  return p;
}

bool drawn(WORD id, Picture& out) {
  switch (id) {
    case 143: out = checkBox(true); return true;
    case 144: out = checkBox(false); return true;
    case 153: out = separator(false, false, true, false); return true;
    case 154: out = separator(false, true, true, false); return true;
    case 155: out = separator(false, false, false, false); return true;
    case 156: out = separator(false, true, false, false); return true;
    case 157: out = separator(true, false, false, false); return true;
    case 158: out = separator(false, false, false, true); return true;
    case 159: out = separator(true, false, false, true); return true;
    case 160: out = tabBody(false); return true;
    case 161: out = tabBody(true); return true;
    case 162: out = closeLarge(false); return true;
    case 163: out = closeLarge(true); return true;
    case 164: out = fileIcon(); return true;
    case 165: out = scrollButton(false, true); return true;
    case 166: out = scrollButton(true, true); return true;
    case 167: out = scrollButton(false, false); return true;
    case 168: out = scrollButton(true, false); return true;
    case 169: out = closeSmall(false); return true;
    case 170: out = closeSmall(true); return true;
    default: return false;
  }
}

}  // namespace

HICON loadControlIcon(WORD id) {
  static std::map<WORD, HICON> made;  // UI thread only
  if (auto it = made.find(id); it != made.end()) return it->second;
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
  Picture picture(1, 1);
  if (!icon && drawn(id, picture)) icon = createIconFromArgb(picture.width, picture.height, picture.argb.data());
  made[id] = icon;
  return icon;
}
