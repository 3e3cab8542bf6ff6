// Quoting of one field of delimited text.
#pragma once
#include <string>
#include <string_view>

// Quotes one field for delimited text: a field that starts with '"' or contains LF, CR,
// ',' or `delimiter` becomes '"' + field with each '"' doubled + '"'; any other field is
// returned unchanged. The field ends at its first NUL.
std::u16string csvQuote(std::u16string_view field, char16_t delimiter = u',');
// True when csvQuote would wrap the field.
bool csvNeedsQuote(std::u16string_view field, char16_t delimiter = u',');
