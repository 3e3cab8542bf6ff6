#include "platform/user/Mnemonic.h"

namespace platform {

char16_t mnemonicOf(std::u16string_view text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] != u'&') return text[i + 1];
    ++i;  // "&&": a literal '&'
  }
  return 0;
}

}  // namespace platform
