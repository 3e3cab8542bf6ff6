// Column letters of the sheet's header row.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Column letters from a 0-based index: 0 "A", 25 "Z", 26 "AA", 702 "AAA". A negative
// index gives the empty text.
std::u16string colName(int32_t index);
std::string colNameA(int32_t index);
// Letters (either case) to a 1-based column number: "A" 1, "AA" 27; 0 for the empty
// text, any non-letter, or a value beyond the 32-bit range.
int32_t colNumber(std::string_view letters);
int32_t colNumber(std::u16string_view letters);
