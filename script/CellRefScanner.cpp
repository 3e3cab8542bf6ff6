#include "script/CellRefScanner.h"

#include <algorithm>
#include <cstring>

#include "platform/AsciiCase.h"
#include "store/ColumnName.h"

namespace {
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The decimal value of the digits at p (advanced past them), held at INT32_MAX.
int32_t readRow(const char*& p) {
  int64_t v = 0;
  while (isDigit(*p)) {
    v = std::min<int64_t>(v * 10 + (*p - '0'), INT32_MAX);
    ++p;
  }
  return static_cast<int32_t>(v);
}

const char* skipLetters(const char* p) {
  while (isLetter(*p)) ++p;
  return p;
}

int32_t columnOf(const char* b, const char* e) {
  return colNumber(std::string_view(b, static_cast<size_t>(e - b)));
}

bool nameIs(const char* b, const char* e, std::string_view word) {
  return std::string_view(b, static_cast<size_t>(e - b)) == word;
}
}  // namespace

const std::set<std::string, std::less<>> CCellRefScanner::mKeywords{"countif"};

CCellRefScanner::CCellRefScanner(const char* script, int32_t lastRow, int32_t lastCol)
    : mCursor(script), mLastRow(lastRow), mLastCol(lastCol) {}

ScriptCellRef CCellRefScanner::next() {
  for (;;) {
    const char c = *mCursor;
    if (c == '\0') return {};
    if (c == '#') {
      while (*mCursor && *mCursor != '\n') ++mCursor;
    } else if (c == '/' && mCursor[1] == '*') {
      const char* close = std::strstr(mCursor + 2, "*/");
      mCursor = close ? close + 2 : mCursor + std::strlen(mCursor);
    } else if (c == '/' && mCursor[1] == '/') {
      while (*mCursor && *mCursor != '\n') ++mCursor;
    } else if (c == '\'') {
      ++mCursor;
      while (*mCursor && *mCursor != '\'') mCursor += (*mCursor == '\\' && mCursor[1]) ? 2 : 1;
      if (*mCursor) ++mCursor;
    } else if (c == ')') {
      mInCountIf = false;
      ++mCursor;
    } else if (isLetter(c)) {
      const char* letters = mCursor;
      mCursor = skipLetters(mCursor);
      ScriptCellRef ref = afterLetters(letters, mCursor);
      if (ref.begin) return ref;
    } else {
      ++mCursor;
    }
  }
}

// mCursor is just after a run of letters [letters, lettersEnd): reads what follows and
// returns the reference it makes, or one with `begin` null (scanning goes on at mCursor).
ScriptCellRef CCellRefScanner::afterLetters(const char* letters, const char* lettersEnd) {
  ScriptCellRef ref;
  const ScriptRefKind cellKind = mInCountIf ? REF_COUNTIF_RANGE : REF_NUMBER;
  const ScriptRefKind rangeKind = mInCountIf ? REF_COUNTIF_RANGE : REF_RANGE;
  if (isDigit(*mCursor)) {
    int32_t row = readRow(mCursor);
    int32_t col = columnOf(letters, lettersEnd);
    if (*mCursor == '_') {
      ++mCursor;
      if (nameIs(letters, mCursor, "get1_") || nameIs(letters, mCursor, "set1_") || row > mLastRow ||
          col > mLastCol)
        return ref;
      return {REF_TEXT, letters, mCursor, row, col, 0, 0};
    }
    if (*mCursor == ':' && mCursor[1] != '=') {
      ++mCursor;
      if (!isLetter(*mCursor)) return ref;
      const char* letters2 = mCursor;
      mCursor = skipLetters(mCursor);
      if (!isDigit(*mCursor)) return ref;
      int32_t row2 = readRow(mCursor);
      int32_t col2 = columnOf(letters2, skipLetters(letters2));
      int32_t top = std::min(row, row2), bottom = std::max(row, row2);
      int32_t left = std::min(col, col2), right = std::max(col, col2);
      if (top > mLastRow || left > mLastCol) return ref;
      return {rangeKind, letters, mCursor, top, left, std::min(bottom, mLastRow), std::min(right, mLastCol)};
    }
    if (nameIs(letters, mCursor, "get1") || nameIs(letters, mCursor, "set1") || row > mLastRow || col > mLastCol)
      return ref;
    return {cellKind, letters, mCursor, row, col, 0, 0};
  }
  if (*mCursor == ':') {
    ++mCursor;
    if (!isLetter(*mCursor)) return ref;
    const char* letters2 = mCursor;
    mCursor = skipLetters(mCursor);
    int32_t col = columnOf(letters, lettersEnd), col2 = columnOf(letters2, mCursor);
    int32_t left = std::min(col, col2), right = std::max(col, col2);
    if (left > mLastCol) return ref;
    return {rangeKind, letters, mCursor, 1, left, mLastRow, std::min(right, mLastCol)};
  }
  char word[16];
  const size_t n = static_cast<size_t>(lettersEnd - letters);
  if (n < sizeof word) {  // every keyword is short
    for (size_t i = 0; i < n; ++i) word[i] = foldAscii(letters[i]);
    if (mKeywords.count(std::string_view(word, n))) mInCountIf = true;
  }
  return ref;
}
