// Finds the cell references of an exprtk script text: single cells (A1), cell texts
// (A1_), ranges (A1:B3) and column ranges (A:C), with the names exactly as written.
// Comments ('#', //, /* */) and single-quoted strings are skipped; between the word
// countif and the next ')' single cells and ranges are COUNTIF ranges (bound as their
// own name text). Cells beyond the sheet are not returned; ranges are cut to it.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

enum ScriptRefKind : uint8_t {
  REF_NUMBER = 0,
  REF_TEXT = 1,
  REF_RANGE = 2,
  REF_COUNTIF_RANGE = 3,
};

struct ScriptCellRef {
  ScriptRefKind kind = REF_NUMBER;
  const char* begin = nullptr;  // null: no reference
  const char* end = nullptr;
  int32_t row = 0;  // a single cell uses row and col; a range top, left, bottom, right
  int32_t col = 0;
  int32_t row2 = 0;
  int32_t col2 = 0;

  std::string_view name() const { return {begin, static_cast<size_t>(end - begin)}; }
};

class CCellRefScanner {
 public:
  // `script` is NUL-terminated ANSI text the caller keeps alive; lastRow and lastCol are
  // the sheet's row and column counts minus 1.
  CCellRefScanner(const char* script, int32_t lastRow, int32_t lastCol);
  // The next reference; `begin` null at the end of the text.
  ScriptCellRef next();

 private:
  ScriptCellRef afterLetters(const char* letters, const char* lettersEnd);

  static const std::set<std::string, std::less<>> mKeywords;  // lower case: "countif"
  bool mInCountIf = false;
  const char* mCursor;
  int32_t mLastRow;
  int32_t mLastCol;
};
