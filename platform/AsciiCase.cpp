#include "platform/AsciiCase.h"

#include "platform/Crt.h"

std::u16string toLower(std::u16string_view text) {
  return toLowerWide(std::u16string(upToNul(text)));
}

std::u16string toLowerWide(std::u16string text) {
  for (char16_t& c : text)
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
  return text;
}
