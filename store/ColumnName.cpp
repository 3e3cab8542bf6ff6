#include "store/ColumnName.h"

#include <cstdint>

std::string colNameA(int32_t index) {
  if (index < 0) return {};
  std::string out;
  // index < 26: one letter; otherwise colName(index / 26 - 1) then 'A' + index % 26.
  int64_t i = index;
  for (;;) {
    out.insert(out.begin(), char('A' + i % 26));
    if (i < 26) break;
    i = i / 26 - 1;
  }
  return out;
}

std::u16string colName(int32_t index) {
  std::string narrow = colNameA(index);
  return std::u16string(narrow.begin(), narrow.end());
}

int32_t colNumber(std::string_view letters) {
  if (letters.empty()) return 0;
  int64_t value = 0;
  int64_t weight = 1;
  for (size_t k = letters.size(); k-- > 0;) {
    unsigned char c = static_cast<unsigned char>(letters[k]);
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z') return 0;
    if (weight > INT32_MAX) return 0;  // a further letter would exceed the 32-bit range
    value += (c - 'A' + 1) * weight;
    if (value > INT32_MAX) return 0;
    weight *= 26;
  }
  return static_cast<int32_t>(value);
}

int32_t colNumber(std::u16string_view letters) {
  std::string narrow;
  narrow.reserve(letters.size());
  for (char16_t c : letters) {
    if (c > 0x7F) return 0;
    narrow.push_back(static_cast<char>(c));
  }
  return colNumber(std::string_view(narrow));
}
