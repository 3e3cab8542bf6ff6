// Cell reads and writes, the pool operations, copy text and clear of CDataCore. The
// structure changes are in DataCoreShape.cpp; the delimited-text readers and writers
// live with the importers and writers.
#include "store/DataCore.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>

#include "platform/Crt.h"
#include "store/Alloc.h"
#include "store/CellTyping.h"
#include "store/CsvQuote.h"
#include "store/NumberText.h"
#include "store/TextKey.h"

namespace {

// The head's pool-byte counter, reached without taking the address of a packed member.
int64_t* poolBytesField(DocHeader* head) {
  return reinterpret_cast<int64_t*>(reinterpret_cast<char*>(head) + offsetof(DocHeader, mPoolBytes));
}

// A double truncated toward 0, saturated to the 64-bit range; NaN gives 0.
int64_t saturatingInt64(double d) {
  if (std::isnan(d)) return 0;
  if (d >= 9223372036854775808.0) return INT64_MAX;
  if (d < -9223372036854775808.0) return INT64_MIN;
  return static_cast<int64_t>(d);
}

// "%d-%02d-%02d %02d:%02d:%02d" of a local time; the plain seconds when the C library
// cannot convert the value.
std::u16string dateTimeText(int64_t t) {
  const struct tm* lt = _localtime64(&t);
  if (!lt) return int64Text(t);
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, "%d-%02d-%02d %02d:%02d:%02d", lt->tm_year + 1900, lt->tm_mon + 1,
                        lt->tm_mday, lt->tm_hour, lt->tm_min, lt->tm_sec);
  return std::u16string(buf, buf + n);
}

}  // namespace

CDataCore::CDataCore() : DocHeader{}, mPool(poolBytesField(this)) {}

// The owner has stopped whatever reads the sheet by now: no gate on the way out.
CDataCore::~CDataCore() {
  mBeforeChange = nullptr;
  clear();
}

Cell* CDataCore::cellAt(int32_t row, int32_t col) { return inSheet(row, col) ? &mDatas[row][col] : &mEmptyCell; }

const Cell* CDataCore::cellAt(int32_t row, int32_t col) const {
  return inSheet(row, col) ? &mDatas[row][col] : &mEmptyCell;
}

// Drops what the old value owns: its pool reference and, for a formula, its computed value.
void CDataCore::releaseValue(Cell& cell, int32_t row, int32_t col) {
  if (cell.kind == CELL_FORMULA) {
    if (cell.value) mPool.release(cell.value);
    mFormulaValues.erase(cellPos(row, col));
  } else if (isPoolKind(cell.kind) && cell.value) {
    mPool.release(cell.value);
  }
}

// ---- reads ----

void CDataCore::appendCellText(const Cell& cell, std::u16string& out) const {
  if (isTextKind(cell.kind)) {
    out.append(poolTextView(cell.value));
    return;
  }
  switch (cell.kind) {
    case CELL_INT64: {
      char buf[24];
      char* end = std::to_chars(buf, buf + sizeof buf, cell.asInt64()).ptr;
      out.append(buf, end);
      return;
    }
    case CELL_DOUBLE: appendDoubleText(out, cell.asDouble()); return;
    case CELL_HANDLER:
      if (mHandler) {
        const char* bytes = poolFind(cell.value);
        if (bytes) out += mHandler->text(bytes, mHandlerName);
        return;
      }
      out += dateTimeText(cell.asInt64());
      return;
    case CELL_DATETIME: out += dateTimeText(cell.asInt64()); return;
    default: return;
  }
}

void CDataCore::appendText(int32_t row, int32_t col, std::u16string& out) const {
  if (inSheet(row, col)) appendCellText(mDatas[row][col], out);
}

std::u16string_view CDataCore::cellTextView(const Cell& cell, std::u16string& scratch) const {
  if (isTextKind(cell.kind)) return poolTextView(cell.value);
  scratch.clear();
  appendCellText(cell, scratch);
  return scratch;
}

std::u16string CDataCore::getText(int32_t row, int32_t col) const {
  std::u16string out;
  appendText(row, col, out);
  return out;
}

int64_t CDataCore::getInt64(int32_t row, int32_t col) const {
  if (!inSheet(row, col)) return 0;
  const Cell& c = mDatas[row][col];
  switch (c.kind) {
    case CELL_TEXT: return c.value ? _wtoi64(poolText(c.value).c_str()) : 0;
    case CELL_INT64:
    case CELL_DATETIME: return c.asInt64();
    case CELL_DOUBLE: return saturatingInt64(c.asDouble());
    case CELL_HANDLER: {
      const char* bytes = mHandler ? poolFind(c.value) : nullptr;
      return bytes ? mHandler->int64Value(bytes, mHandlerName) : 0;
    }
    case CELL_FORMULA: return saturatingInt64(formulaValue(row, col));
    default: return 0;
  }
}

double CDataCore::getDouble(int32_t row, int32_t col) const {
  if (!inSheet(row, col)) return 0;
  const Cell& c = mDatas[row][col];
  switch (c.kind) {
    case CELL_TEXT: return c.value ? wcstod(poolText(c.value).c_str(), nullptr) : 0;
    case CELL_INT64: return static_cast<double>(c.asInt64());
    case CELL_DOUBLE: return c.asDouble();
    case CELL_HANDLER: {
      const char* bytes = mHandler ? poolFind(c.value) : nullptr;
      return bytes ? mHandler->doubleValue(bytes, mHandlerName) : 0;
    }
    case CELL_FORMULA: return formulaValue(row, col);
    default: return 0;
  }
}

double CDataCore::getNumber(int32_t row, int32_t col) const {
  if (!inSheet(row, col)) return 0;
  const Cell& c = mDatas[row][col];
  switch (c.kind) {
    case CELL_INT64: return static_cast<double>(c.asInt64());
    case CELL_DOUBLE: return c.asDouble();
    case CELL_HANDLER: {
      const char* bytes = mHandler ? poolFind(c.value) : nullptr;
      return bytes ? mHandler->number(bytes, mHandlerName) : 0;
    }
    case CELL_FORMULA: return formulaValue(row, col);
    default: return 0;
  }
}

std::u16string CDataCore::valueText(int32_t row, int32_t col) const {
  if (!inSheet(row, col)) return {};
  if (mDatas[row][col].kind == CELL_FORMULA) {
    auto it = mFormulaValues.find(cellPos(row, col));
    if (it != mFormulaValues.end()) return doubleText(it->second);
  }
  return getText(row, col);
}

std::u16string CDataCore::formulaText(int32_t row, int32_t col, bool& computed) const {
  computed = false;
  if (!inSheet(row, col)) return {};
  auto it = mFormulaValues.find(cellPos(row, col));
  if (it != mFormulaValues.end()) {
    computed = true;
    return doubleText(it->second);
  }
  const Cell& c = mDatas[row][col];
  return isPoolKind(c.kind) ? poolText(c.value) : std::u16string();
}

double CDataCore::formulaValue(int32_t row, int32_t col) const {
  auto it = mFormulaValues.find(cellPos(row, col));
  return it == mFormulaValues.end() ? 0 : it->second;
}

void CDataCore::setFormulaValue(int32_t row, int32_t col, double value) {
  beforeChange();
  if (inSheet(row, col)) mFormulaValues[cellPos(row, col)] = value;
}

// ---- writes ----

void CDataCore::setInt64(int32_t row, int32_t col, int64_t value) {
  beforeChange();
  if (!inSheet(row, col)) return;
  Cell& c = mDatas[row][col];
  releaseValue(c, row, col);
  c.kind = CELL_INT64;
  c.value = static_cast<uint64_t>(value);
}

void CDataCore::setDouble(int32_t row, int32_t col, double value) {
  beforeChange();
  if (!inSheet(row, col)) return;
  Cell& c = mDatas[row][col];
  releaseValue(c, row, col);
  c.kind = CELL_DOUBLE;
  c.setDoubleBits(value);
}

// The text writers take the new text's reference before the old value is released: a
// failed intern (out of memory) then leaves the cell as it was.
void CDataCore::setText(int32_t row, int32_t col, const std::u16string& text) {
  beforeChange();
  if (!inSheet(row, col)) return;
  const uint64_t key = text.empty() ? 0 : mPool.internText(textKey(text), text);
  Cell& c = mDatas[row][col];
  releaseValue(c, row, col);
  c.kind = !text.empty() && text[0] == u'=' ? CELL_FORMULA : CELL_TEXT;
  c.value = key;
}

void CDataCore::setTextTyped(int32_t row, int32_t col, const char16_t* text) {
  beforeChange();
  if (!text || !inSheet(row, col)) return;
  const Cell typed = typedCell(std::u16string_view(text, std::char_traits<char16_t>::length(text)));
  Cell& c = mDatas[row][col];
  releaseValue(c, row, col);
  c.kind = typed.kind;
  c.value = typed.value;
}

Cell CDataCore::typedCell(std::u16string_view view) {
  assert(view.find(u'\0') == std::u16string_view::npos);
  return typedCellOf(view, [this](std::u16string_view text) { return mPool.internText(textKey(text), text); });
}

uint64_t CDataCore::setAttrText(int32_t index, const std::u16string& text) {
  beforeChange();
  if (index < 0 || index >= ATTR_SLOT_COUNT) return 0;
  const uint64_t key = mPool.internText(textKey(text), text);  // first: a failure changes nothing
  if (mAttrs[index].value) mPool.release(mAttrs[index].value);
  mAttrs[index].value = key;
  return key;
}

void CDataCore::clearCell(int32_t row, int32_t col) {
  beforeChange();
  if (!inSheet(row, col)) return;
  Cell& c = mDatas[row][col];
  releaseValue(c, row, col);
  c = Cell{};
}

// Writes `saved` into (row, col). For a pool kind, bytesOf(key) gives the text bytes to
// intern (null data: not available, the cell then becomes empty). With releaseOld false
// the new reference is taken before the old value is released, so that a text shared by
// source and destination within one pool is never dropped in between.
void CDataCore::restoreFrom(int32_t row, int32_t col, const Cell& saved, bool releaseOld,
                            const std::function<std::string_view(uint64_t)>& bytesOf) {
  if (!inSheet(row, col)) return;
  Cell& dst = mDatas[row][col];
  if (&saved == &dst) return;
  const Cell in = saved;
  if (releaseOld) releaseValue(dst, row, col);
  uint64_t value = in.value;
  uint8_t kind = in.kind;
  if (isPoolKind(kind) && value) {
    std::string_view bytes = bytesOf(value);
    if (bytes.data()) {
      value = mPool.intern(value, bytes.data(), bytes.size());
    } else {
      kind = CELL_TEXT;
      value = 0;
    }
  }
  if (!releaseOld) releaseValue(dst, row, col);
  dst.kind = kind;
  dst.value = value;
  if (in.flag != CELL_FLAG_KEEP) dst.flag = in.flag;
}

void CDataCore::restoreCell(int32_t row, int32_t col, const Cell& saved, const TextMap& texts) {
  beforeChange();
  // The new reference first: a failed intern (out of memory) leaves the cell as it was.
  restoreFrom(row, col, saved, false, [&](uint64_t key) {
    auto it = texts.find(key);
    return it == texts.end() ? std::string_view() : std::string_view(it->second);
  });
}

void CDataCore::copyCell(int32_t row, int32_t col, const Cell& cell, const StringPool& otherPool) {
  beforeChange();
  restoreFrom(row, col, cell, false, [&](uint64_t key) {
    StringPool::Entry e;
    return otherPool.lookup(key, e) ? std::string_view(e.bytes, e.len) : std::string_view();
  });
}

// ---- whole-sheet reads ----

bool CDataCore::isHeaderEmpty() const {
  if (mColCount <= 1 || mRowCount < 2) return true;
  for (uint64_t c = 1; c < mColCount; ++c)
    if (!mDatas[1][c].isZero()) return false;
  return true;
}

bool CDataCore::isColumnEmpty(int32_t col, int32_t first, int32_t last) const {
  for (int64_t r = first; r <= last; ++r)
    if (!cellAt(int32_t(r), col)->isZero()) return false;
  return true;
}

namespace {

// The last row in 1..rowEnd-1 holding a non-empty cell in columns 1..colEnd-1, or 0.
int64_t lastUsedRow(Cell* const* rows, int64_t rowEnd, int64_t colEnd) {
  for (int64_t r = rowEnd - 1; r >= 1; --r)
    for (int64_t c = 1; c < colEnd; ++c)
      if (!rows[r][c].isZero()) return r;
  return 0;
}

// The last column in 1..colEnd-1 holding a non-empty cell in rows 1..rowEnd-1, or 0.
int64_t lastUsedCol(Cell* const* rows, int64_t rowEnd, int64_t colEnd) {
  int64_t last = 0;
  for (int64_t r = 1; r < rowEnd; ++r)
    for (int64_t c = colEnd - 1; c > last; --c)
      if (!rows[r][c].isZero()) {
        last = c;
        break;
      }
  return last;
}

}  // namespace

std::u16string CDataCore::copyText(const Range& range) const {
  const int64_t rows = int64_t(mRowCount), cols = int64_t(mColCount);
  int64_t top = range.top, left = range.left, bottom = range.bottom, right = range.right;
  if (rows == 0 || cols == 0) return {};
  if (top != 0 && left == 0) {  // whole rows
    left = 1;
    right = lastUsedCol(mDatas, std::min<int64_t>(bottom + 1, rows), cols);
  } else if (top == 0 && left != 0) {  // whole columns
    top = 1;
    bottom = lastUsedRow(mDatas, rows, std::min<int64_t>(right + 1, cols));
  } else if (top == 0 && left == 0) {  // whole sheet
    top = 1;
    bottom = lastUsedRow(mDatas, rows, cols);
    left = 1;
    right = lastUsedCol(mDatas, bottom + 1, cols);
  }
  // Only data cells of the sheet are copied.
  top = std::max<int64_t>(top, 1);
  left = std::max<int64_t>(left, 1);
  bottom = std::min(bottom, rows - 1);
  right = std::min(right, cols - 1);
  if (bottom < top || right < left) return {};
  std::u16string out;
  for (int64_t r = top; r <= bottom; ++r) {
    if (mDatas[r][0].flag != 0) continue;  // hidden row: no line
    bool first = true;
    for (int64_t c = left; c <= right; ++c) {
      if (mDatas[0][c].flag != 0) continue;  // hidden column
      if (!first) out.push_back(u'\t');
      first = false;
      out += csvQuote(valueText(int32_t(r), int32_t(c)), u'\t');
    }
    out.push_back(u'\n');
  }
  if (!out.empty()) out.pop_back();
  return out;
}

void CDataCore::freeAllRows() {
  for (uint64_t r = 0; r < mRowCount; ++r) rowalloc::freeRow(mDatas[r]);
  rowalloc::freeArray(mDatas);
  mDatas = nullptr;
}

void CDataCore::clear() {
  beforeChange();
  freeAllRows();  // the keys need no release: the pool is emptied too
  static_cast<DocHeader&>(*this) = DocHeader{};
  mPool.clear();
  mFilter.mColumns.clear();
}

// ---- pool ----

uint64_t CDataCore::intern(uint64_t key, std::u16string_view text) { return mPool.internText(key, text); }

uint64_t CDataCore::internBytes(uint64_t key, std::string_view bytes) {
  return mPool.intern(key, bytes.data(), bytes.size());
}

std::u16string_view CDataCore::poolTextView(uint64_t key) const {
  StringPool::Entry e;
  if (!key || !mPool.lookup(key, e)) return {};
  // Entries start on 4-byte boundaries, so the UTF-16 units are aligned.
  std::u16string_view text(reinterpret_cast<const char16_t*>(e.bytes), e.len / 2);
  return upToNul(text);
}

std::u16string CDataCore::poolText(uint64_t key) const { return std::u16string(poolTextView(key)); }

const char* CDataCore::poolFind(uint64_t key) const { return mPool.find(key); }

std::string CDataCore::poolBytes(uint64_t key) const {
  StringPool::Entry e;
  if (!key || !mPool.lookup(key, e)) return {};
  return std::string(e.bytes, e.len);
}

void CDataCore::release(uint64_t key) {
  if (key) mPool.release(key);
}

void CDataCore::setProgress(ProgressFn fn) { mCallbacks[CALLBACK_PROGRESS] = std::move(fn); }

void CDataCore::reportProgress(int64_t percent) {
  if (mCallbacks[CALLBACK_PROGRESS]) mCallbacks[CALLBACK_PROGRESS](reinterpret_cast<uint64_t>(this), percent);
}

// ---- filter ----

void CDataCore::loadFilter() {
  beforeChange();
  mFilter.mColumns.clear();
  const uint64_t key = mAttrs[ATTR_FILTER].value;
  if (key) mFilter.deserialize(poolBytes(key));
}
