#include "store/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/Crt.h"

namespace {

void appendAscii(std::u16string& out, const char* s, size_t n) {
  size_t at = out.size();
  out.resize(at + n);
  for (size_t i = 0; i < n; ++i) out[at + i] = static_cast<unsigned char>(s[i]);
}

constexpr char DIGIT_PAIRS[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The text of m / 10^8 (negative: with a '-'), its trailing zeros and then a
// trailing '.' trimmed, written at p; returns the end.
char* scaledText(char* p, bool negative, uint64_t m) {
  if (negative) *p++ = '-';
  p = std::to_chars(p, p + 24, m / 100000000).ptr;
  uint32_t f = uint32_t(m % 100000000);
  if (f != 0) {
    *p = '.';
    for (int i = 7; i > 0; i -= 2, f /= 100) std::memcpy(p + i, DIGIT_PAIRS + 2 * (f % 100), 2);
    p += 9;
    while (p[-1] == '0') --p;
  }
  return p;
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

namespace {

// numberValue over n units of text holding no NUL, for 16-bit units and for
// 7-bit ASCII bytes alike.
template <class Unit>
int numberValueOf(const Unit* text, size_t n, int64_t& intValue, double& doubleValue) {
  if (n == 0) return 0;
  if (text[0] == '0' && n > 1 && text[1] != '.') return 0;
  size_t i = 0;
  bool negative = false;
  if (text[0] == ' ' || text[0] == '\t' || text[0] == '-') {
    negative = text[0] == '-';
    i = 1;
  }
  if (n - i > 19) return 0;
  const size_t start = i;
  int kind = 1;
  int digits = 0, fraction = 0;
  uint64_t value = 0;  // every digit, the point ignored: at most 19, never overflows
  for (; i < n; ++i) {
    const Unit c = text[i];
    if (c == '.') {
      if (kind == 2) return 0;
      kind = 2;
    } else if (c >= '0' && c <= '9') {
      ++digits;
      fraction += kind == 2;
      value = value * 10 + static_cast<unsigned>(c - '0');
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

}  // namespace

int numberValue(std::u16string_view text, int64_t& intValue, double& doubleValue) {
  text = upToNul(text);
  return numberValueOf(text.data(), text.size(), intValue, doubleValue);
}

int asciiNumberValue(std::string_view text, int64_t& intValue, double& doubleValue) {
  return numberValueOf(text.data(), text.size(), intValue, doubleValue);
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
  const double magnitude = std::fabs(value);
  if (magnitude < 1e7) {
    // Here an ulp is below 1e-8, so the trimmed "%.8f" text, when it reads back exactly,
    // is the shortest exact text too: one shortest conversion gives the answer.
    // Most values have at most 8 decimals: m, the magnitude in units of 1e-8 rounded,
    // is then the only such text with 8 decimals (its spacing is wider than an ulp),
    // it reads back exactly when m / 1e8, rounded once as the division does, is the
    // magnitude, and trimmed it is the shortest text.
    const uint64_t m = uint64_t(magnitude * 1e8 + 0.5);
    if (double(m) / 1e8 == magnitude) return size_t(scaledText(buf, std::signbit(value), m) - buf);
    end = std::to_chars(buf, buf + DOUBLE_CHARS_MAX, value, std::chars_format::fixed).ptr;
  } else if (magnitude < 9e18 && magnitude == std::floor(magnitude)) {
    // A whole number: "%.8f" trimmed is its digits, which read back exactly.
    end = std::to_chars(buf, buf + DOUBLE_CHARS_MAX, int64_t(value)).ptr;
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
