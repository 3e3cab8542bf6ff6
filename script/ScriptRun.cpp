#include "script/ScriptRun.h"

#include "script/ScriptDocument.h"

namespace {
const CGridOps* gRunning = nullptr;  // the document of the run under way, or none
bool gBarUp = false;                 // the run showed a progress bar below 100
uint32_t gMissingReported = 0;       // ScriptEngine bits the run has reported missing
}  // namespace

bool scriptRunActive() { return gRunning != nullptr; }

bool scriptRunBlocksClose(const CGridOps* document) {
  return gRunning != nullptr && (document == nullptr || document == gRunning);
}

ScriptRunGuard::ScriptRunGuard(ScriptDocument& document) : mDocument(document), mOwns(gRunning == nullptr) {
  if (!mOwns) return;
  gRunning = &document.scriptOps();
  gBarUp = false;
  gMissingReported = 0;
}

ScriptRunGuard::~ScriptRunGuard() {
  if (!mOwns) return;
  if (gBarUp && mDocument.mExprtkHost.showProgress) mDocument.mExprtkHost.showProgress(100);
  gBarUp = false;
  gMissingReported = 0;
  gRunning = nullptr;
}

void noteScriptProgress(int32_t percent) {
  if (gRunning) gBarUp = percent < 100;
}

bool reportMissingEngineNow(ScriptEngine engine) {
  if (!gRunning) return true;
  const uint32_t bit = static_cast<uint32_t>(engine);
  const bool first = (gMissingReported & bit) == 0;
  gMissingReported |= bit;
  return first;
}
