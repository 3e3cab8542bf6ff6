// A font file face (with fallback faces for characters it lacks) rendered
// by FreeType at one size.
#pragma once
#include <string>
#include <vector>

#include "platform/font/FontInstance.h"

namespace gdi {

struct FaceFile {
  std::string path;
  int index = 0;
};

struct FreeTypeFontRequest {
  FaceFile primary;
  std::vector<FaceFile> fallbacks;  // tried in order for characters the primary lacks
  int height = 0;                   // lfHeight
  int weight = 0;                   // lfWeight; >= 600 emboldens a regular face
  // The font's em square is its text cell, as with the Song-style faces of
  // the original platform (cell height 12 = 12 pixels per em, which selects
  // a 12-pixel bitmap strike when the font has one).
  bool emIsCell = false;
};

class FreeTypeFont final : public FontInstance {
 public:
  // Null when the primary face cannot be loaded.
  static std::unique_ptr<FreeTypeFont> open(const FreeTypeFontRequest& want);
  ~FreeTypeFont() override;

 protected:
  Glyph render(char32_t cp) override;

 private:
  struct Face;
  FreeTypeFont() = default;
  bool loadFace(const FaceFile& file, const FreeTypeFontRequest& want, bool primary);
  std::vector<Face*> mFaces;  // mFaces[0] is the primary
  bool mEmbolden = false;
  double mPpem = 0;  // pixels per em of the primary face
};

}  // namespace gdi
