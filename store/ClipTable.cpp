#include "store/ClipTable.h"

#include "store/QuoteDetect.h"

namespace {

constexpr char16_t TAB = u'\t', LF = u'\n', CR = u'\r', QUOTE = u'"';

// From a quote at s[i], the index just past the quote that closes it (a
// doubled quote does not close); n when the section never closes.
size_t skipQuoted(const char16_t* s, size_t i, size_t n) {
  for (++i; i < n; ++i) {
    if (s[i] != QUOTE) continue;
    if (i + 1 < n && s[i + 1] == QUOTE) {
      ++i;
      continue;
    }
    return i + 1;
  }
  return n;
}

}  // namespace

void ClipTable::parse(std::u16string& text) {
  nextLine = 0;
  width = 0;
  lines.clear();
  if (text.empty()) return;
  char16_t* s = text.data();
  const size_t n = text.size();
  const bool quotes = gQuoteDetect;
  width = 1;
  size_t lineStart = 0;
  uint64_t fields = 1;
  bool fieldStart = true;
  size_t i = 0;
  while (i < n) {
    char16_t c = s[i];
    if (quotes && fieldStart && c == QUOTE) {
      i = skipQuoted(s, i, n);
      fieldStart = false;
      continue;
    }
    fieldStart = false;
    if (c == TAB) {
      ++fields;
      fieldStart = true;
      ++i;
      continue;
    }
    if (c != LF && c != CR) {
      ++i;
      continue;
    }
    lines.push_back({s + lineStart, i - lineStart});
    if (fields > width) width = fields;
    size_t end = (c == CR && i + 1 < n && s[i + 1] == LF) ? i + 2 : i + 1;
    s[i] = 0;
    fields = 1;
    fieldStart = true;
    lineStart = end;
    i = end;
  }
  if (lineStart < n) {
    lines.push_back({s + lineStart, n - lineStart});
    if (fields > width) width = fields;
  }
}

std::vector<std::u16string> ClipTable::nextRow() {
  std::vector<std::u16string> fields;
  if (nextLine >= lines.size()) return fields;
  Line line = lines[nextLine++];
  char16_t* s = line.start;
  const size_t n = line.length;
  const bool quotes = gQuoteDetect;
  size_t i = 0;
  for (;;) {  // i is a field start
    std::u16string field;
    size_t j = i;
    if (quotes && j < n && s[j] == QUOTE) {
      size_t close = skipQuoted(s, j, n);
      size_t contentEnd = (close == n && (close == j + 1 || s[close - 1] != QUOTE)) ? n : close - 1;
      for (size_t k = j + 1; k < contentEnd; ++k) {
        field.push_back(s[k]);
        if (s[k] == QUOTE) ++k;  // a doubled quote gives one
      }
      j = close;
      while (j < n && s[j] != TAB) ++j;  // dropped after the closing quote
    } else {
      while (j < n && s[j] != TAB) ++j;
      field.assign(s + i, s + j);
    }
    fields.push_back(std::move(field));
    if (j >= n) break;
    s[j] = 0;
    i = j + 1;
  }
  return fields;
}
