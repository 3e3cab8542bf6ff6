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
// numberValue over 7-bit ASCII bytes holding no NUL (the bytes are the text's units).
int asciiNumberValue(std::string_view text, int64_t& intValue, double& doubleValue);

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
