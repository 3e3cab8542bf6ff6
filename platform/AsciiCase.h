// ASCII case folding: only 'A'..'Z' and 'a'..'z' change, as the C locale folds
// them. Every case-insensitive name, search and comparison of the program folds
// through these.
#pragma once
#include <string>
#include <string_view>

// 'A'..'Z' to 'a'..'z'; every other code unit as it is.
constexpr char16_t foldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }
constexpr char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

// Lower-cases 'A'..'Z' only. toLower copies up to the first NUL; toLowerWide and
// toLowerAscii change every unit of the string they are given.
std::u16string toLower(std::u16string_view text);
std::u16string toLowerWide(std::u16string text);
std::string toLowerAscii(std::string text);

// Folded comparison: negative, zero or positive as a sorts before, equal to or
// after b, unit by unit, a shorter prefix first.
int compareNoCase(std::u16string_view a, std::u16string_view b);
bool equalNoCase(std::u16string_view a, std::u16string_view b);
bool startsWithNoCase(std::u16string_view text, std::u16string_view prefix);
