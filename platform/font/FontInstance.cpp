// The glyph caches of a font.
#include "platform/font/FontInstance.h"

namespace gdi {

FontInstance::~FontInstance() {
  for (auto& p : mPages) delete p.load(std::memory_order_relaxed);
}

const Glyph& FontInstance::unitGlyph(char16_t unit) {
  Page* page = mPages[unit >> 8].load(std::memory_order_acquire);
  if (page) {
    if (const Glyph* g = page->glyphs[unit & 0xFF].load(std::memory_order_acquire)) return *g;
  }
  std::lock_guard<std::mutex> guard(mLock);
  page = mPages[unit >> 8].load(std::memory_order_relaxed);
  if (!page) {
    page = new Page;
    mPages[unit >> 8].store(page, std::memory_order_release);
  }
  if (const Glyph* g = page->glyphs[unit & 0xFF].load(std::memory_order_relaxed)) return *g;
  bool surrogate = unit >= 0xD800 && unit <= 0xDFFF;
  mOwned.push_back(std::make_unique<Glyph>(render(surrogate ? 0xFFFFFFFF : unit)));
  const Glyph* g = mOwned.back().get();
  page->glyphs[unit & 0xFF].store(g, std::memory_order_release);
  return *g;
}

const Glyph& FontInstance::codePointGlyph(char32_t cp) {
  if (cp < 0x10000) return unitGlyph(static_cast<char16_t>(cp));
  std::lock_guard<std::mutex> guard(mLock);
  for (auto& [c, g] : mOthers)
    if (c == cp) return *g;
  mOwned.push_back(std::make_unique<Glyph>(render(cp)));
  mOthers.emplace_back(cp, mOwned.back().get());
  return *mOwned.back();
}

}  // namespace gdi
