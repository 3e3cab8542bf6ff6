#include "store/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/Crt.h"

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

void appendAscii(std::u16string& out, const char* s, size_t n) {
  size_t at = out.size();
  out.resize(at + n);
  for (size_t i = 0; i < n; ++i) out[at + i] = static_cast<unsigned char>(s[i]);
}

}  // namespace

int numberKind(const char16_t* text) {
  if (!text) return 0;
  return numberKind(std::u16string_view(text, std::char_traits<char16_t>::length(text)));
}

int numberKind(std::u16string_view text) {
  int64_t i;
  double d;
  return numberValue(text, i, d);
}

int numberValue(std::u16string_view text, int64_t& intValue, double& doubleValue) {
  text = upToNul(text);
  const size_t n = text.size();
  if (n == 0) return 0;
  if (text[0] == u'0' && n > 1 && text[1] != u'.') return 0;
  size_t i = 0;
  bool negative = false;
  if (text[0] == u' ' || text[0] == u'\t' || text[0] == u'-') {
    negative = text[0] == u'-';
    i = 1;
  }
  if (n - i > 19) return 0;
  const size_t start = i;
  int kind = 1;
  int digits = 0, fraction = 0;
  uint64_t value = 0;  // every digit, the point ignored: at most 19, never overflows
  for (; i < n; ++i) {
    char16_t c = text[i];
    if (c == u'.') {
      if (kind == 2) return 0;
      kind = 2;
    } else if (isDigit(c)) {
      ++digits;
      fraction += kind == 2;
      value = value * 10 + (c - u'0');
    } else {
      return 0;
    }
  }
  if (digits == 0) return 0;
  if (kind == 1) {
    const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
    if (value > limit) return 0;
    intValue = negative ? int64_t(0 - value) : int64_t(value);
    return 1;
  }
  // The digits as an integer of at most 2^53 over a power of ten of at most
  // 10^22: both are exact doubles, so the one division is the correctly
  // rounded value that strtod gives.
  static constexpr double POWERS[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  if (value <= (uint64_t{1} << 53) && fraction <= 22) {
    const double d = static_cast<double>(value) / POWERS[fraction];
    doubleValue = negative ? -d : d;
    return 2;
  }
  // Otherwise (digits and one '.', at most 20 code units with the sign):
  // strtod's correctly rounded result through from_chars, without the locale.
  char buf[24];
  size_t len = 0;
  if (negative) buf[len++] = '-';
  for (size_t k = start; k < n; ++k) buf[len++] = static_cast<char>(text[k]);
  std::from_chars(buf, buf + len, doubleValue);
  return 2;
}

std::u16string formatDouble(const char16_t* format, double value) {
  std::string narrow;
  for (const char16_t* p = format; p && *p; ++p) narrow.push_back(static_cast<char>(*p));
  int n = std::snprintf(nullptr, 0, narrow.c_str(), value);
  if (n <= 0) return {};
  std::vector<char> buf(size_t(n) + 1);
  std::snprintf(buf.data(), buf.size(), narrow.c_str(), value);
  std::u16string out;
  appendAscii(out, buf.data(), size_t(n));
  return out;
}

size_t doubleChars(double value, char* buf) {
  if (!std::isfinite(value)) return size_t(std::snprintf(buf, DOUBLE_CHARS_MAX, "%.8f", value));
  char* end;
  if (std::fabs(value) < 1e7) {
    // Here an ulp is below 1e-8, so the trimmed "%.8f" text, when it reads back exactly,
    // is the shortest exact text too: one shortest conversion gives the answer.
    end = std::to_chars(buf, buf + DOUBLE_CHARS_MAX, value, std::chars_format::fixed).ptr;
  } else {
    end = std::to_chars(buf, buf + DOUBLE_CHARS_MAX, value, std::chars_format::fixed, 8).ptr;
    while (end[-1] == '0') --end;  // trim "%.8f": trailing zeros, then a trailing '.'
    if (end[-1] == '.') --end;
    double back = 0;
    std::from_chars(buf, end, back);
    if (back != value)
      end = std::to_chars(buf, buf + DOUBLE_CHARS_MAX, value, std::chars_format::fixed).ptr;
  }
  return size_t(end - buf);
}

void appendDoubleText(std::u16string& out, double value) {
  char buf[DOUBLE_CHARS_MAX];
  appendAscii(out, buf, doubleChars(value, buf));
}

std::u16string doubleText(double value) {
  std::u16string out;
  appendDoubleText(out, value);
  return out;
}

std::u16string int64Text(int64_t value) {
  char buf[24];
  char* end = std::to_chars(buf, buf + sizeof buf, value).ptr;
  std::u16string out;
  appendAscii(out, buf, size_t(end - buf));
  return out;
}
