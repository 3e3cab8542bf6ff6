// Face names to font files through the layer's own fontconfig configuration
// (the system's configuration is neither read nor changed), and the cache of
// font instances.
#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

#include "platform/AsciiCase.h"
#include "platform/CodePage.h"
#include "platform/font/FontInstance.h"
#include "platform/font/FreeTypeFont.h"
#include "platform/font/TestFont.h"

namespace gdi {
namespace {

// The families the program's face names stand for. Unknown faces fall back
// to the sans font (the last rule).
constexpr char kConfig[] = R"(<?xml version="1.0"?>
<fontconfig>
  <match target="pattern">
    <test name="family" qual="any" ignore-blanks="true"><string>宋体</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>AR PL UMing CN</string></edit>
  </match>
  <match target="pattern">
    <test name="family" qual="any" ignore-blanks="true"><string>新宋体</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>AR PL UMing CN</string></edit>
  </match>
  <match target="pattern">
    <test name="family" qual="any" ignore-blanks="true"><string>SimSun</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>AR PL UMing CN</string></edit>
  </match>
  <match target="pattern">
    <test name="family" qual="any" ignore-blanks="true"><string>NSimSun</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>AR PL UMing CN</string></edit>
  </match>
  <match target="pattern">
    <test name="family" qual="any" ignore-blanks="true"><string>MS Shell Dlg</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>WenQuanYi Micro Hei</string></edit>
  </match>
  <match target="pattern">
    <test name="family" qual="any" ignore-blanks="true"><string>MS Shell Dlg 2</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>WenQuanYi Micro Hei</string></edit>
  </match>
  <match target="pattern">
    <edit name="family" mode="append_last"><string>WenQuanYi Micro Hei</string></edit>
  </match>
</fontconfig>
)";

// The Song-style faces, whose em square is their text cell.
constexpr const char16_t* kSongFaces[] = {u"宋体", u"新宋体", u"simsun", u"nsimsun"};

// The font files (Debian's packages fonts-arphic-uming and fonts-wqy-microhei).
// They are added as application fonts, so no font cache is read or written.
constexpr const char* kFontFiles[] = {
    "/usr/share/fonts/truetype/arphic/uming.ttc",
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
};

// The layer's configuration, made on first use and destroyed at exit (the
// leak checker cannot follow fontconfig's internal offsets, so a config left
// alive reads as leaked). Callers hold configLock(); after exit it is null.
std::mutex& configLock() {
  static std::mutex* m = new std::mutex;
  return *m;
}

FcConfig*& configSlot() {
  static FcConfig* cfg = nullptr;
  return cfg;
}

void destroyConfig() {
  std::lock_guard<std::mutex> g(configLock());
  if (configSlot()) FcConfigDestroy(configSlot());
  configSlot() = nullptr;
}

FcConfig* config() {
  static bool made = [] {
    FcConfig* c = FcConfigCreate();
    if (!c) return true;
    bool ok = FcConfigParseAndLoadFromMemory(c, reinterpret_cast<const FcChar8*>(kConfig), FcTrue);
    bool any = false;
    for (const char* file : kFontFiles)
      any = FcConfigAppFontAddFile(c, reinterpret_cast<const FcChar8*>(file)) || any;
    if (!ok || !any) {
      FcConfigDestroy(c);
      return true;
    }
    configSlot() = c;
    std::atexit(destroyConfig);
    return true;
  }();
  (void)made;
  return configSlot();
}

bool faceFile(FcPattern* p, FaceFile* out) {
  FcChar8* file = nullptr;
  int index = 0;
  if (FcPatternGetString(p, FC_FILE, 0, &file) != FcResultMatch) return false;
  FcPatternGetInteger(p, FC_INDEX, 0, &index);
  out->path = reinterpret_cast<const char*>(file);
  out->index = index;
  return true;
}

// The best face for the name, then up to three others for missing glyphs.
bool lookUp(const std::u16string& face, FreeTypeFontRequest* want) {
  std::lock_guard<std::mutex> guard(configLock());
  FcConfig* cfg = config();
  if (!cfg) return false;
  FcPattern* pat = FcPatternCreate();
  std::string name = wideToUtf8(face);
  if (!name.empty()) FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  FcConfigSubstitute(cfg, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result;
  FcFontSet* set = FcFontSort(cfg, pat, FcFalse, nullptr, &result);
  bool found = false;
  if (set) {
    for (int i = 0; i < set->nfont && want->fallbacks.size() < 3; ++i) {
      FaceFile f;
      if (!faceFile(set->fonts[i], &f)) continue;
      if (!found) {
        want->primary = f;
        found = true;
      } else {
        // One face per file: the other faces of a collection cover the same
        // characters.
        bool seen = f.path == want->primary.path;
        for (const FaceFile& g : want->fallbacks) seen = seen || g.path == f.path;
        if (!seen) want->fallbacks.push_back(f);
      }
    }
    FcFontSetDestroy(set);
  }
  FcPatternDestroy(pat);
  return found;
}

struct Cache {
  std::mutex lock;
  std::map<std::tuple<std::u16string, int, bool>, std::shared_ptr<FontInstance>> fonts;
};

Cache& cache() {
  static Cache* c = new Cache;
  return *c;
}

std::shared_ptr<FontInstance> makeFont(const std::u16string& folded, const FontRequest& r) {
  int cell = r.height > 0 ? r.height : r.height < 0 ? -r.height : 16;
  if (folded == toLowerWide(kTestFontFace)) return std::make_shared<TestFont>(cell, r.weight);
  FreeTypeFontRequest want;
  want.height = r.height;
  want.weight = r.weight;
  for (const char16_t* song : kSongFaces) want.emIsCell = want.emIsCell || folded == song;
  if (lookUp(r.face, &want)) {
    if (auto font = FreeTypeFont::open(want)) return std::shared_ptr<FontInstance>(std::move(font));
  }
  return std::make_shared<TestFont>(cell, r.weight);
}

}  // namespace

std::shared_ptr<FontInstance> resolveFont(const FontRequest& r) {
  std::u16string folded = toLowerWide(r.face);
  Cache& c = cache();
  std::lock_guard<std::mutex> g(c.lock);
  auto key = std::make_tuple(folded, r.height, r.weight >= 600);
  auto it = c.fonts.find(key);
  if (it != c.fonts.end()) return it->second;
  auto font = makeFont(folded, r);
  c.fonts.emplace(key, font);
  return font;
}

void clearFontCache() {
  Cache& c = cache();
  std::lock_guard<std::mutex> g(c.lock);
  c.fonts.clear();
}

}  // namespace gdi
