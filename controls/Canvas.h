// The off-screen drawing surface of one window. A control paints everything into the
// canvas's memory DC, then copies the painted area to its window with one BitBlt, so that
// nothing flickers. The canvas owns the current font, pen and brush, keeps a clip stack that
// limits GDI and GDI+ drawing alike, caches the advance of every UTF-16 code unit in the
// current font, and lays out text (tabs, line breaks, alignment, fitting with ".." and "*")
// the same way for every control.
//
// Rectangles are inclusive on all four sides here: a RECT (l, t, r, b) covers r - l + 1
// columns and b - t + 1 rows. Only ScriptSurface::invertRect keeps the platform's exclusive
// right and bottom.
//
// A paint: begin (at creation and on every resize; it drops font, pen and brush), setFont /
// setPen / setBrush as needed, draw (owners may also call GDI directly on mDc), pushClip and
// popClip in pairs, copyTo the window DC. UI thread only. No operation reports failure: a
// failed GDI creation leaves a null handle that later calls hand on to GDI.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "controls/ScriptSurface.h"
#include "platform/WinTypes.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdiplus/gdiplus.h"

class CCanvas : public ScriptSurface {
 public:
  RECT mView{};                       // area given to begin, owner client coordinates, inclusive
  HDC mDc = nullptr;                  // memory DC; non-null exactly between begin and end
  HWND mOwner = nullptr;              // window the DC is made compatible with; null: the screen
  HBITMAP mBitmap = nullptr;          // selected into mDc while it exists
  HGDIOBJ mReplacedBitmap = nullptr;  // what mBitmap replaced in mDc
  HPEN mPen = nullptr;                // current pen, owned, selected into mDc
  HFONT mFont = nullptr;              // current font, owned, selected into mDc
  HGDIOBJ mReplacedPen = nullptr;     // the pen in mDc before the canvas's first pen
  HGDIOBJ mReplacedFont = nullptr;    // the font in mDc before the canvas's first font
  HBRUSH mBrush = nullptr;            // current brush, owned, selected into mDc
  HGDIOBJ mReplacedBrush = nullptr;   // the brush in mDc before the canvas's first brush
  int32_t mLineGap = 3;               // extra pixels of every text line
  int32_t mGapAbove = 2;              // text is drawn this far below a line's top
  int32_t mGapBelow = 1;              // mLineGap - mGapAbove
  int32_t mSpaceWidth = 0;            // width of " " in the current font
  int32_t mLineHeight = 0;            // height of " " in the current font + mLineGap
  std::vector<HRGN> mClipRegions;     // the clip stack's regions, newest last, owned
  std::vector<RECT> mClipRects;       // its rectangles, in step with mClipRegions
  GpGraphics* mGraphics = nullptr;    // GDI+ on mDc; non-null exactly between begin and end
  // Advance of each code unit in the current font: 0 = not measured yet, kMeasuredZero = a
  // measured width of 0. Cleared whenever the font changes (setFont, setFontIndirect, begin).
  std::vector<uint16_t> mWidthCache;
  // GDI measurements made to fill mWidthCache since construction (for tests and benchmarks).
  size_t mWidthMeasurements = 0;

  static constexpr uint16_t kMeasuredZero = 0xFFFF;

  CCanvas();
  ~CCanvas() override;
  CCanvas(const CCanvas&) = delete;
  CCanvas& operator=(const CCanvas&) = delete;

  // (Re)creates the surface for `view`: ends the previous one, makes a memory DC and a
  // bitmap of the view's inclusive size compatible with mOwner's DC, selects a white brush
  // and a white pen of width 1, sets TRANSPARENT background mode, measures the DC's default
  // font and makes the GDI+ Graphics. Drawing coordinates have their origin at the view's
  // top-left corner. The clip stack is left as it is.
  void begin(const RECT& view);
  // Releases everything that begin, setFont, setPen and setBrush made; handles become null.
  void end();
  // Copies `area` (view coordinates, inclusive) of the canvas to the same place of
  // `windowDc`. Nothing when area.left == area.right or area.top == area.bottom; a negative
  // left or top of the caller's `area` is set to 0; only the part inside mView is copied,
  // and nothing when that part is empty.
  void copyTo(HDC windowDc, RECT& area);

  // A new current font (width 0, weight FW_DONTCARE, DEFAULT_CHARSET, defaults elsewhere);
  // re-measures the space and clears the width cache.
  void setFont(int32_t height, const char16_t* face);
  void setFontIndirect(const LOGFONTW& font);
  void setPen(COLORREF colour, uint8_t width);
  void setBrush(COLORREF colour);

  // A line with the current pen that includes its end point (GDI leaves the end point out:
  // a vertical line or a point is drawn to y2 + 1, a horizontal one to x2 + 1, a slanted
  // one to (x2, y2) as it is).
  void drawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  // Blends `colour` with `alpha` over area ∩ mView (the caller's area becomes that
  // intersection, (0, 0, 0, 0) when it is empty, and then nothing is drawn).
  void fillAlpha(RECT& area, COLORREF colour, uint8_t alpha);
  // Opaque vertical gradient over `area`: row area.top has colour `top`, the colour `bottom`
  // would be reached at area.bottom + 1. Nothing for an empty area.
  void fillGradient(RECT area, COLORREF top, COLORREF bottom);
  // Multi-line text aligned in `area`. Flags: 1 centre, 2 right (wins over 1), 4 middle,
  // 8 bottom (wins over 4); 0 top left. Lines are taken from the top while some of the
  // area's height is left, so the last one may run past the bottom; vertical alignment
  // applies only when every line fits with height to spare. Nothing for an empty text or an
  // area lower than a third of a line or narrower than a third of a space.
  void drawTextInRect(const RECT& area, const std::u16string& text, uint32_t flags);

  // Narrows the clip to r ∩ the current top of the stack (r itself on an empty stack), for
  // GDI and GDI+. An empty intersection clips everything.
  void pushClip(const RECT& r);
  // Restores the clip before the matching pushClip; popping the last entry removes the
  // clip. Nothing on an empty stack.
  void popClip();

  // One line at (x, y): runs between tabs and line breaks are drawn with TextOutW; a tab
  // advances four spaces (a fixed advance, not a tab stop); CR and LF are skipped without
  // advance.
  void textOut(int32_t x, int32_t y, const char16_t* text, size_t count);
  // One TextOutW of the run, every tab shown as four spaces.
  void textOutTabs(int32_t x, int32_t y, const char16_t* text, size_t count) override;

  // Cached advance: tab 4 spaces, LF one space, CR 0, others measured once per font.
  int32_t charWidth(char16_t c) override;
  // As charWidth, but CR and LF count 0.
  int32_t charWidthNoBreak(char16_t c) override;
  // Sum of charWidth over `count` characters.
  int32_t textWidth(const char16_t* text, size_t count);
  // Size of a text block: at least `minimum`'s inclusive size; beyond it the widest line
  // (its line feed counted as a space) and the lines' height, each capped at the view's
  // size (right - left, bottom - top). An empty text gives the minimum.
  void measureText(SIZE& out, const std::u16string& text, const RECT& minimum);
  // `text` cut to `width` pixels: whole when every character fits (a character that would
  // use up the width exactly does not), else its first i - 2 characters + ".." where i
  // characters fit; with `modified`, room for "*" is kept and "*" is appended.
  std::u16string fitText(const std::u16string& text, int32_t width, bool modified);

  // ScriptSurface, for the script renderers.
  int32_t lineHeight() const override { return mLineHeight; }
  int32_t gapAbove() const override { return mGapAbove; }
  void setTextColor(COLORREF colour) override { SetTextColor(mDc, colour); }
  void invertRect(const RECT& area) override { InvertRect(mDc, &area); }

 private:
  // mSpaceWidth and mLineHeight from " " in the DC's current font; clears the width cache.
  void measureSpace();
  // Selects a newly made font as the current one and deletes the previous current font.
  void adoptFont(HFONT font);
  // Selects the top of the clip stack into mDc and mGraphics, or removes the clip.
  void applyClip();
  // Draws a run without tabs or line breaks with one TextOutW.
  void drawRun(int32_t x, int32_t y, const char16_t* text, size_t count);
};
