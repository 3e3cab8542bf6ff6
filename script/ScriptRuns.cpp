#include "script/ScriptRuns.h"

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
#include "script/ScriptDocument.h"
#include "script/ScriptEngines.h"
#include "script/ScriptRun.h"
#include "store/ColumnName.h"

namespace {

constexpr const char* kBannerRule = "========================";
constexpr size_t kMaxCachedRangeValues = size_t(1) << 20;

int32_t lastRowOf(const CDataCore& core) { return static_cast<int32_t>(int64_t(core.mRowCount) - 1); }
int32_t lastColOf(const CDataCore& core) { return static_cast<int32_t>(int64_t(core.mColCount) - 1); }

std::string cellBanner(int32_t row, int32_t col, const char* what) {
  return std::string(kBannerRule) + "Run cell[" + std::to_string(row) + "," + std::to_string(col) + "] " + what +
         " script error:" + kBannerRule + "\n";
}

size_t rangeValues(const ExprtkBinding& binding) {
  size_t n = 0;
  for (const auto& [vec, before] : binding.rangesBefore) n += before.size();
  return n;
}

void appendOutput(ScriptDocument& doc, const std::u16string& text) {
  if (CCText* output = doc.outputEditor()) appendOutputText(*output, text);
}

// Tells the user that a script of a missing engine did not run (see runTccCell).
void reportMissingEngine(ScriptDocument& doc, ScriptEngine engine, const char16_t* text) {
  const GridHooks& hooks = doc.scriptOps().mHooks;
  if (reportMissingEngineNow(engine) && hooks.showMessage) hooks.showMessage(u"运行脚本", text);
}

}  // namespace

ScriptEngines& scriptEngines() {
  static ScriptEngines engines;
  return engines;
}

// Runs one exprtk text as the script of cell (row, col): scan, bind, compile (or reuse a
// compiled script of the same shape), evaluate, write back. True when it compiled.
static bool runExprtkText(ScriptDocument& doc, int32_t row, int32_t col, const std::string& text) {
  CGridOps& ops = doc.scriptOps();
  CDataCore& core = *ops.mCore;
  ExprtkHost& host = doc.mExprtkHost;
  host.reset();
  const int32_t lastRow = lastRowOf(core), lastCol = lastColOf(core);

  ExprtkBinding binding;
  CCellRefScanner scanner(text.c_str(), lastRow, lastCol);
  for (ScriptCellRef ref = scanner.next(); ref.begin; ref = scanner.next())
    binding.refs.push_back(BoundRef{ref, {}, 0, {}});

  std::string key;
  const bool cacheable = host.mCacheEnabled && exprtkCacheKey(text, binding.refs, row, col, lastRow, lastCol, key);
  ExprtkCacheEntry* cached = nullptr;
  if (cacheable && host.mCache) {
    auto it = host.mCache->entries.find(key);
    if (it != host.mCache->entries.end()) cached = &it->second;
  }

  if (cached) binding.bindIntoStorage(cached->storage, core);
  else binding.bindIntoHost(host, core);

  // What the commit slot needs, behind one pointer (the slot then holds no allocation).
  struct Commit {
    ScriptDocument& doc;
    ExprtkBinding& binding;
    bool wrote = false;
  } commit{doc, binding};
  host.commitVariables = [c = &commit] {
    if (c->doc.mExprtkHost.mEnded) return;  // open_file replaced the sheet: nothing goes back
    if (c->binding.writeBack(*c->doc.scriptOps().mCore)) c->wrote = true;
  };
  // The binding ends with this frame, also when a callback throws out of the script.
  struct CommitReset {
    ExprtkHost& host;
    ~CommitReset() {
      host.commitVariables = [] {};
    }
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
      ExprtkCacheEntry entry{std::move(host.mNumberVars), std::move(host.mTextVars), std::move(host.mRangeVars),
                             binding.storage(), std::move(fresh)};
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

void runExprtkCell(ScriptDocument& doc, int32_t row, int32_t col, const std::u16string& script) {
  std::string text = wideToAnsi(script);
  if (text.empty()) return;
  runExprtkText(doc, row, col, text);
  const std::string& errors = doc.mExprtkHost.mErrors;
  if (!errors.empty()) appendOutput(doc, ansiToWide(cellBanner(row, col, "Exprtk") + errors + "\n"));
}

void runFormulaCell(ScriptDocument& doc, int32_t row, int32_t col, const std::u16string& text) {
  std::string expression = wideToAnsi(std::u16string_view(text).substr(text.empty() ? 0 : 1));
  if (expression.empty()) return;
  const ExprtkHost& host = doc.mExprtkHost;
  bool compiled = runExprtkText(doc, row, col, expression);
  if (compiled && !host.mEnded) doc.scriptOps().mCore->setFormulaValue(row, col, host.mResult);
  if (!host.mErrors.empty())
    appendOutput(doc, ansiToWide(std::string(kBannerRule) + "Run cell[" + colNameA(col - 1) + std::to_string(row) +
                                 "] Exprtk formula script error:" + kBannerRule + "\n" + host.mErrors + "\n"));
}

static void runTcc(ScriptDocument& doc, int32_t row, int32_t col, const std::string& text) {
  if (text.empty()) return;
  if (!scriptEngines().runTcc) {
    reportMissingEngine(doc, ScriptEngine::Tcc, u"TCC脚本没有运行，因为没有安装TCC脚本引擎!");
    return;
  }
  TccHost& host = doc.mTccHost;
  host.mFileName = wideToAnsi(doc.documentPath());
  host.mErrors.clear();
  host.mRow = row;
  host.mCol = col;
  scriptEngines().runTcc(host, text);
  if (!host.mErrors.empty()) appendOutput(doc, ansiToWide(cellBanner(row, col, "Tcc") + host.mErrors + "\n"));
}

static void runPython(ScriptDocument& doc, int32_t row, int32_t col, const std::string& text) {
  if (text.empty()) return;
  if (!scriptEngines().runPython) {
    reportMissingEngine(doc, ScriptEngine::Python, u"Python脚本没有运行，因为没有安装Python脚本引擎!");
    return;
  }
  PythonHost& host = doc.mPythonHost;
  host.mErrors.clear();
  host.mRow = row;
  host.mCol = col;
  host.mEnded = false;
  scriptEngines().runPython(host, text);
  if (host.mEnded) doc.mExprtkHost.mEnded = true;  // open_file ended the whole run
  if (!host.mErrors.empty()) appendOutput(doc, utf8ToWide(cellBanner(row, col, "Python") + host.mErrors + "\n"));
}

static std::u16string cellText(ScriptDocument& doc, int32_t row, int32_t col) {
  return doc.scriptOps().mCore->getText(row, col);
}

void runTccCell(ScriptDocument& doc, int32_t row, int32_t col) {
  runTcc(doc, row, col, wideToAnsi(cellText(doc, row, col)));
}
void runTccScript(ScriptDocument& doc, const std::u16string& script) { runTcc(doc, 0, 0, wideToAnsi(script)); }
void runPythonCell(ScriptDocument& doc, int32_t row, int32_t col) {
  runPython(doc, row, col, wideToUtf8(cellText(doc, row, col)));
}
void runPythonScript(ScriptDocument& doc, const std::u16string& script) {
  runPython(doc, 0, 0, wideToUtf8(script));
}

// Runs the script or formula of one cell by its kind; false when the run was ended
// (open_file) and no further cell may run.
static bool runCell(ScriptDocument& doc, int32_t row, int32_t col) {
  const Cell* cell = doc.scriptOps().mCore->cellAt(row, col);
  if (cell->value == 0) return true;
  switch (cell->kind) {
    case CELL_EXPRTK: runExprtkCell(doc, row, col, cellText(doc, row, col)); break;
    case CELL_TCC: runTccCell(doc, row, col); break;
    case CELL_PYTHON: runPythonCell(doc, row, col); break;
    case CELL_FORMULA: runFormulaCell(doc, row, col, cellText(doc, row, col)); break;
    default: return true;
  }
  return !doc.mExprtkHost.mEnded;
}

bool runAllScripts(ScriptDocument& doc) {
  ScriptRunGuard guard(doc);
  if (!guard.owns()) return false;
  const CDataCore& core = *doc.scriptOps().mCore;
  beginScriptOutput(doc);
  auto attr = [&](int32_t slot) { return core.poolText(core.mAttrs[slot].value); };
  std::u16string exprtkScript = attr(ATTR_EXPRTK_SCRIPT);
  std::u16string cScript = attr(ATTR_C_SCRIPT);
  std::u16string pythonScript = attr(ATTR_PYTHON_SCRIPT);
  // An open_file of a document script ends the run there (the C one opens a new tab).
  const bool& ended = doc.mExprtkHost.mEnded;
  if (!exprtkScript.empty()) runExprtkCell(doc, 0, 0, exprtkScript);
  if (!ended && !cScript.empty()) runTccScript(doc, cScript);
  if (!ended && !pythonScript.empty()) runPythonScript(doc, pythonScript);
  bool live = !ended;
  for (int64_t row = 1; live && row < int64_t(core.mRowCount); ++row)
    for (int64_t col = 1; live && col < int64_t(core.mColCount); ++col)
      live = runCell(doc, int32_t(row), int32_t(col));
  endScriptOutput(doc);
  return true;
}

bool runSelectedScripts(ScriptDocument& doc) {
  ScriptRunGuard guard(doc);
  if (!guard.owns()) return false;
  const CGridOps& ops = doc.scriptOps();
  Range bounds = ops.mSelection ? ops.mSelection->toRange(*ops.mCore) : Range{};
  beginScriptOutput(doc);
  bool live = ops.mSelection != nullptr;
  for (int64_t row = bounds.top; live && row <= bounds.bottom; ++row)
    for (int64_t col = bounds.left; live && col <= bounds.right; ++col)
      live = runCell(doc, int32_t(row), int32_t(col));
  endScriptOutput(doc);
  return true;
}

void beginScriptOutput(ScriptDocument& doc) {
  if (CCText* output = doc.outputEditor()) clearOutputEditor(*output);
  doc.mExprtkHost.mEnded = false;
}

void endScriptOutput(ScriptDocument& doc) {
  CCText* output = doc.outputEditor();
  if (output && !output->shownText.empty()) doc.showOutput();
}
