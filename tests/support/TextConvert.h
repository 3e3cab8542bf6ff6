// Short converters for test texts: UTF-8 source text to the program's UTF-16 and
// back, so that expectations read as written and failures print readably.
#pragma once
#include <string>
#include <string_view>

#include "platform/CodePage.h"

namespace testsupport {

inline std::u16string w(std::string_view utf8) { return utf8ToWide(utf8); }
inline std::string u8(std::u16string_view text) { return wideToUtf8(text); }

}  // namespace testsupport
