// What the operations block needs from a drawing surface to auto-fit column widths and
// row heights. The grid's drawing surface implements it; tests stub it.
#pragma once
#include <cstdint>
#include <string>

class TextMeasure {
 public:
  // Selects the font (height in unzoomed pixels, face name).
  virtual void setFont(int32_t height, const std::u16string& face) = 0;
  // Advance of one code unit in the current font.
  virtual int32_t charWidth(char16_t c) = 0;
  // Height of one text line in the current font.
  virtual int32_t lineHeight() = 0;

 protected:
  ~TextMeasure() = default;
};

// The cell font of a grid style, as auto-fit sets it on the surface.
struct CellFont {
  int32_t height = 12;
  std::u16string face = u"宋体";
};
