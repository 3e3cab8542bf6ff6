// Number texts: classifying a cell text as a number, and the texts of numbers the
// sheet shows and writes. None keeps state.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Classifies a wide C string: 1 integer, 2 decimal (one '.'), 0 not a number. One leading
// blank, TAB or '-' is skipped; a leading '0' must be followed by '.' or the end; at most
// 19 code units may follow the skipped one. A text without any digit is not a number,
// nor is an integer whose value does not fit in 64 bits. Null gives 0.
int numberKind(const char16_t* text);
// The same over a view, which ends at its first NUL like a C string.
int numberKind(std::u16string_view text);
// numberKind and the value in one pass: for 1 `intValue` is what _wtoi64 gives for the
// text, for 2 `doubleValue` is what wcstod gives; the other output is left alone.
int numberValue(std::u16string_view text, int64_t& intValue, double& doubleValue);
// The double of a decimal text beyond numberValueOf's exact division: the
// digits and its one '.' (n units), with a '-' before them when `negative`.
double numberSlowDouble(const char* digits, size_t n, bool negative);

// False for a first unit that no number text begins with (a digit, '.', or the
// one blank, TAB or '-' that numberValue skips): such a text is never a number.
inline bool mayBeginNumber(unsigned u) {
  return (u >= '0' && u <= '9') || u == '-' || u == '.' || u == ' ' || u == '\t';
}

// numberValue over n units of text holding no NUL, for 16-bit units and for
// 7-bit ASCII bytes alike.
template <class Unit>
inline int numberValueOf(const Unit* text, size_t n, int64_t& intValue, double& doubleValue) {
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
  // The digits before the point, then the point and the digits after it: a
  // tight loop per run, with no state to carry from one unit to the next.
  auto digitOf = [](Unit c) { return static_cast<unsigned>(c) - unsigned{'0'}; };
  uint64_t value = 0;  // every digit, the point ignored: at most 19, never overflows
  for (; i < n && digitOf(text[i]) < 10; ++i) value = value * 10 + digitOf(text[i]);
  size_t point = n;  // the point's index; n when there is none
  if (i < n) {
    if (text[i] != '.') return 0;
    point = i++;
    for (; i < n && digitOf(text[i]) < 10; ++i) value = value * 10 + digitOf(text[i]);
    if (i < n) return 0;
  }
  const int kind = point == n ? 1 : 2;
  const size_t digits = n - start - (kind == 2);
  const size_t fraction = kind == 2 ? n - point - 1 : 0;
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
  // Otherwise (digits and one '.', at most 19 units after the sign).
  char units[20];
  for (size_t k = start; k < n; ++k) units[k - start] = static_cast<char>(text[k]);
  doubleValue = numberSlowDouble(units, n - start, negative);
  return 2;
}

// numberValue over 7-bit ASCII bytes holding no NUL (the bytes are the text's units).
inline int asciiNumberValue(std::string_view text, int64_t& intValue, double& doubleValue) {
  return numberValueOf(text.data(), text.size(), intValue, doubleValue);
}

// printf-style formatting of one double with a wide format (e.g. u"%.8f").
std::u16string formatDouble(const char16_t* format, double value);

// The text of a double everywhere the sheet shows or writes one: "%.8f" with trailing
// zeros (and then a trailing '.') trimmed when that reads back as exactly the same double,
// otherwise the shortest fixed-notation text that does. NaN and infinities keep their
// printf text ("nan", "-nan", "inf", "-inf").
std::u16string doubleText(double value);
// Appends doubleText(value) to `out` (no temporary string).
void appendDoubleText(std::u16string& out, double value);
// doubleText(value) as ASCII bytes into `buf` (DOUBLE_CHARS_MAX bytes); returns its length.
constexpr size_t DOUBLE_CHARS_MAX = 512;
size_t doubleChars(double value, char* buf);
// The decimal text of an integer.
std::u16string int64Text(int64_t value);
