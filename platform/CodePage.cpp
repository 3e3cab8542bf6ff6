#include "platform/CodePage.h"

#include <iconv.h>

#include <cstring>
#include <vector>

namespace {

// GBK tables, filled once from the C library's converter for code page 936.
struct GbkTables {
  char16_t single[256];     // 0 = not a single-byte character (a lead byte or invalid)
  char16_t pair[126][191];  // [lead - 0x81][trail - 0x40]; 0 = no character
  uint16_t encode[65536];   // UTF-16 unit -> GBK bytes (high byte first); 0 = none

  GbkTables() {
    std::memset(this, 0, sizeof(*this));
    iconv_t dec = iconv_open("UTF-16LE", "CP936");
    for (int b = 0; b < 0x80; ++b) single[b] = char16_t(b);
    if (dec == (iconv_t)-1) return;
    auto decode = [&](const char* in, size_t inLen) -> char16_t {
      char16_t out[4] = {};
      char* ip = const_cast<char*>(in);
      char* op = reinterpret_cast<char*>(out);
      size_t il = inLen, ol = sizeof(out);
      iconv(dec, nullptr, nullptr, nullptr, nullptr);
      if (iconv(dec, &ip, &il, &op, &ol) == (size_t)-1 || il != 0) return 0;
      if (sizeof(out) - ol != 2) return 0;
      return out[0];
    };
    for (int b = 0x80; b < 0x100; ++b) {
      char c = char(b);
      single[b] = decode(&c, 1);
    }
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        char in[2] = {char(lead), char(trail)};
        pair[lead - 0x81][trail - 0x40] = decode(in, 2);
      }
    }
    iconv_close(dec);
    // The encoder takes the first code (in byte order) for each character.
    for (int b = 0x100 - 1; b >= 0; --b)
      if (single[b]) encode[single[b]] = uint16_t(b);
    for (int lead = 0xFE; lead >= 0x81; --lead)
      for (int trail = 0xFE; trail >= 0x40; --trail) {
        char16_t u = pair[lead - 0x81][trail - 0x40];
        if (u && (u >= 0x80)) encode[u] = uint16_t((lead << 8) | trail);
      }
    for (int b = 0; b < 0x80; ++b) encode[b] = uint16_t(b);
  }
};

const GbkTables& gbk() {
  static const GbkTables* tables = new GbkTables();  // never freed: used until exit
  return *tables;
}

inline bool isCont(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

size_t utf8Decode(const char* src, size_t n, char16_t* out) {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(src);
  size_t i = 0, o = 0;
  while (i < n) {
    unsigned char c = s[i];
    if (c < 0x80) {
      out[o++] = c;
      ++i;
      continue;
    }
    uint32_t cp = 0;
    size_t len = 0;
    uint32_t min = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2, cp = c & 0x1F, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3, cp = c & 0x0F, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4, cp = c & 0x07, min = 0x10000;
    } else {
      out[o++] = 0xFFFD;
      ++i;
      continue;
    }
    size_t k = 1;
    for (; k < len && i + k < n && isCont(s[i + k]); ++k) {
      cp = (cp << 6) | (s[i + k] & 0x3F);
      // Reject overlong, surrogate and out-of-range forms as soon as the
      // second byte shows them, so the invalid part ends there.
      if (k == 1) {
        if ((len == 3 && c == 0xE0 && s[i + 1] < 0xA0) || (len == 3 && c == 0xED && s[i + 1] > 0x9F) ||
            (len == 4 && c == 0xF0 && s[i + 1] < 0x90) || (len == 4 && c == 0xF4 && s[i + 1] > 0x8F))
          break;
      }
    }
    if (k < len || cp < min) {
      out[o++] = 0xFFFD;
      i += k;  // a valid prefix counts as one bad sequence; the breaking byte starts anew
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out[o++] = char16_t(0xD800 + (cp >> 10));
      out[o++] = char16_t(0xDC00 + (cp & 0x3FF));
    } else {
      out[o++] = char16_t(cp);
    }
    i += len;
  }
  return o;
}

size_t utf8Encode(const char16_t* src, size_t n, char* dst) {
  unsigned char* out = reinterpret_cast<unsigned char*>(dst);
  size_t o = 0;
  for (size_t i = 0; i < n; ++i) {
    uint32_t u = src[i];
    if (u < 0x80) {
      out[o++] = uint8_t(u);
    } else if (u < 0x800) {
      out[o++] = uint8_t(0xC0 | (u >> 6));
      out[o++] = uint8_t(0x80 | (u & 0x3F));
    } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && src[i + 1] >= 0xDC00 && src[i + 1] <= 0xDFFF) {
      uint32_t cp = 0x10000 + ((u - 0xD800) << 10) + (src[i + 1] - 0xDC00);
      ++i;
      out[o++] = uint8_t(0xF0 | (cp >> 18));
      out[o++] = uint8_t(0x80 | ((cp >> 12) & 0x3F));
      out[o++] = uint8_t(0x80 | ((cp >> 6) & 0x3F));
      out[o++] = uint8_t(0x80 | (cp & 0x3F));
    } else {
      if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
      out[o++] = uint8_t(0xE0 | (u >> 12));
      out[o++] = uint8_t(0x80 | ((u >> 6) & 0x3F));
      out[o++] = uint8_t(0x80 | (u & 0x3F));
    }
  }
  return o;
}

size_t ansiDecode(const char* src, size_t n, char16_t* out) {
  const GbkTables& t = gbk();
  const unsigned char* s = reinterpret_cast<const unsigned char*>(src);
  size_t i = 0, o = 0;
  while (i < n) {
    unsigned char c = s[i];
    if (c < 0x80) {
      out[o++] = c;
      ++i;
    } else if (t.single[c]) {
      out[o++] = t.single[c];
      ++i;
    } else if (c >= 0x81 && c <= 0xFE && i + 1 < n && s[i + 1] >= 0x40 && s[i + 1] <= 0xFE && s[i + 1] != 0x7F) {
      char16_t u = t.pair[c - 0x81][s[i + 1] - 0x40];
      out[o++] = u ? u : u'?';
      i += 2;
    } else {
      out[o++] = u'?';
      ++i;
    }
  }
  return o;
}

size_t ansiEncode(const char16_t* src, size_t n, char* dst) {
  const GbkTables& t = gbk();
  size_t o = 0;
  for (size_t i = 0; i < n; ++i) {
    char16_t u = src[i];
    if (u < 0x80) {
      dst[o++] = char(u);
      continue;
    }
    uint16_t code = t.encode[u];
    if (code == 0) {
      dst[o++] = '?';
    } else if (code < 0x100) {
      dst[o++] = char(code);
    } else {
      dst[o++] = char(code >> 8);
      dst[o++] = char(code & 0xFF);
    }
  }
  return o;
}

int MultiByteToWideChar(UINT codePage, DWORD, const char* src, int srcLen, char16_t* dst, int dstLen) {
  if (!src || codePage == 1200 || codePage == 1201) return 0;
  size_t n = srcLen < 0 ? std::strlen(src) + 1 : size_t(srcLen);
  if (n == 0) return 0;
  if (dst && size_t(dstLen) >= n)  // room for the most units n bytes can give: straight in
    return int(codePage == CP_UTF8 ? utf8Decode(src, n, dst) : ansiDecode(src, n, dst));
  std::vector<char16_t> tmp(n);
  size_t got = codePage == CP_UTF8 ? utf8Decode(src, n, tmp.data()) : ansiDecode(src, n, tmp.data());
  if (dstLen == 0) return int(got);
  if (!dst || size_t(dstLen) < got) return 0;
  std::memcpy(dst, tmp.data(), got * sizeof(char16_t));
  return int(got);
}

int WideCharToMultiByte(UINT codePage, DWORD, const char16_t* src, int srcLen, char* dst, int dstLen, const char*,
                        BOOL* usedDefault) {
  if (usedDefault) *usedDefault = FALSE;
  if (!src) return 0;
  size_t n = 0;
  if (srcLen < 0) {
    while (src[n]) ++n;
    ++n;
  } else {
    n = size_t(srcLen);
  }
  if (n == 0) return 0;
  if (dst && size_t(dstLen) >= n * (codePage == CP_UTF8 ? 3 : 2))  // room for the most bytes
    return int(codePage == CP_UTF8 ? utf8Encode(src, n, dst) : ansiEncode(src, n, dst));
  std::vector<char> tmp(n * 3);
  size_t got = codePage == CP_UTF8 ? utf8Encode(src, n, tmp.data()) : ansiEncode(src, n, tmp.data());
  if (dstLen == 0) return int(got);
  if (!dst || size_t(dstLen) < got) return 0;
  std::memcpy(dst, tmp.data(), got);
  return int(got);
}

std::u16string ansiToWide(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  out.resize(ansiDecode(bytes.data(), bytes.size(), out.data()));
  return out;
}

std::u16string utf8ToWide(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  out.resize(utf8Decode(bytes.data(), bytes.size(), out.data()));
  return out;
}

std::string wideToUtf8(std::u16string_view text) {
  std::string out(text.size() * 3, '\0');
  out.resize(utf8Encode(text.data(), text.size(), out.data()));
  return out;
}

std::string wideToAnsi(std::u16string_view text) {
  std::string out(text.size() * 2, '\0');
  out.resize(ansiEncode(text.data(), text.size(), out.data()));
  return out;
}
