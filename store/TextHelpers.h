// Shared text helpers: numeric text classification, number texts, code-page
// conversions, CSV quoting, path pieces, column letters, lower-casing, line iteration.
// None keeps state or reports errors other than through its result.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// File kind by extension.
enum FileKind : int32_t { FILE_OTHER = 0, FILE_CSV = 1, FILE_TXT = 2, FILE_MVT = 3, FILE_EXCEL = 4 };

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

// Whole-string conversions, embedded NULs included; invalid or unmappable input takes
// the platform's replacement characters. The ANSI code page is GBK.
std::u16string ansiToWide(std::string_view bytes);
std::u16string utf8ToWide(std::string_view bytes);
std::string wideToUtf8(std::u16string_view text);
std::string wideToAnsi(std::u16string_view text);

// Quotes one field for delimited text: a field that starts with '"' or contains LF, CR,
// ',' or `delimiter` becomes '"' + field with each '"' doubled + '"'; any other field is
// returned unchanged. The field ends at its first NUL.
std::u16string csvQuote(std::u16string_view field, char16_t delimiter = u',');
// True when csvQuote would wrap the field.
bool csvNeedsQuote(std::u16string_view field, char16_t delimiter = u',');

// ".mvt" 3, ".csv" 1, ".txt"/".text" 2, ".xls"/".xlsx" 4, anything else 0; case-
// insensitive, a suffix counting only when the path is strictly longer than it.
FileKind fileKind(std::u16string path);
// From the last '.' to the end, the '.' included; empty without a '.'.
std::u16string getFileExt(std::u16string path);
// After the last '\' (or, without any '\', the last '/'), then before its last '.'.
std::u16string getFileBaseName(std::u16string path);
// The whole file read as UTF-16LE (a final odd byte dropped, no BOM removed); empty when
// the file cannot be opened or read.
std::u16string readFileAsWide(const std::u16string& path);

// Column letters from a 0-based index: 0 "A", 25 "Z", 26 "AA", 702 "AAA". A negative
// index gives the empty text.
std::u16string colName(int32_t index);
std::string colNameA(int32_t index);
// Letters (either case) to a 1-based column number: "A" 1, "AA" 27; 0 for the empty
// text, any non-letter, or a value beyond the 32-bit range.
int32_t colNumber(std::string_view letters);

// Lower-cases 'A'..'Z' only. toLower copies up to the first NUL; toLowerWide changes
// every code unit of the string it is given.
std::u16string toLower(std::u16string_view text);
std::u16string toLowerWide(std::u16string text);

// Iterates over the lines of a wide text, each up to and including its LF (a CR stays
// part of its line). No constructor: set position 0, length 0 and the text, then call
// next() until it returns null.
struct LineIter {
  uint64_t position;             // index of the first code unit of the next line
  uint64_t length;               // length of the line last returned
  const std::u16string* text;    // not owned

  const char16_t* next();
};
