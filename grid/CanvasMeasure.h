// Auto-fit measuring on a drawing surface: the operations block's TextMeasure answered by a
// grid's CCanvas, so that fitted column widths and row heights come from the real glyph
// advances and line height of the cell font.
#pragma once
#include "commands/TextMeasure.h"
#include "controls/Canvas.h"

class CanvasMeasure final : public TextMeasure {
 public:
  // `canvas` must stay begun (it needs its DC) while the measure is used; the font that
  // setFont selects stays on the canvas afterwards.
  explicit CanvasMeasure(CCanvas& canvas) : mCanvas(canvas) {}

  void setFont(int32_t height, const std::u16string& face) override { mCanvas.setFont(height, face.c_str()); }
  // The canvas's cached advance (a TAB four spaces, CR none).
  int32_t charWidth(char16_t c) override { return mCanvas.charWidth(c); }
  // Height of a space in the current font + the canvas's line gap.
  int32_t lineHeight() override { return mCanvas.lineHeight(); }

 private:
  CCanvas& mCanvas;
};
