#include "platform/xl/Text.h"

#include "platform/CodePage.h"

namespace xl::detail {

namespace {

bool isHex(char16_t c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

int hexValue(char16_t c) {
  if (c <= '9') return c - '0';
  return (c | 0x20) - 'a' + 10;
}

// Whether s[i..] is an _xHHHH_ form.
bool escapeAt(std::u16string_view s, size_t i) {
  if (i + 7 > s.size() || s[i] != '_' || s[i + 1] != 'x' || s[i + 6] != '_') return false;
  for (size_t k = 2; k < 6; ++k)
    if (!isHex(s[i + k])) return false;
  return true;
}

void appendEscape(std::string& out, unsigned code) {
  static const char digits[] = "0123456789ABCDEF";
  out += "_x";
  for (int shift = 12; shift >= 0; shift -= 4) out += digits[(code >> shift) & 15];
  out += '_';
}

// Appends the UTF-8 of n code units (one character, or a surrogate pair).
void appendUtf8(std::string& out, const char16_t* units, size_t n) {
  char buf[6];
  out.append(buf, utf8Encode(units, n, buf));
}

}  // namespace

std::u16string decodeXmlEscapes(std::u16string s) {
  if (s.find(u"_x") == std::u16string::npos) return s;
  std::u16string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    if (escapeAt(s, i)) {
      unsigned code = 0;
      for (size_t k = 2; k < 6; ++k) code = code * 16 + unsigned(hexValue(s[i + k]));
      out += char16_t(code);
      i += 7;
    } else {
      out += s[i++];
    }
  }
  return out;
}

void appendXmlText(std::string& out, std::u16string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c >= 0x20 && c < 0x80) {
      switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '_':
          if (escapeAt(s, i)) appendEscape(out, '_');
          else out += '_';
          break;
        default: out += char(c);
      }
    } else if (c == '\n' || c == '\t') {
      out += char(c);
    } else if (c == '\r') {
      out += "&#13;";
    } else if (c < 0x20 || c == 0xFFFE || c == 0xFFFF) {
      appendEscape(out, c);
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      appendUtf8(out, &s[i], 2);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      appendEscape(out, c);
    } else {
      appendUtf8(out, &s[i], 1);
    }
  }
}

}  // namespace xl::detail
