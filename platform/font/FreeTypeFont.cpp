#include "platform/font/FreeTypeFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <mutex>

namespace gdi {
namespace {

// FreeType's library object: created on first use, never destroyed. Opening
// and closing faces goes through libraryLock().
FT_Library library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l)) l = nullptr;
    return l;
  }();
  return lib;
}

std::mutex& libraryLock() {
  static std::mutex* m = new std::mutex;
  return *m;
}

// Vertical design metrics: the Windows ascent/descent when the font has them.
void designMetrics(FT_Face face, int* ascent, int* descent) {
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
    *ascent = os2->usWinAscent;
    *descent = os2->usWinDescent;
  } else {
    *ascent = face->ascender;
    *descent = -face->descender;
  }
  if (*ascent + *descent <= 0) {
    *ascent = face->units_per_EM;
    *descent = 0;
  }
}

// Copies a rendered FreeType bitmap into coverage bytes 0..255.
void copyBitmap(const FT_Bitmap& b, Glyph* g) {
  g->width = static_cast<int>(b.width);
  g->rows = static_cast<int>(b.rows);
  g->coverage.assign(static_cast<size_t>(g->width) * g->rows, 0);
  bool solid = true;
  for (int y = 0; y < g->rows; ++y) {
    const unsigned char* src = b.buffer + static_cast<ptrdiff_t>(y) * b.pitch;
    uint8_t* dst = g->coverage.data() + static_cast<size_t>(y) * g->width;
    for (int x = 0; x < g->width; ++x) {
      int v;
      if (b.pixel_mode == FT_PIXEL_MODE_MONO) {
        v = (src[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0;
      } else {
        int grays = b.num_grays > 1 ? b.num_grays - 1 : 255;
        v = src[x] * 255 / grays;
      }
      dst[x] = static_cast<uint8_t>(v);
      solid = solid && (v == 0 || v == 255);
    }
  }
  g->solid = solid;
}

}  // namespace

struct FreeTypeFont::Face {
  FT_Face face = nullptr;
  bool bitmapStrike = false;  // the size selected an embedded bitmap strike
};

std::unique_ptr<FreeTypeFont> FreeTypeFont::open(const FreeTypeFontRequest& want) {
  std::unique_ptr<FreeTypeFont> font(new FreeTypeFont);
  if (!library() || !font->loadFace(want.primary, want, true)) return nullptr;
  for (const FaceFile& f : want.fallbacks) font->loadFace(f, want, false);
  return font;
}

FreeTypeFont::~FreeTypeFont() {
  std::lock_guard<std::mutex> g(libraryLock());
  for (Face* f : mFaces) {
    FT_Done_Face(f->face);
    delete f;
  }
}

// Opens one face at the size the request asks for. The primary face also fixes
// the metrics; fallback faces get the primary's pixels per em.
bool FreeTypeFont::loadFace(const FaceFile& file, const FreeTypeFontRequest& want, bool primary) {
  FT_Face face = nullptr;
  {
    std::lock_guard<std::mutex> g(libraryLock());
    if (FT_New_Face(library(), file.path.c_str(), file.index, &face)) return false;
  }
  int asc = 0, desc = 0;
  designMetrics(face, &asc, &desc);
  const double upem = face->units_per_EM ? face->units_per_EM : 1000;
  double ppem;
  if (primary) {
    int h = want.height ? want.height : 16;
    if (want.emIsCell) {
      ppem = std::abs(h);
      mMetrics.height = std::abs(h);
    } else if (h > 0) {
      ppem = h * upem / (asc + desc);
      mMetrics.height = h;
    } else {
      ppem = -h;
      mMetrics.height = static_cast<int>(std::lround(ppem * (asc + desc) / upem));
    }
    mMetrics.height = std::max(mMetrics.height, 1);
    mMetrics.ascent = static_cast<int>(std::lround(mMetrics.height * double(asc) / (asc + desc)));
    mMetrics.descent = mMetrics.height - mMetrics.ascent;
    mMetrics.internalLeading = std::max(0, mMetrics.height - static_cast<int>(std::lround(ppem)));
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    int avg = os2 && os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth : face->max_advance_width / 2;
    mMetrics.aveCharWidth = static_cast<int>(std::lround(avg * ppem / upem));
    mMetrics.maxCharWidth = static_cast<int>(std::lround(face->max_advance_width * ppem / upem));
    mEmbolden = want.weight >= 600 && !(face->style_flags & FT_STYLE_FLAG_BOLD);
    mMetrics.weight = want.weight ? want.weight : 400;
    mMetrics.overhang = 0;
    mFamily.clear();
    for (const char* p = face->family_name; p && *p; ++p)
      mFamily += static_cast<char16_t>(static_cast<unsigned char>(*p));
    mPpem = ppem;
  } else {
    ppem = mPpem;
  }
  FT_F26Dot6 size = static_cast<FT_F26Dot6>(std::lround(std::max(ppem, 1.0) * 64));
  if (FT_Set_Char_Size(face, 0, size, 72, 72)) {
    std::lock_guard<std::mutex> g(libraryLock());
    FT_Done_Face(face);
    return false;
  }
  auto* f = new Face;
  f->face = face;
  f->bitmapStrike = FT_HAS_FIXED_SIZES(face) && face->size->metrics.y_ppem == std::lround(ppem) &&
                    std::abs(ppem - std::lround(ppem)) < 1e-9;
  mFaces.push_back(f);
  return true;
}

Glyph FreeTypeFont::render(char32_t cp) {
  Face* face = mFaces[0];
  FT_UInt index = 0;
  if (cp != 0xFFFFFFFF) {
    for (Face* f : mFaces) {
      if ((index = FT_Get_Char_Index(f->face, cp)) != 0) {
        face = f;
        break;
      }
    }
  }
  Glyph g;
  FT_Int32 flags = face->bitmapStrike ? FT_LOAD_DEFAULT : FT_LOAD_TARGET_LIGHT;
  if (FT_Load_Glyph(face->face, index, flags)) return g;
  FT_GlyphSlot slot = face->face->glyph;
  if (mEmbolden) FT_GlyphSlot_Embolden(slot);
  if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL)) return g;
  g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  g.left = slot->bitmap_left;
  g.top = mMetrics.ascent - slot->bitmap_top;
  copyBitmap(slot->bitmap, &g);
  return g;
}

}  // namespace gdi
