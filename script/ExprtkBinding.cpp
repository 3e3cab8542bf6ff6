#include "script/ExprtkBinding.h"

#include <cstring>

#include "platform/CodePage.h"
#include "store/DataCore.h"

namespace {

uint64_t bitsOf(double d) {
  uint64_t b;
  std::memcpy(&b, &d, sizeof b);
  return b;
}

bool isScriptOrFormula(const CDataCore& sheet, int32_t row, int32_t col) {
  uint8_t kind = sheet.cellAt(row, col)->kind;
  return (kind >= CELL_EXPRTK && kind <= CELL_PYTHON) || kind == CELL_FORMULA;
}

// A cell's bytes, to tell whether a write changed it.
struct CellImage {
  uint8_t kind, flag;
  uint64_t value;
  static CellImage of(const CDataCore& sheet, int32_t row, int32_t col) {
    const Cell* c = sheet.cellAt(row, col);
    return {c->kind, c->flag, c->value};
  }
  bool operator==(const CellImage&) const = default;
};

size_t rangeSize(const ScriptCellRef& ref) {
  int64_t rows = int64_t(ref.row2) - ref.row + 1, cols = int64_t(ref.col2) - ref.col + 1;
  return rows > 0 && cols > 0 ? static_cast<size_t>(rows * cols) : 0;
}

void readRange(const CDataCore& sheet, const ScriptCellRef& ref, std::vector<double>& out) {
  out.resize(rangeSize(ref));
  size_t i = 0;
  for (int64_t r = ref.row; r <= ref.row2 && i < out.size(); ++r)
    for (int64_t c = ref.col; c <= ref.col2; ++c) out[i++] = sheet.getDouble(int32_t(r), int32_t(c));
}

}  // namespace

void ExprtkBinding::bindIntoHost(ExprtkHost& host, const CDataCore& sheet) {
  for (BoundRef& b : refs) {
    if (!refBindable(b.ref)) continue;
    std::string name(b.ref.name());
    switch (b.ref.kind) {
      case REF_TEXT: host.mTextVars[name] = wideToAnsi(sheet.getText(b.ref.row, b.ref.col)); break;
      case REF_NUMBER: host.mNumberVars[name] = sheet.getDouble(b.ref.row, b.ref.col); break;
      case REF_COUNTIF_RANGE: host.mTextVars[name] = name; break;
      case REF_RANGE:
        if (!host.mRangeVars.count(name)) readRange(sheet, b.ref, host.mRangeVars[name]);
        break;
    }
  }
  // Addresses only once every entry is in: the maps keep their nodes in place.
  for (BoundRef& b : refs) {
    if (!refBindable(b.ref)) continue;
    std::string name(b.ref.name());
    switch (b.ref.kind) {
      case REF_TEXT:
      case REF_COUNTIF_RANGE: b.at.text = &host.mTextVars[name]; break;
      case REF_NUMBER: b.at.number = &host.mNumberVars[name]; break;
      case REF_RANGE: b.at.range = &host.mRangeVars[name]; break;
    }
  }
  snapshot();
}

void ExprtkBinding::bindIntoStorage(const std::vector<RefStorage>& storage, const CDataCore& sheet) {
  for (size_t i = 0; i < refs.size(); ++i) {
    BoundRef& b = refs[i];
    b.at = storage[i];
    if (b.at.number) *b.at.number = sheet.getDouble(b.ref.row, b.ref.col);
    if (b.at.text)
      *b.at.text = b.ref.kind == REF_COUNTIF_RANGE ? std::string(b.ref.name())
                                                   : wideToAnsi(sheet.getText(b.ref.row, b.ref.col));
    if (b.at.range) readRange(sheet, b.ref, *b.at.range);
  }
  snapshot();
}

void ExprtkBinding::snapshot() {
  rangesBefore.clear();
  for (BoundRef& b : refs) {
    if (b.at.number) b.numberBits = bitsOf(*b.at.number);
    if (b.at.text && b.ref.kind == REF_TEXT) b.text = *b.at.text;
    if (b.at.range && !rangesBefore.count(b.at.range)) rangesBefore[b.at.range] = *b.at.range;
  }
}

std::vector<RefStorage> ExprtkBinding::storage() const {
  std::vector<RefStorage> out;
  out.reserve(refs.size());
  for (const BoundRef& b : refs) out.push_back(b.at);
  return out;
}

bool ExprtkBinding::writeBack(CDataCore& sheet) const {
  bool changed = false;
  auto write = [&](int32_t row, int32_t col, auto&& put) {
    if (isScriptOrFormula(sheet, row, col)) return;
    CellImage before = CellImage::of(sheet, row, col);
    put();
    if (!(CellImage::of(sheet, row, col) == before)) changed = true;
  };
  for (const BoundRef& b : refs) {
    const ScriptCellRef& r = b.ref;
    if (b.at.number && bitsOf(*b.at.number) != b.numberBits) {
      double v = *b.at.number;
      write(r.row, r.col, [&] { sheet.setDouble(r.row, r.col, v); });
    } else if (b.at.text && r.kind == REF_TEXT && *b.at.text != b.text) {
      std::u16string t = ansiToWide(*b.at.text);
      write(r.row, r.col, [&] { sheet.setText(r.row, r.col, t); });
    } else if (b.at.range) {
      const std::vector<double>& now = *b.at.range;
      const std::vector<double>& before = rangesBefore.at(b.at.range);
      size_t i = 0;
      for (int64_t row = r.row; row <= r.row2 && i < now.size(); ++row)
        for (int64_t col = r.col; col <= r.col2 && i < now.size(); ++col, ++i)
          if (bitsOf(now[i]) != bitsOf(before[i]))
            write(int32_t(row), int32_t(col), [&] { sheet.setDouble(int32_t(row), int32_t(col), now[i]); });
    }
  }
  return changed;
}
