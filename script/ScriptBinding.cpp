// The host records' operations, bound to one document. The exprtk and C records speak
// ANSI text, the Python record UTF-8. Cell writes go straight into the sheet and mark the
// written document modified when the cell changed.
#include <cstring>

#include "commands/GridOps.h"
#include "platform/CodePage.h"
#include "script/AreaLookup.h"
#include "script/CountIf.h"
#include "script/ScriptDocument.h"
#include "script/ScriptRun.h"

ScriptDocuments& scriptDocuments() {
  static ScriptDocuments documents;
  return documents;
}

namespace {

struct Ansi {
  static std::u16string in(const std::string& s) { return ansiToWide(s); }
  static std::string out(const std::u16string& s) { return wideToAnsi(s); }
};
struct Utf8 {
  static std::u16string in(const std::string& s) { return utf8ToWide(s); }
  static std::string out(const std::u16string& s) { return wideToUtf8(s); }
};

// Runs a write on one cell and marks the document modified when the cell's bytes changed.
template <typename Write>
void writeCell(CGridOps& ops, int32_t row, int32_t col, Write write) {
  const Cell before = *ops.mCore->cellAt(row, col);
  write(*ops.mCore);
  const Cell* after = ops.mCore->cellAt(row, col);
  if (std::memcmp(&before, after, sizeof before) != 0 && ops.mComManag) ops.mComManag->markOutsideChange();
}

template <typename Codec>
CGridOps* tableOps(const std::string& table) {
  auto& find = scriptDocuments().findByTitle;
  ScriptDocument* doc = find ? find(Codec::in(table)) : nullptr;
  return doc ? &doc->scriptOps() : nullptr;
}

// Selects the header cell of row or column `at` (a whole row or column), scrolls to it
// and runs the grid's insert; -1 appends at the end with a resize.
void insertAt(ScriptDocument& doc, bool rows, int32_t at, int32_t count) {
  CGridOps& ops = doc.scriptOps();
  const int32_t rowCount = static_cast<int32_t>(ops.mCore->mRowCount);
  const int32_t colCount = static_cast<int32_t>(ops.mCore->mColCount);
  if (at == -1) {
    if (rows) ops.resize(rowCount + count, colCount);
    else ops.resize(rowCount, colCount + count);
    doc.repaint();
    return;
  }
  const int32_t row = rows ? at : 0, col = rows ? 0 : at;
  if (ops.mSelection) *ops.mSelection = Selection{row, col, Range{row, col, row, col}};
  doc.scrollToCell(row, col);
  doc.insert(count);
}

template <typename Host, typename Codec>
void bindCommon(Host& host, ScriptDocument& doc) {
  CGridOps& ops = doc.scriptOps();
  CDataCore& core = *ops.mCore;
  host.getCell = [&core](int32_t r, int32_t c) { return core.getDouble(r, c); };
  host.setCell = [&ops](int32_t r, int32_t c, double v) {
    writeCell(ops, r, c, [&](CDataCore& s) { s.setDouble(r, c, v); });
  };
  host.getCellText = [&core](int32_t r, int32_t c) { return Codec::out(core.getText(r, c)); };
  host.setCellText = [&ops](int32_t r, int32_t c, const std::string& t) {
    std::u16string text = Codec::in(t);
    writeCell(ops, r, c, [&](CDataCore& s) { s.setText(r, c, text); });
  };
  host.getTableCell = [](const std::string& table, int32_t r, int32_t c) {
    CGridOps* other = tableOps<Codec>(table);
    return other ? other->mCore->getDouble(r, c) : 0.0;
  };
  host.setTableCell = [](const std::string& table, int32_t r, int32_t c, double v) {
    if (CGridOps* other = tableOps<Codec>(table))
      writeCell(*other, r, c, [&](CDataCore& s) { s.setDouble(r, c, v); });
  };
  host.getTableCellText = [](const std::string& table, int32_t r, int32_t c) {
    CGridOps* other = tableOps<Codec>(table);
    return other ? Codec::out(other->mCore->getText(r, c)) : std::string();
  };
  host.setTableCellText = [](const std::string& table, int32_t r, int32_t c, const std::string& t) {
    if (CGridOps* other = tableOps<Codec>(table)) {
      std::u16string text = Codec::in(t);
      writeCell(*other, r, c, [&](CDataCore& s) { s.setText(r, c, text); });
    }
  };
  host.saveDocument = [&doc] { return doc.save(); };
  host.showProgress = [&doc](int32_t percent) {
    noteScriptProgress(percent);
    doc.progress(percent);
  };
  host.saveDocumentAs = [&doc](const std::string& path) { return doc.saveAs(Codec::in(path)); };
  host.rowCount = [&core] { return static_cast<int32_t>(core.mRowCount); };
  host.colCount = [&core] { return static_cast<int32_t>(core.mColCount); };
  host.resizeSheet = [&ops](int32_t rows, int32_t cols) { ops.resize(rows, cols); };
  host.selectedRow = [&ops] { return ops.mSelection ? ops.mSelection->range.top : 0; };
  host.selectedCol = [&ops] { return ops.mSelection ? ops.mSelection->range.left : 0; };
  host.insertCols = [&doc](int32_t at, int32_t count) { insertAt(doc, false, at, count); };
  host.insertRows = [&doc](int32_t at, int32_t count) { insertAt(doc, true, at, count); };
  host.openFile = [&doc](const std::u16string& path) { doc.open(path); };
  host.sortSelection = [&doc](int32_t, int32_t order) {
    if (order != 0) doc.sortAscending();
    else doc.sortDescending();
  };
}

template <typename Host, typename Codec>
void bindAreas(Host& host) {
  host.phoneArea = [](const std::string& n) { return Codec::out(ansiToWide(phoneAreaOf(Codec::in(n)))); };
  host.idCardArea = [](const std::string& n) { return Codec::out(ansiToWide(idCardAreaOf(Codec::in(n)))); };
  host.postCodeArea = [](int32_t code) { return Codec::out(ansiToWide(postCodeAreaOf(code))); };
}

}  // namespace

void bindScriptHosts(ScriptDocument& doc) {
  CGridOps& ops = doc.scriptOps();
  bindCommon<ExprtkHost, Ansi>(doc.mExprtkHost, doc);
  bindAreas<ExprtkHost, Ansi>(doc.mExprtkHost);
  doc.mExprtkHost.commitVariables = [] {};
  doc.mExprtkHost.countIf = [&ops](const std::string& range, const std::string& criterion) {
    return evalCountIf(*ops.mCore, static_cast<int32_t>(int64_t(ops.mCore->mRowCount) - 1), range, criterion);
  };
  bindCommon<TccHost, Ansi>(doc.mTccHost, doc);
  bindCommon<PythonHost, Utf8>(doc.mPythonHost, doc);
  bindAreas<PythonHost, Utf8>(doc.mPythonHost);
  PythonHost& py = doc.mPythonHost;
  py.saveTableAs = [](const std::string& table, const std::string& path) -> int32_t {
    auto& find = scriptDocuments().findByTitle;
    ScriptDocument* other = find ? find(utf8ToWide(table)) : nullptr;
    return other ? other->saveAs(utf8ToWide(path)) : 0;
  };
  py.resizeTable = [](const std::string& table, int32_t rows, int32_t cols) {
    auto& find = scriptDocuments().findByTitle;
    if (ScriptDocument* other = find ? find(utf8ToWide(table)) : nullptr) {
      other->scriptOps().resize(rows + 1, cols + 1);
      other->repaint();
    }
  };
  py.createFile = [](const std::string& path) -> int32_t {
    auto& create = scriptDocuments().createFileInNewTab;
    return create ? create(utf8ToWide(path)) : 0;
  };
}
