// 16-bit text forms of the C runtime calls the program makes, with the C
// locale's behaviour (the program never changes the locale).
#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <cwchar>  // before the 16-bit overloads below, so std:: keeps only the C forms
#include <string>
#include <string_view>

// Skips leading white space, reads an optional sign and decimal digits; a value
// beyond the 64-bit range saturates to INT64_MAX or INT64_MIN.
int64_t _wtoi64(const char16_t* s);
// The same read as an int; a value beyond its range saturates to INT_MAX or INT_MIN.
int _wtoi(const char16_t* s);
// strtod over the text's ASCII prefix; *end (when given) points after the number read.
double wcstod(const char16_t* s, char16_t** end);
// Writes v in the given radix (2 to 36; negative values only in radix 10 get a
// sign) with its NUL. Returns 0, or 22 (EINVAL) / 34 (ERANGE) on a bad argument
// or a buffer too small (then buf[0] is NUL when size > 0).
int _i64tow_s(int64_t v, char16_t* buf, size_t size, int radix);
// Local time (from TZ) of a time value, in a per-thread buffer; null for values
// before 1970 or after the year 3000, as the platform's runtime gives.
struct tm* _localtime64(const int64_t* t);
// Compares with 'A'..'Z' folded to lower case.
int _wcsicmp(const char16_t* a, const char16_t* b);
size_t wcslen16(const char16_t* s);
// The bytes a block from malloc, calloc or realloc can hold: at least the size asked for.
size_t _msize(void* block);
// The text up to its first NUL, as a C string reads it (the whole view without one).
inline std::u16string_view upToNul(std::u16string_view text) {
  size_t nul = text.find(u'\0');
  return nul == std::u16string_view::npos ? text : text.substr(0, nul);
}
