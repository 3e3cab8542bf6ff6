// What a script renderer needs from the surface it draws on: the line metrics and the
// cached character widths of the current font, the text colour, one-run text output and
// rectangle inversion. Coordinates are the surface's drawing coordinates; the surface's
// font, background mode and clip are its owner's business.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/WinTypes.h"

class ScriptSurface {
 public:
  virtual ~ScriptSurface() = default;
  // Height of one text line (> 0 once a font is measured).
  virtual int32_t lineHeight() const = 0;
  // Pixels between a line's top and the top of its text.
  virtual int32_t gapAbove() const = 0;
  // Advance of one character: a tab counts four spaces, a line feed one space, CR nothing.
  virtual int32_t charWidth(char16_t c) = 0;
  // The same, but CR and LF count nothing.
  virtual int32_t charWidthNoBreak(char16_t c) = 0;
  virtual void setTextColor(COLORREF colour) = 0;
  // Draws `count` characters at (x, y) as one run, each tab shown as four spaces.
  virtual void textOutTabs(int32_t x, int32_t y, const char16_t* text, size_t count) = 0;
  // Inverts the pixels of `area` (right and bottom exclusive).
  virtual void invertRect(const RECT& area) = 0;
};
