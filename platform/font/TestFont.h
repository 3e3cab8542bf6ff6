// The synthetic fixed-metric font (see kTestFontFace).
#pragma once
#include "platform/font/FontInstance.h"

namespace gdi {

class TestFont final : public FontInstance {
 public:
  explicit TestFont(int cellHeight, int weight);

 protected:
  Glyph render(char32_t cp) override;
};

}  // namespace gdi
