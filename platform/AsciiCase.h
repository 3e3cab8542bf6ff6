// ASCII case folding of UTF-16 text: only 'A'..'Z' and 'a'..'z' change, as the
// C locale folds them.
#pragma once
#include <string>
#include <string_view>

// Lower-cases 'A'..'Z' only. toLower copies up to the first NUL; toLowerWide changes
// every code unit of the string it is given.
std::u16string toLower(std::u16string_view text);
std::u16string toLowerWide(std::u16string text);
