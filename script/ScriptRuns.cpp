// The script runs of a document's operations block: F5 over the whole sheet, F8 over
// the selection, and one cell or document script of each engine. Script writes go
// straight into the sheet (not undoable) and mark the document modified in its command
// manager.
#include <cstdio>
#include <string>

#include "commands/GridOps.h"
#include "controls/TextEditor.h"
#include "platform/CodePage.h"
#include "script/ExprtkBinding.h"
#include "script/ExprtkCache.h"
#include "script/ExprtkCacheKey.h"
#include "script/ExprtkRun.h"
#include "script/OutputWindow.h"
#include "script/ScriptEngines.h"
#include "script/ScriptRun.h"
#include "store/ColumnName.h"

namespace {

constexpr const char* kBannerRule = "========================";
constexpr size_t kMaxCachedRangeValues = size_t(1) << 20;

int32_t lastRowOf(const CDataCore& core) { return static_cast<int32_t>(int64_t(core.mRowCount) - 1); }
int32_t lastColOf(const CDataCore& core) { return static_cast<int32_t>(int64_t(core.mColCount) - 1); }

std::string cellBanner(int32_t row, int32_t col, const char* what) {
  return std::string(kBannerRule) + "Run cell[" + std::to_string(row) + "," + std::to_string(col) +
         "] " + what + " script error:" + kBannerRule + "\n";
}

size_t rangeValues(const ExprtkBinding& binding) {
  size_t n = 0;
  for (const auto& [vec, before] : binding.rangesBefore) n += before.size();
  return n;
}

}  // namespace

ScriptEngines& scriptEngines() {
  static ScriptEngines engines;
  return engines;
}

// Runs one exprtk text as the script of cell (row, col): scan, bind, compile (or reuse a
// compiled script of the same shape), evaluate, write back. True when it compiled.
static bool runExprtkText(CGridOps& ops, int32_t row, int32_t col, const std::string& text) {
  CDataCore& core = *ops.mCore;
  ExprtkHost& host = ops.mExprtkHost;
  host.reset();
  const int32_t lastRow = lastRowOf(core), lastCol = lastColOf(core);

  ExprtkBinding binding;
  CCellRefScanner scanner(text.c_str(), lastRow, lastCol);
  for (ScriptCellRef ref = scanner.next(); ref.begin; ref = scanner.next())
    binding.refs.push_back(BoundRef{ref, {}, 0, {}});

  std::string key;
  const bool cacheable =
      host.mCacheEnabled && exprtkCacheKey(text, binding.refs, row, col, lastRow, lastCol, key);
  ExprtkCacheEntry* cached = nullptr;
  if (cacheable && host.mCache) {
    auto it = host.mCache->entries.find(key);
    if (it != host.mCache->entries.end()) cached = &it->second;
  }

  if (cached)
    binding.bindIntoStorage(cached->storage, core);
  else
    binding.bindIntoHost(host, core);

  // What the commit slot needs, behind one pointer (the slot then holds no allocation).
  struct Commit {
    CGridOps& ops;
    ExprtkBinding& binding;
    bool wrote = false;
  } commit{ops, binding};
  host.commitVariables = [c = &commit] {
    if (c->ops.mExprtkHost.mEnded) return;  // open_file replaced the sheet: nothing goes back
    if (c->binding.writeBack(*c->ops.mCore)) c->wrote = true;
  };
  // The binding ends with this frame, also when a callback throws out of the script.
  struct CommitReset {
    ExprtkHost& host;
    ~CommitReset() { host.commitVariables = [] {}; }
  } commitReset{host};
  host.mRow = row;
  host.mCol = col;
  host.mResult = 0;

  bool compiled = true;
  if (cached) {
    host.mResult = evaluateExprtk(*cached->compiled);
  } else {
    CompiledExprtkPtr fresh = compileExprtk(host, text);
    compiled = fresh != nullptr;
    if (compiled) host.mResult = evaluateExprtk(*fresh);
    if (compiled && cacheable && rangeValues(binding) <= kMaxCachedRangeValues) {
      if (!host.mCache) host.mCache = std::make_shared<ExprtkCache>();
      if (host.mCache->entries.size() >= ExprtkCache::kMaxEntries) host.mCache->entries.clear();
      // The maps move node by node: the compiled script's references stay valid.
      ExprtkCacheEntry entry{std::move(host.mNumberVars), std::move(host.mTextVars),
                             std::move(host.mRangeVars), binding.storage(), std::move(fresh)};
      host.mNumberVars.clear();
      host.mTextVars.clear();
      host.mRangeVars.clear();
      host.mCache->entries.emplace(key, std::move(entry));
    }
  }
  host.commitVariables();
  if (commit.wrote && ops.mComManag) ops.mComManag->markOutsideChange();
  return compiled;
}

void CGridOps::runExprtkCell(int32_t row, int32_t col, const std::u16string& script) {
  std::string text = wideToAnsi(script);
  if (text.empty()) return;
  runExprtkText(*this, row, col, text);
  if (!mExprtkHost.mErrors.empty() && mOutput)
    appendOutputText(*mOutput, ansiToWide(cellBanner(row, col, "Exprtk") + mExprtkHost.mErrors + "\n"));
}

void CGridOps::runFormulaCell(int32_t row, int32_t col, const std::u16string& text) {
  std::string expression = wideToAnsi(std::u16string_view(text).substr(text.empty() ? 0 : 1));
  if (expression.empty()) return;
  bool compiled = runExprtkText(*this, row, col, expression);
  if (compiled && !mExprtkHost.mEnded) mCore->setFormulaValue(row, col, mExprtkHost.mResult);
  if (!mExprtkHost.mErrors.empty() && mOutput)
    appendOutputText(*mOutput, ansiToWide(std::string(kBannerRule) + "Run cell[" + colNameA(col - 1) +
                                          std::to_string(row) + "] Exprtk formula script error:" +
                                          kBannerRule + "\n" + mExprtkHost.mErrors + "\n"));
}

static std::string documentPathAnsi(const CGridOps& ops) {
  return ops.mHooks.documentPath ? wideToAnsi(ops.mHooks.documentPath()) : std::string();
}

static void runTcc(CGridOps& ops, int32_t row, int32_t col, const std::string& text) {
  if (text.empty() || !scriptEngines().runTcc) return;
  TccHost& host = ops.mTccHost;
  host.mFileName = documentPathAnsi(ops);
  host.mErrors.clear();
  host.mRow = row;
  host.mCol = col;
  scriptEngines().runTcc(host, text);
  if (!host.mErrors.empty() && ops.mOutput)
    appendOutputText(*ops.mOutput, ansiToWide(cellBanner(row, col, "Tcc") + host.mErrors + "\n"));
}

static void runPython(CGridOps& ops, int32_t row, int32_t col, const std::string& text) {
  if (text.empty() || !scriptEngines().runPython) return;
  PythonHost& host = ops.mPythonHost;
  host.mErrors.clear();
  host.mRow = row;
  host.mCol = col;
  host.mEnded = false;
  scriptEngines().runPython(host, text);
  if (host.mEnded) ops.mExprtkHost.mEnded = true;  // open_file ended the whole run
  if (!host.mErrors.empty() && ops.mOutput)
    appendOutputText(*ops.mOutput, utf8ToWide(cellBanner(row, col, "Python") + host.mErrors + "\n"));
}

void CGridOps::runTccCell(int32_t row, int32_t col) { runTcc(*this, row, col, wideToAnsi(mCore->getText(row, col))); }
void CGridOps::runTccScript(const std::u16string& script) { runTcc(*this, 0, 0, wideToAnsi(script)); }
void CGridOps::runPythonCell(int32_t row, int32_t col) { runPython(*this, row, col, wideToUtf8(mCore->getText(row, col))); }
void CGridOps::runPythonScript(const std::u16string& script) { runPython(*this, 0, 0, wideToUtf8(script)); }

// Runs the script or formula of one cell by its kind; false when the run was ended
// (open_file) and no further cell may run.
static bool runCell(CGridOps& ops, int32_t row, int32_t col) {
  const Cell* cell = ops.mCore->cellAt(row, col);
  if (cell->value == 0) return true;
  switch (cell->kind) {
    case CELL_EXPRTK:
      ops.runExprtkCell(row, col, ops.mCore->getText(row, col));
      break;
    case CELL_TCC:
      ops.runTccCell(row, col);
      break;
    case CELL_PYTHON:
      ops.runPythonCell(row, col);
      break;
    case CELL_FORMULA:
      ops.runFormulaCell(row, col, ops.mCore->getText(row, col));
      break;
    default:
      return true;
  }
  return !ops.mExprtkHost.mEnded;
}

static void showOutputIfText(CGridOps& ops) {
  if (ops.mOutput && !ops.mOutput->shownText.empty() && ops.mHooks.showOutput) ops.mHooks.showOutput();
}

bool CGridOps::runAllScripts() {
  ScriptRunGuard guard(*this);
  if (!guard.owns()) return false;
  if (mOutput) clearOutputEditor(*mOutput);
  mExprtkHost.mEnded = false;
  auto attr = [&](int32_t slot) { return mCore->poolText(mCore->mAttrs[slot].value); };
  std::u16string exprtkScript = attr(ATTR_EXPRTK_SCRIPT);
  std::u16string cScript = attr(ATTR_C_SCRIPT);
  std::u16string pythonScript = attr(ATTR_PYTHON_SCRIPT);
  // An open_file of a document script ends the run there (the C one opens a new tab).
  if (!exprtkScript.empty()) runExprtkCell(0, 0, exprtkScript);
  if (!mExprtkHost.mEnded && !cScript.empty()) runTccScript(cScript);
  if (!mExprtkHost.mEnded && !pythonScript.empty()) runPythonScript(pythonScript);
  bool live = !mExprtkHost.mEnded;
  for (int64_t row = 1; live && row < int64_t(mCore->mRowCount); ++row)
    for (int64_t col = 1; live && col < int64_t(mCore->mColCount); ++col)
      live = runCell(*this, int32_t(row), int32_t(col));
  showOutputIfText(*this);
  return true;
}

bool CGridOps::runSelectedScripts() {
  ScriptRunGuard guard(*this);
  if (!guard.owns()) return false;
  Range bounds = mSelection ? mSelection->toRange(*mCore) : Range{};
  if (mOutput) clearOutputEditor(*mOutput);
  mExprtkHost.mEnded = false;
  bool live = mSelection != nullptr;
  for (int64_t row = bounds.top; live && row <= bounds.bottom; ++row)
    for (int64_t col = bounds.left; live && col <= bounds.right; ++col)
      live = runCell(*this, int32_t(row), int32_t(col));
  showOutputIfText(*this);
  return true;
}
