// The underlined letter of a menu item's or a control's text.
#pragma once
#include <string_view>

namespace platform {

// The unit after the first single '&' ("文件(&F)" gives u'F'); "&&" stands
// for a literal '&'. 0 when the text has none.
char16_t mnemonicOf(std::u16string_view text);

}  // namespace platform
