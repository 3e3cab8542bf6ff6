// A drawing surface for the renderers that measures every ASCII character 10 pixels wide
// (tab 40, line feed one space or nothing, CR nothing), other characters 20, and records
// what is drawn.
#pragma once
#include <string>
#include <vector>

#include "controls/ScriptSurface.h"
#include "platform/CodePage.h"

class FakeSurface : public ScriptSurface {
 public:
  struct Drawn {
    COLORREF colour;
    int32_t x, y;
    std::string text;
  };
  std::vector<Drawn> drawn;       // every textOutTabs with the colour then set
  std::vector<COLORREF> colours;  // every setTextColor
  std::vector<RECT> inverted;
  COLORREF current = 0xFFFFFFFF;

  int32_t lineHeight() const override { return 16; }
  int32_t gapAbove() const override { return 2; }
  int32_t charWidth(char16_t c) override { return c == u'\n' ? 10 : charWidthNoBreak(c); }
  int32_t charWidthNoBreak(char16_t c) override {
    if (c == u'\t') return 40;
    if (c == u'\n' || c == u'\r') return 0;
    return c < 0x80 ? 10 : 20;
  }
  void setTextColor(COLORREF colour) override { colours.push_back(current = colour); }
  void textOutTabs(int32_t x, int32_t y, const char16_t* text, size_t count) override {
    drawn.push_back({current, x, y, wideToUtf8(std::u16string(text, count))});
  }
  void invertRect(const RECT& area) override { inverted.push_back(area); }
};
