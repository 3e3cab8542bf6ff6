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

int numberValue(std::u16string_view text, int64_t& intValue, double& doubleValue) {
  text = upToNul(text);
  return numberValueOf(text.data(), text.size(), intValue, doubleValue);
}

double numberSlowDouble(const char* digits, size_t n, bool negative) {
  // strtod's correctly rounded result through from_chars, without the locale.
  char buf[24];
  size_t len = 0;
  if (negative) buf[len++] = '-';
  std::memcpy(buf + len, digits, n);
  len += n;
  double d = 0;
  std::from_chars(buf, buf + len, d);
  return d;
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
    if (back != value) end = std::to_chars(buf, buf + DOUBLE_CHARS_MAX, value, std::chars_format::fixed).ptr;
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
