#include "platform/AsciiCase.h"

#include <algorithm>

#include "platform/Crt.h"

std::u16string toLower(std::u16string_view text) { return toLowerWide(std::u16string(upToNul(text))); }

std::u16string toLowerWide(std::u16string text) {
  for (char16_t& c : text) c = foldAscii(c);
  return text;
}

std::string toLowerAscii(std::string text) {
  for (char& c : text) c = foldAscii(c);
  return text;
}

int compareNoCase(std::u16string_view a, std::u16string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    char16_t x = foldAscii(a[i]), y = foldAscii(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool equalNoCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && compareNoCase(a, b) == 0;
}

bool startsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && compareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}
