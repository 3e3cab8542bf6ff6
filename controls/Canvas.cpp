#include "controls/Canvas.h"

#include <algorithm>
#include <cassert>

#include "platform/user/Paint.h"

namespace {

constexpr size_t kCodeUnits = 65536;

// Inclusive intersection of a and b; false (and `out` untouched) when it is empty.
bool intersectInclusive(RECT& out, const RECT& a, const RECT& b) {
  const RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
  if (r.left > r.right || r.top > r.bottom) return false;
  out = r;
  return true;
}

bool isLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

template <class Handle>
void deleteObject(Handle& handle) {
  if (handle) DeleteObject(handle);
  handle = nullptr;
}

// Selects `saved` back into dc when one was remembered, and forgets it.
void restore(HDC dc, HGDIOBJ& saved) {
  if (saved) SelectObject(dc, saved);
  saved = nullptr;
}

// ARGB of a GDI+ colour from a COLORREF (0x00BBGGRR) and an alpha.
Gdiplus::ARGB argbOf(COLORREF c, uint8_t alpha) {
  return (Gdiplus::ARGB{alpha} << 24) | (Gdiplus::ARGB{GetRValue(c)} << 16) | (Gdiplus::ARGB{GetGValue(c)} << 8) |
         GetBValue(c);
}

}  // namespace

CCanvas::CCanvas() : mWidthCache(kCodeUnits, 0) {}

CCanvas::~CCanvas() {
  end();
  for (HRGN region : mClipRegions) DeleteObject(region);
  mClipRegions.clear();
  mClipRects.clear();
}

void CCanvas::begin(const RECT& view) {
  end();
  HDC windowDc = GetDC(mOwner);
  mView = view;
  mDc = CreateCompatibleDC(windowDc);
  mBitmap = CreateCompatibleBitmap(windowDc, view.right - view.left + 1, view.bottom - view.top + 1);
  mReplacedBitmap = SelectObject(mDc, mBitmap);
  mBrush = CreateSolidBrush(0xFFFFFF);
  mReplacedBrush = SelectObject(mDc, mBrush);
  mPen = CreatePen(PS_SOLID, 1, 0xFFFFFF);
  mReplacedPen = SelectObject(mDc, mPen);
  SetBkMode(mDc, TRANSPARENT);
  measureSpace();
  GdipCreateFromHDC(mDc, &mGraphics);
  ReleaseDC(mOwner, windowDc);
}

void CCanvas::end() {
  // The Graphics goes first: it draws through the DC and must not outlive it.
  if (mGraphics) GdipDeleteGraphics(mGraphics);
  mGraphics = nullptr;
  if (mDc) {
    restore(mDc, mReplacedBrush);
    restore(mDc, mReplacedPen);
    restore(mDc, mReplacedFont);
    restore(mDc, mReplacedBitmap);
  }
  deleteObject(mBitmap);
  if (mDc) DeleteDC(mDc);
  mDc = nullptr;
  mReplacedBrush = mReplacedPen = mReplacedFont = mReplacedBitmap = nullptr;
  deleteObject(mPen);
  deleteObject(mFont);
  deleteObject(mBrush);
}

void CCanvas::copyTo(HDC windowDc, RECT& area) {
  if (area.left == area.right || area.top == area.bottom) return;
  area.left = std::max<LONG>(area.left, 0);
  area.top = std::max<LONG>(area.top, 0);
  RECT part;
  if (!intersectInclusive(part, area, mView)) return;  // an empty intersection copies nothing
  BitBlt(windowDc, part.left, part.top, part.right - part.left + 1, part.bottom - part.top + 1, mDc,
         part.left - mView.left, part.top - mView.top, SRCCOPY);
}

void CCanvas::setFont(int32_t height, const char16_t* face) {
  adoptFont(CreateFontW(height, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face));
}

void CCanvas::setFontIndirect(const LOGFONTW& font) { adoptFont(CreateFontIndirectW(&font)); }

void CCanvas::adoptFont(HFONT font) {
  HGDIOBJ replaced = SelectObject(mDc, font);
  if (!mReplacedFont) mReplacedFont = replaced;
  deleteObject(mFont);
  mFont = font;
  measureSpace();
}

void CCanvas::measureSpace() {
  SIZE space{0, 0};
  GetTextExtentPoint32W(mDc, u" ", 1, &space);
  mSpaceWidth = space.cx;
  mLineHeight = space.cy + mLineGap;
  std::fill(mWidthCache.begin(), mWidthCache.end(), uint16_t{0});
}

void CCanvas::setPen(COLORREF colour, uint8_t width) {
  HPEN pen = CreatePen(PS_SOLID, width, colour);
  SelectObject(mDc, pen);
  deleteObject(mPen);
  mPen = pen;
}

void CCanvas::setBrush(COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  SelectObject(mDc, brush);
  deleteObject(mBrush);
  mBrush = brush;
}

void CCanvas::drawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  MoveToEx(mDc, x1, y1, nullptr);
  if (x1 == x2) LineTo(mDc, x2, y2 + 1);
  else if (y1 == y2) LineTo(mDc, x2 + 1, y2);
  else LineTo(mDc, x2, y2);
}

void CCanvas::fillAlpha(RECT& area, COLORREF colour, uint8_t alpha) {
  if (!intersectInclusive(area, area, mView)) {
    area = RECT{0, 0, 0, 0};
    return;  // an empty intersection paints nothing
  }
  GpSolidFill* brush = nullptr;
  GdipCreateSolidFill(argbOf(colour, alpha), &brush);
  GdipFillRectangleI(mGraphics, reinterpret_cast<GpBrush*>(brush), area.left, area.top, area.right - area.left + 1,
                     area.bottom - area.top + 1);
  if (brush) GdipDeleteBrush(reinterpret_cast<GpBrush*>(brush));
}

void CCanvas::fillGradient(RECT area, COLORREF top, COLORREF bottom) {
  const INT width = area.right - area.left + 1;
  const INT height = area.bottom - area.top + 1;
  if (width <= 0 || height <= 0) return;
  const GpPoint from{area.left, area.top};
  const GpPoint to{area.left, area.top + height};
  GpLineGradient* brush = nullptr;
  GdipCreateLineBrushI(&from, &to, argbOf(top, 255), argbOf(bottom, 255), Gdiplus::WrapModeTile, &brush);
  GdipFillRectangleI(mGraphics, reinterpret_cast<GpBrush*>(brush), area.left, area.top, width, height);
  if (brush) GdipDeleteBrush(reinterpret_cast<GpBrush*>(brush));
}

void CCanvas::drawTextInRect(const RECT& area, const std::u16string& text, uint32_t flags) {
  if (text.empty() || area.bottom - area.top < mLineHeight / 3 || area.right - area.left < mSpaceWidth / 3) return;
  struct Line {
    size_t start, length;
    int32_t width;
  };
  std::vector<Line> lines;
  int32_t height = area.bottom - area.top;
  size_t start = 0;
  while (start < text.size() && height > 0) {
    size_t end = text.find(u'\n', start);
    end = end == std::u16string::npos ? text.size() : end + 1;
    int32_t width = 0;
    for (size_t i = start; i < end; ++i) width += charWidthNoBreak(text[i]);
    lines.push_back(Line{start, end - start, width});
    height -= mLineHeight;
    start = end;
  }
  const int32_t count = static_cast<int32_t>(lines.size());
  int32_t y = area.top;
  if (start == text.size() && height > 0) {
    if (flags & 8) y = area.bottom - mLineHeight * count;
    else if (flags & 4) y = (area.top + area.bottom - mLineHeight * count) / 2;
  }
  for (const Line& line : lines) {
    int32_t x = area.left;
    if (flags & 2) x = area.right - line.width;
    else if (flags & 1) x = (area.left + area.right - line.width) / 2;
    textOut(x, y + mGapAbove, text.data() + line.start, line.length);
    y += mLineHeight;
  }
}

void CCanvas::pushClip(const RECT& r) {
  RECT entry = r;
  if (!mClipRects.empty()) {
    const RECT& top = mClipRects.back();
    entry = RECT{std::max(r.left, top.left), std::max(r.top, top.top), std::min(r.right, top.right),
                 std::min(r.bottom, top.bottom)};
  }
  // An empty entry gets the empty region; entries pushed on it stay empty.
  const bool empty = entry.left > entry.right || entry.top > entry.bottom;
  mClipRegions.push_back(empty ? CreateRectRgn(0, 0, 0, 0)
                               : CreateRectRgn(entry.left, entry.top, entry.right + 1, entry.bottom + 1));
  mClipRects.push_back(entry);
  applyClip();
}

void CCanvas::popClip() {
  if (mClipRegions.empty()) return;
  DeleteObject(mClipRegions.back());
  mClipRegions.pop_back();
  mClipRects.pop_back();
  applyClip();
}

void CCanvas::applyClip() {
  if (mClipRegions.empty()) {
    SelectClipRgn(mDc, nullptr);
    GdipResetClip(mGraphics);
    return;
  }
  SelectClipRgn(mDc, mClipRegions.back());
  GdipSetClipHrgn(mGraphics, mClipRegions.back(), Gdiplus::CombineModeReplace);
}

void CCanvas::drawRun(int32_t x, int32_t y, const char16_t* text, size_t count) {
  if (count) TextOutW(mDc, x, y, text, static_cast<int>(count));
}

void CCanvas::textOut(int32_t x, int32_t y, const char16_t* text, size_t count) {
  size_t runStart = 0;
  int32_t runWidth = 0;
  for (size_t i = 0; i < count; ++i) {
    const char16_t c = text[i];
    if (c != u'\t' && !isLineBreak(c)) {
      runWidth += charWidth(c);
      continue;
    }
    drawRun(x, y, text + runStart, i - runStart);
    x += runWidth;
    if (c == u'\t') x += charWidth(c);
    runStart = i + 1;
    runWidth = 0;
  }
  drawRun(x, y, text + runStart, count - runStart);
}

void CCanvas::textOutTabs(int32_t x, int32_t y, const char16_t* text, size_t count) {
  if (std::find(text, text + count, u'\t') == text + count) {
    TextOutW(mDc, x, y, text, static_cast<int>(count));
    return;
  }
  std::u16string shown;
  shown.reserve(count + 12);
  for (size_t i = 0; i < count; ++i) {
    if (text[i] == u'\t') shown.append(4, u' ');
    else shown.push_back(text[i]);
  }
  TextOutW(mDc, x, y, shown.data(), static_cast<int>(shown.size()));
}

int32_t CCanvas::charWidth(char16_t c) {
  if (c == u'\r') return 0;
  uint16_t& cached = mWidthCache[c];
  if (cached) return cached == kMeasuredZero ? 0 : cached;
  int32_t width;
  if (c == u'\t') {
    width = 4 * mSpaceWidth;
  } else if (c == u'\n') {
    width = mSpaceWidth;
  } else {
    SIZE size{0, 0};
    GetTextExtentPoint32W(mDc, &c, 1, &size);
    ++mWidthMeasurements;
    width = size.cx;
  }
  width = std::clamp<int32_t>(width, 0, kMeasuredZero - 1);
  cached = width ? static_cast<uint16_t>(width) : kMeasuredZero;
  return width;
}

int32_t CCanvas::charWidthNoBreak(char16_t c) { return isLineBreak(c) ? 0 : charWidth(c); }

int32_t CCanvas::textWidth(const char16_t* text, size_t count) {
  int32_t width = 0;
  for (size_t i = 0; i < count; ++i) width += charWidth(text[i]);
  return width;
}

void CCanvas::measureText(SIZE& out, const std::u16string& text, const RECT& minimum) {
  out = SIZE{minimum.right - minimum.left + 1, minimum.bottom - minimum.top + 1};
  if (text.empty()) return;
  const int32_t viewWidth = mView.right - mView.left;
  const int32_t viewHeight = mView.bottom - mView.top;
  int32_t height = text.back() == u'\n' ? mLineHeight : 0;
  int32_t widest = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(u'\n', start);
    end = end == std::u16string::npos ? text.size() : end + 1;
    widest = std::max(widest, textWidth(text.data() + start, end - start));
    height += mLineHeight;
    start = end;
    if (height >= viewHeight) break;
  }
  out.cx = std::max<LONG>(out.cx, std::min(viewWidth, widest));
  out.cy = std::max<LONG>(out.cy, std::min(viewHeight, height));
}

std::u16string CCanvas::fitText(const std::u16string& text, int32_t width, bool modified) {
  if (modified) width -= charWidthNoBreak(u'*');
  size_t i = 0;
  for (; i < text.size(); ++i) {
    const int32_t w = charWidthNoBreak(text[i]);
    if (w >= width) break;
    width -= w;
  }
  std::u16string fitted = i == text.size() ? text : text.substr(0, i < 2 ? 0 : i - 2) + u"..";
  if (modified) fitted += u'*';
  return fitted;
}
