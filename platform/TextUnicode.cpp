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
         (u >= 0x3400 && u <= 0x4DBF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xAC00 && u <= 0xD7A3) ||
         (u >= 0xFF00 && u <= 0xFFEF);
}

bool isHighSurrogate(uint16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(uint16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Whether the bytes read as GBK text with at least one two-byte character:
// bytes below 0x80 are printable ASCII, TAB, LF or CR (no NUL, no other
// control byte), every lead byte 0x81-0xFE is followed by a trail byte
// 0x40-0xFE other than 0x7F, and 0x80 and 0xFF never stand alone. A lead byte
// cut off by the end of the buffer is not held against the text. UTF-16 text
// with any ASCII or Latin-1 character holds NUL bytes, so it never passes.
bool looksLikeGbk(const uint8_t* b, int len) {
  bool pairs = false;
  for (int i = 0; i < len; ++i) {
    const uint8_t c = b[i];
    if (c < 0x80) {
      if (c < 0x20 && c != 0x09 && c != 0x0A && c != 0x0D) return false;
      if (c == 0x7F) return false;
      continue;
    }
    if (c == 0x80 || c == 0xFF) return false;
    if (i + 1 == len) break;
    const uint8_t trail = b[i + 1];
    if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return false;
    pairs = true;
    ++i;
  }
  return pairs;
}

// Everything past the byte order mark check; `b` holds an even count of bytes.
bool looksLikeUtf16le(const uint8_t* b, int len) {
  int units = len / 2;
  int plausible = 0;
  int latin = 0;    // units below 0x100: ASCII and Latin-1 characters
  int highLow = 0;  // units whose low byte is 0x80 or above
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
  if (plausible * 10 < units * 9) return false;
  // Mostly-CJK GBK pairs into units of the ideograph and Hangul blocks, so a
  // plausible reading alone does not decide: bytes that are sound GBK text
  // (which UTF-16 with any line break or delimiter never is) are taken as GBK.
  return !looksLikeGbk(b, len);
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
