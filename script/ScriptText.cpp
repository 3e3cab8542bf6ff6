#include "script/ScriptText.h"

#include <cmath>

int32_t toInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

namespace {
std::string mapCase(std::string text, char from, char to) {
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (b >= 0x81 && b <= 0xFE && i + 1 < text.size()) {
      ++i;  // GBK lead byte: keep the pair
      continue;
    }
    if (text[i] >= from && text[i] <= from + 25) text[i] = static_cast<char>(text[i] - from + to);
  }
  return text;
}
}  // namespace

std::string ansiLower(std::string text) { return mapCase(std::move(text), 'A', 'a'); }
std::string ansiUpper(std::string text) { return mapCase(std::move(text), 'a', 'A'); }
