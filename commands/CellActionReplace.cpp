// Find and replace recorded into a CCellAction: the display text of each cell is
// matched, and the result is written back typed again (a number stays a number where
// the result still reads as one; script cells keep their kind).
#include <algorithm>
#include <vector>

#include "commands/CellAction.h"
#include "commands/ReplaceText.h"
#include "store/Parallel.h"
#include "store/TextKey.h"

namespace {

// A matching cell found by the scan, with its replaced text.
struct Hit {
  int32_t row;
  int32_t col;
  uint8_t kind;
  std::u16string text;
};

// What one thread found in its rows: the hits in row-major order, or the first cell on
// which the engine gave up.
struct ScanPart {
  std::vector<Hit> hits;
  bool limit = false;
  int32_t limitRow = 0;
  int32_t limitCol = 0;
};

constexpr size_t BATCH_ROWS_PER_THREAD = 32768;

void writeBack(CCellAction& action, int32_t row, int32_t col, uint8_t kind, const std::u16string& result) {
  if (kind >= CELL_EXPRTK && kind <= CELL_PYTHON) action.setText(row, col, textKey(result), result, kind);
  else action.setFromText(row, col, result);
}

// Matches every non-empty cell of rows [begin, end) (columns 1 on).
void scanRows(const CDataCore& core, const CCellReplacer& replacer, CRegexMatcher& matcher, int32_t begin,
              int32_t end, ScanPart& part) {
  const int32_t cols = static_cast<int32_t>(core.mColCount);
  std::u16string scratch, out;
  for (int32_t row = begin; row < end; ++row) {
    const Cell* cells = core.mDatas[row];
    for (int32_t col = 1; col < cols; ++col) {
      const Cell& cell = cells[col];
      if (cell.value == 0 && isTextKind(cell.kind)) continue;  // an empty text: passed over
      std::u16string_view t = core.cellTextView(cell, scratch);
      if (t.empty()) continue;
      RegexStatus s = replacer.apply(matcher, t, out);
      if (s == RegexStatus::NoMatch) continue;
      if (s == RegexStatus::Limit) {
        part.limit = true;
        part.limitRow = row;
        part.limitCol = col;
        return;
      }
      part.hits.push_back({row, col, cell.kind, out});
    }
  }
}

}  // namespace

int32_t CCellAction::replaceAll(std::u16string pattern, const std::u16string& replacement, bool matchCase,
                                bool wholeCell, bool regex, std::u16string* error) {
  if (mCore->mRowCount < 2) return 0;
  CCellReplacer replacer(std::move(pattern), replacement, matchCase, wholeCell, regex);
  if (!replacer.ok()) {
    if (error) *error = replacer.error();
    return 0;
  }
  const int32_t rows = static_cast<int32_t>(mCore->mRowCount);
  const unsigned threads = threadCount(static_cast<size_t>(rows), 4096);
  std::vector<CRegexMatcher> matchers(threads);
  std::vector<ScanPart> parts(threads);
  const int64_t batch = int64_t(BATCH_ROWS_PER_THREAD) * threads;
  int32_t count = 0;
  // Batches keep the pending results small; within a batch the threads scan, then the
  // hits are recorded in row-major order, as one pass over the sheet would.
  for (int64_t first = 1; first < rows; first += batch) {
    const int64_t last = std::min<int64_t>(rows, first + batch);
    parallelChunks(static_cast<size_t>(last - first), threads, [&](unsigned p, size_t b, size_t e) {
      parts[p] = ScanPart{};
      scanRows(*mCore, replacer, matchers[p], static_cast<int32_t>(first + int64_t(b)),
               static_cast<int32_t>(first + int64_t(e)), parts[p]);
    });
    for (ScanPart& part : parts) {
      if (part.limit) {
        // Nothing is replaced: the command is left as empty as it came.
        mNewRecords.clear();
        mOldRecords.clear();
        mNewTexts.clear();
        mOldTexts.clear();
        if (error) *error = regexLimitMessage(part.limitRow, part.limitCol);
        return 0;
      }
    }
    for (ScanPart& part : parts) {
      for (const Hit& h : part.hits) writeBack(*this, h.row, h.col, h.kind, h.text);
      count += static_cast<int32_t>(part.hits.size());
      part.hits.clear();
    }
  }
  return count;
}

void CCellAction::replaceCurrent(std::u16string pattern, const std::u16string& replacement, bool matchCase,
                                 bool wholeCell, bool regex, std::u16string* error) {
  CCellReplacer replacer(std::move(pattern), replacement, matchCase, wholeCell, regex);
  if (!replacer.ok()) {
    if (error) *error = replacer.error();
    return;
  }
  const Range r = mSelection.toRange(*mCore);
  const std::u16string t = mCore->getText(r.top, r.left);
  CRegexMatcher matcher;
  std::u16string out;
  RegexStatus s = replacer.apply(matcher, t, out);
  if (s == RegexStatus::Limit) {
    if (error) *error = regexLimitMessage(r.top, r.left);
    return;
  }
  if (s == RegexStatus::NoMatch) return;
  writeBack(*this, r.top, r.left, mCore->cellAt(r.top, r.left)->kind, out);
}
