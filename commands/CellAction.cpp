#include "commands/CellAction.h"

#include <algorithm>
#include <cstring>

#include "commands/FillPattern.h"
#include "commands/Record.h"
#include "commands/VisibleCells.h"
#include "platform/Crt.h"
#include "store/NumberText.h"
#include "store/TextKey.h"
#include "store/TextPromise.h"

CCellAction::CCellAction(CDataCore* core, const Selection* selection) : iCommand(core, selection, KIND_CELL) {}

bool CCellAction::isEmpty() const { return mNewRecords.empty(); }

// The texts are promised first and the size changed next: either may fail for want of
// memory, and then nothing has changed; writing the records cannot fail.
void CCellAction::redo() {
  const TextPromise promise(*mCore, mNewTexts);
  if (mResizes) {
    mCore->resize(mNewRows, mNewCols);
    notify();
  }
  for (const CellRecord& r : mNewRecords) mCore->restoreCell(r.row, r.col, r.cell, mNewTexts);
}

void CCellAction::undo() {
  const TextPromise promise(*mCore, mOldTexts);
  if (mResizes) {
    mCore->resize(mOldRows, mOldCols);
    notify();
  }
  // Reverse order, so a cell recorded twice gets back its first old content.
  for (auto it = mOldRecords.rbegin(); it != mOldRecords.rend(); ++it)
    mCore->restoreCell(it->row, it->col, it->cell, mOldTexts);
  for (const auto& [pos, value] : mOldFormulaValues) mCore->mFormulaValues[pos] = value;
}

std::string CCellAction::serialize() const {
  const bool fresh = applied();
  const std::vector<CellRecord>& records = fresh ? mNewRecords : mOldRecords;
  const TextMap& texts = fresh ? mNewTexts : mOldTexts;
  RecordWriter w;
  w.i64(KIND_CELL);
  w.i64(static_cast<int64_t>(records.size()));
  w.i64(static_cast<int64_t>(texts.size()));
  w.zeros(8);
  w.i32(fresh ? mNewRows : mOldRows);
  w.i32(fresh ? mNewCols : mOldCols);
  for (const CellRecord& r : records) w.cell(r);
  w.textTable(texts);
  return w.take();
}

uint64_t internActionText(uint64_t key, const std::u16string& text, TextMap& map) {
  if (text.empty()) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(text.c_str()), 2 * text.size() + 2);
  for (;; ++key) {
    if (key == 0) continue;  // 0 means "no text"
    auto it = map.find(key);
    if (it == map.end()) {
      map.emplace(key, std::string(bytes));
      return key;
    }
    if (it->second == bytes) return key;
  }
}

// True when the pool holds exactly `text` under `key`.
static bool poolHolds(const CDataCore& core, uint64_t key, const std::u16string& text) {
  const std::string bytes = core.poolBytes(key);
  return bytes.size() == 2 * text.size() + 2 && std::memcmp(bytes.data(), text.c_str(), 2 * text.size()) == 0;
}

void CCellAction::saveOld(int32_t row, int32_t col) {
  CellRecord old{row, col, *mCore->cellAt(row, col)};
  old.cell.flag = CELL_FLAG_KEEP;
  keepCellText(*mCore, old.cell, mOldTexts);
  keepValueAt(row, col);
  mOldRecords.push_back(old);
}

// Whatever the cell's kind, and beyond the sheet too: a formula value that a row move
// left at this position is dropped when undo releases the new content (or shrinks the
// sheet again), and must come back with the old one.
void CCellAction::keepValueAt(int32_t row, int32_t col) {
  auto it = mCore->mFormulaValues.find(cellPos(row, col));
  if (it != mCore->mFormulaValues.end()) mOldFormulaValues.emplace(it->first, it->second);
}

void CCellAction::record(int32_t row, int32_t col, uint8_t kind, uint64_t value) {
  mNewRecords.push_back(CellRecord{row, col, Cell{kind, CELL_FLAG_KEEP, value}});
}

void CCellAction::setNumber(int32_t row, int32_t col, double x) {
  const Cell& dest = *mCore->cellAt(row, col);
  if (dest.kind == CELL_DOUBLE && dest.asDouble() == x) return;
  Cell c{};
  c.setDoubleBits(x);
  record(row, col, CELL_DOUBLE, c.value);
  saveOld(row, col);
}

void CCellAction::setValue(int32_t row, int32_t col, uint64_t value, uint8_t kind) {
  const Cell& dest = *mCore->cellAt(row, col);
  if (dest.kind == kind && dest.value == value) return;
  record(row, col, kind, value);
  saveOld(row, col);
}

// Kind 0 becomes a formula when the text begins with '='.
static uint8_t textKind(const std::u16string& text, uint8_t kind) {
  return kind == CELL_TEXT && !text.empty() && text[0] == u'=' ? static_cast<uint8_t>(CELL_FORMULA) : kind;
}

void CCellAction::setText(int32_t row, int32_t col, uint64_t key, const std::u16string& text, uint8_t kind) {
  // The kind compared is the one the cell would get, so that re-typing a formula a cell
  // already holds records nothing.
  const uint8_t newKind = textKind(text, kind);
  const Cell& dest = *mCore->cellAt(row, col);
  if (dest.kind == newKind && dest.value == key && (key == 0 || poolHolds(*mCore, key, text))) return;
  record(row, col, newKind, internActionText(key, text, mNewTexts));
  saveOld(row, col);
}

void CCellAction::setFromText(int32_t row, int32_t col, const std::u16string& text) {
  const bool inside = mCore->inSheet(row, col);
  const Cell* dest = inside ? mCore->cellAt(row, col) : nullptr;
  switch (numberKind(text.c_str())) {
    case 1: {
      const uint64_t v = static_cast<uint64_t>(_wtoi64(text.c_str()));
      if (dest && dest->kind == CELL_INT64 && dest->value == v) return;
      record(row, col, CELL_INT64, v);
      break;
    }
    case 2: {
      const double x = wcstod(text.c_str(), nullptr);
      if (dest && dest->kind == CELL_DOUBLE && dest->asDouble() == x) return;
      Cell c{};
      c.setDoubleBits(x);
      record(row, col, CELL_DOUBLE, c.value);
      break;
    }
    default: {
      const uint64_t key = textKey(text);
      const uint8_t kind = textKind(text, CELL_TEXT);
      if (dest && dest->kind == kind && dest->value == key && (key == 0 || poolHolds(*mCore, key, text))) return;
      record(row, col, kind, internActionText(key, text, mNewTexts));
      break;
    }
  }
  if (inside) saveOld(row, col);
  else keepValueAt(row, col);
}

// The selection's range limited to the sheet's cells.
static Range sheetRange(const CDataCore& core, const Selection& selection) {
  Range r = selection.toRange(core);
  const int64_t lastRow = static_cast<int64_t>(core.mRowCount) - 1;
  const int64_t lastCol = static_cast<int64_t>(core.mColCount) - 1;
  r.top = std::max(r.top, 1);
  r.left = std::max(r.left, 1);
  r.bottom = static_cast<int32_t>(std::min<int64_t>(r.bottom, lastRow));
  r.right = static_cast<int32_t>(std::min<int64_t>(r.right, lastCol));
  return r;
}

void CCellAction::setKind(uint8_t target) {
  const Range r = sheetRange(*mCore, mSelection);
  for (int32_t row = r.top; row <= r.bottom; ++row) {
    for (int32_t col = r.left; col <= r.right; ++col) {
      const Cell& old = *mCore->cellAt(row, col);
      if (old.kind == target) continue;
      uint64_t value = 0;
      if (target == CELL_TEXT) {
        const bool script = old.kind >= CELL_EXPRTK && old.kind <= CELL_PYTHON;
        if (old.kind != CELL_HANDLER && !script) continue;  // numbers, dates, formulas stay
        if (script) value = old.value;
      } else if (old.kind == CELL_TEXT) {
        value = old.value;  // a text keeps its text as the script
      }
      if (value != 0) mNewTexts.emplace(value, mCore->poolBytes(value));
      record(row, col, target, value);
      saveOld(row, col);
    }
  }
}

// base + offset, or base when that leaves the 64-bit range.
static int64_t countFrom(int64_t base, int64_t offset) {
  int64_t sum = 0;
  return __builtin_add_overflow(base, offset, &sum) ? base : sum;
}

void CCellAction::fill(const std::u16string& text, bool series) {
  const Range range = mSelection.toRange(*mCore);
  const int kind = numberKind(text.c_str());
  if (kind == 1) {
    const int64_t base = _wtoi64(text.c_str());
    forEachVisibleCell(*mCore, range, [&](int32_t row, int32_t col, int32_t vr, int32_t vc) {
      const int64_t v = series ? countFrom(base, static_cast<int64_t>(vr) + vc) : base;
      setValue(row, col, static_cast<uint64_t>(v), CELL_INT64);
    });
  } else if (kind == 2) {
    const double base = wcstod(text.c_str(), nullptr);
    forEachVisibleCell(*mCore, range, [&](int32_t row, int32_t col, int32_t vr, int32_t vc) {
      setNumber(row, col, series ? base + vr + vc : base);
    });
  } else {
    const FillPattern pattern = FillPattern::parse(text, series);
    const uint64_t key = textKey(text);
    forEachVisibleCell(*mCore, range, [&](int32_t row, int32_t col, int32_t, int32_t vc) {
      if (pattern.mode == FillPattern::MODE_SAME) {
        setText(row, col, key, text, CELL_TEXT);
      } else {
        const std::u16string t = pattern.text(vc, row - range.top);
        setText(row, col, textKey(t), t, CELL_TEXT);
      }
    });
  }
}

void CCellAction::fillScript(const std::u16string& text, uint8_t kind, bool series) {
  const Range range = mSelection.toRange(*mCore);
  const FillPattern pattern = FillPattern::parse(text, series);
  const uint64_t key = textKey(text);
  forEachVisibleCell(*mCore, range, [&](int32_t row, int32_t col, int32_t vr, int32_t vc) {
    if (pattern.mode == FillPattern::MODE_SAME) {
      setText(row, col, key, text, kind);
    } else {
      const std::u16string t = pattern.text(vc, vr);
      setText(row, col, textKey(t), t, kind);
    }
  });
}

// The count after a paste: grown by start + n - count when the sheet has at least 2,
// else by n + 1, and never less than start + n, so no pasted cell falls outside the
// sheet.
static int32_t grownCount(int32_t count, int32_t start, int32_t n) {
  const int64_t extra = count >= 2 ? int64_t(start) + n - count : int64_t(n) + 1;
  const int64_t grown = std::max<int64_t>(count + std::max<int64_t>(extra, 0), int64_t(start) + n);
  return static_cast<int32_t>(std::min<int64_t>(grown, INT32_MAX));
}

void CCellAction::paste(size_t lineCount, size_t width,
                        const std::function<std::vector<std::u16string>()>& nextRow) {
  if (lineCount == 0) return;
  const Range range = mSelection.toRange(*mCore);
  const int32_t top = range.top;
  const int32_t left = range.left;
  const int32_t rows = static_cast<int32_t>(mCore->mRowCount);
  const int32_t cols = static_cast<int32_t>(mCore->mColCount);
  if (top < 1 || left < 1) return;
  // Rows and columns end at INT32_MAX - 1: the table is cut there, so top + i and
  // left + j never leave the 32-bit range.
  const int32_t lines = static_cast<int32_t>(std::min<size_t>(lineCount, size_t(INT32_MAX - top)));
  const int32_t fields = static_cast<int32_t>(std::min<size_t>(width, size_t(INT32_MAX - left)));
  const int32_t newRows = std::max(rows, grownCount(rows, top, lines));
  const int32_t newCols = std::max(cols, grownCount(cols, left, fields));
  if (newRows != rows || newCols != cols) {
    mResizes = true;
    mOldRows = rows;
    mOldCols = cols;
    mNewRows = newRows;
    mNewCols = newCols;
  }
  if (lineCount == 1 && width == 1) {
    const std::vector<std::u16string> line = nextRow();
    const std::u16string value = line.empty() ? std::u16string() : line[0];
    fill(value, false);  // a paste never makes a series
    // A cell the sheet grows to hold (an empty sheet) is written like a table's.
    if (!mCore->inSheet(top, left)) setFromText(top, left, value);
    return;
  }
  for (int32_t i = 0; i < lines; ++i) {
    const std::vector<std::u16string> line = nextRow();
    const size_t n = std::min(line.size(), size_t(fields));
    for (size_t j = 0; j < n; ++j) setFromText(top + i, left + static_cast<int32_t>(j), line[j]);
  }
}
