// Text helpers of the workbook library.
#pragma once
#include <string>
#include <string_view>

namespace xl::detail {

// Decodes the _xHHHH_ escapes of workbook XML texts (a character the XML
// cannot carry, or "_x005F_" for a literal underscore before such a form).
std::u16string decodeXmlEscapes(std::u16string s);

// Appends s to out as XML character data (or attribute value: quotes are
// escaped too). CR becomes a character reference, other control characters
// and unpaired surrogates an _xHHHH_ escape, and a literal _xHHHH_ form gets
// its underscore escaped, so that decodeXmlEscapes gives back s.
void appendXmlText(std::string& out, std::u16string_view s);

}  // namespace xl::detail
