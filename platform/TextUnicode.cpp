#include "platform/TextUnicode.h"

#include <cstdint>

namespace {

// A unit a text could hold: ASCII and Latin-1 printables and TAB, LF, CR;
// Latin extensions, Greek, Cyrillic; punctuation and symbols; CJK
// punctuation, kana, ideographs; Hangul syllables; full-width forms.
bool plausibleUnit(uint16_t u) {
  if (u < 0x100) {
    return u == 0x09 || u == 0x0A || u == 0x0D || (u >= 0x20 && u <= 0x7E) || u >= 0xA0;
  }
  return u <= 0x052F || (u >= 0x2000 && u <= 0x27BF) || (u >= 0x3000 && u <= 0x30FF) ||
         (u >= 0x3400 && u <= 0x4DBF) || (u >= 0x4E00 && u <= 0x9FFF) ||
         (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xFF00 && u <= 0xFFEF);
}

bool isHighSurrogate(uint16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(uint16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Everything past the byte order mark check; `b` holds an even count of bytes.
bool looksLikeUtf16le(const uint8_t* b, int len) {
  int units = len / 2;
  int plausible = 0;
  int latin = 0;     // units below 0x100: ASCII and Latin-1 characters
  int highLow = 0;   // units whose low byte is 0x80 or above
  bool asciiOnly = true;
  for (int i = 0; i < len; ++i) {
    if (b[i] == 0 || b[i] >= 0x80) {
      asciiOnly = false;
      break;
    }
  }
  if (asciiOnly) return false;
  for (int i = 0; i < units; ++i) {
    uint16_t u = static_cast<uint16_t>(b[2 * i] | (b[2 * i + 1] << 8));
    if (u == 0 || u == 0xFFFE || u == 0xFFFF) return false;
    if (isHighSurrogate(u)) {
      // A pair cut off by the end of the buffer is not held against the text.
      if (i + 1 == units) break;
      uint16_t next = static_cast<uint16_t>(b[2 * i + 2] | (b[2 * i + 3] << 8));
      if (!isLowSurrogate(next)) return false;
      plausible += 2;
      ++i;
      continue;
    }
    if (isLowSurrogate(u)) return false;
    if (plausibleUnit(u)) ++plausible;
    if (u < 0x100) ++latin;
    if ((u & 0xFF) >= 0x80) ++highLow;
  }
  // Without a single ASCII or Latin-1 character (no zero high byte), the text
  // must be CJK-like, whose low bytes spread over the whole range; byte text
  // that is mostly ASCII pairs into units with low bytes below 0x80.
  if (latin == 0 && highLow * 5 < units) return false;
  return plausible * 10 >= units * 9;
}

}  // namespace

BOOL IsTextUnicode(const void* buf, int len, int* result) {
  const auto* b = static_cast<const uint8_t*>(buf);
  bool yes = false;
  if (b != nullptr && len >= 2 && len % 2 == 0) {
    if (b[0] == 0xFF && b[1] == 0xFE) {
      yes = true;
    } else if (!(b[0] == 0xFE && b[1] == 0xFF)) {
      yes = looksLikeUtf16le(b, len);
    }
  }
  if (result != nullptr) *result = yes ? 1 : 0;
  return yes ? TRUE : FALSE;
}
