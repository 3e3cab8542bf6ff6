#include "script/CountIf.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "platform/CodePage.h"
#include "store/ColumnName.h"
#include "store/DataIntf.h"

namespace {
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

struct Corner {
  int32_t row = 0;
  int32_t col = 0;  // 0 without letters
  bool hasRow = false;
  bool hasLetters = false;
  // Letters without digits: a whole column ("A" of "A:C").
  bool wholeColumn() const { return hasLetters && !hasRow; }
};

// Letters then digits from text[i], within the text; i is advanced past them.
Corner readCorner(std::string_view text, size_t& i) {
  Corner c;
  size_t b = i;
  while (i < text.size() && isLetter(text[i])) ++i;
  c.hasLetters = i > b;
  c.col = colNumber(text.substr(b, i - b));
  int64_t row = 0;
  while (i < text.size() && isDigit(text[i])) {
    row = std::min<int64_t>(row * 10 + (text[i] - '0'), INT32_MAX);
    c.hasRow = true;
    ++i;
  }
  c.row = static_cast<int32_t>(row);
  return c;
}
}  // namespace

double evalCountIf(const DataIntf& sheet, int32_t lastRow, const std::string& range, const std::string& criterion) {
  size_t i = 0;
  Corner a = readCorner(range, i);
  Corner b = a;
  if (i < range.size()) {
    ++i;  // the separator, whatever it is
    b = readCorner(range, i);
  }
  int32_t top = std::min(a.row, b.row), bottom = std::max(a.row, b.row);
  if (a.wholeColumn() || b.wholeColumn()) {  // rows 1 to the last row
    top = 1;
    bottom = std::max(lastRow, 0);
  }
  int32_t left = std::min(a.col, b.col), right = std::max(a.col, b.col);

  std::u16string wanted;
  size_t j = 0;
  while (j < criterion.size() && isLetter(criterion[j])) ++j;
  if (j > 0 && j < criterion.size() && isDigit(criterion[j])) {
    size_t k = 0;
    Corner cell = readCorner(criterion, k);
    wanted = sheet.getText(cell.row, cell.col);
  } else {
    wanted = ansiToWide(criterion);
  }

  double count = 0;
  for (int64_t r = top; r <= bottom; ++r)
    for (int64_t c = left; c <= right; ++c)
      if (sheet.getText(static_cast<int32_t>(r), static_cast<int32_t>(c)) == wanted) ++count;
  return count;
}
