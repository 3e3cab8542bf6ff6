#include "store/CsvQuote.h"

#include "platform/Crt.h"

bool csvNeedsQuote(std::u16string_view field, char16_t delimiter) {
  field = upToNul(field);
  if (field.empty()) return false;
  if (field[0] == u'"') return true;
  for (char16_t c : field) {
    if (c == u'\n' || c == u'\r' || c == u',' || c == delimiter) return true;
  }
  return false;
}

std::u16string csvQuote(std::u16string_view field, char16_t delimiter) {
  field = upToNul(field);
  if (!csvNeedsQuote(field, delimiter)) return std::u16string(field);
  std::u16string out;
  out.reserve(field.size() + 2);
  out.push_back(u'"');
  for (char16_t c : field) {
    out.push_back(c);
    if (c == u'"') out.push_back(u'"');
  }
  out.push_back(u'"');
  return out;
}
