// A font at one size: its metrics and its glyphs, rendered once and kept.
// Fonts are shared by every HFONT that resolves to the same face and size.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace gdi {

// One rendered glyph. Coverage is row-major, `width` bytes a row, 0..255.
struct Glyph {
  int advance = 0;  // pen advance in pixels
  int left = 0;     // bitmap's first column relative to the pen x
  int top = 0;      // bitmap's first row relative to the text cell's top
  int width = 0, rows = 0;
  bool solid = false;  // every coverage value is 0 or 255 (bitmap strikes)
  std::vector<uint8_t> coverage;
};

struct FontMetrics {
  int height = 0;  // text cell: ascent + descent
  int ascent = 0;  // baseline below the cell top
  int descent = 0;
  int internalLeading = 0;
  int aveCharWidth = 0;
  int maxCharWidth = 0;
  int weight = 400;
  int overhang = 0;  // extra advance of synthetic bold
};

class FontInstance {
 public:
  FontInstance() = default;
  virtual ~FontInstance();
  FontInstance(const FontInstance&) = delete;
  FontInstance& operator=(const FontInstance&) = delete;
  const FontMetrics& metrics() const { return mMetrics; }
  const std::u16string& family() const { return mFamily; }

  // The glyph of one UTF-16 code unit (a lone surrogate gives the missing-
  // glyph box) and of a code point beyond the BMP. Rendered on first use and
  // kept for the life of the font; the reference stays valid.
  const Glyph& unitGlyph(char16_t unit);
  const Glyph& codePointGlyph(char32_t cp);

 protected:
  virtual Glyph render(char32_t cp) = 0;  // cp 0xFFFFFFFF: the missing glyph
  FontMetrics mMetrics;
  std::u16string mFamily;

 private:
  // Code-unit cache: 256 pages of 256 entries, filled under mLock, read
  // without it. A null entry is a glyph not rendered yet; entries and pages
  // never change once set, so readers need only acquire loads.
  struct Page {
    std::atomic<const Glyph*> glyphs[256] = {};
  };
  std::atomic<Page*> mPages[256] = {};
  std::mutex mLock;                                        // guards filling, mOthers and mOwned
  std::vector<std::pair<char32_t, const Glyph*>> mOthers;  // code points beyond the BMP
  std::vector<std::unique_ptr<Glyph>> mOwned;              // every glyph rendered
};

// What a LOGFONTW asks for, reduced to what selects a FontInstance.
struct FontRequest {
  std::u16string face;  // as given (may be empty)
  int height = 0;       // lfHeight
  int weight = 0;       // lfWeight
};

// The font for a request: faces "宋体" (and "新宋体", "SimSun", "NSimSun")
// resolve to the Song-style CJK font, "MS Shell Dlg" and unknown faces to
// the CJK sans font, through the layer's own fontconfig configuration;
// kTestFontFace selects the synthetic fixed-metric font. Equal requests share
// one instance. Never null: when no font file can be loaded the synthetic
// font stands in.
std::shared_ptr<FontInstance> resolveFont(const FontRequest& request);

// The synthetic font: no files, computable metrics. For a cell height h
// (lfHeight > 0, or -lfHeight, or 16 when 0): tmHeight h, ascent h - h / 4,
// descent h / 4; code units below U+1100 advance max(h / 2, 1), others h;
// every glyph except the space (U+0020), tab and line breaks is a solid box
// covering columns [0, advance - 1) and rows [1, h - 1) of its cell.
constexpr char16_t kTestFontFace[] = u"Morvel Test Fixed";

// Releases every cached font (tests; the fonts in use stay alive).
void clearFontCache();

}  // namespace gdi
