#include "script/ScriptRun.h"

#include "commands/GridOps.h"

namespace {
const CGridOps* gRunning = nullptr;  // the document of the run under way, or none
bool gBarUp = false;                 // the run showed a progress bar below 100
}  // namespace

bool scriptRunActive() { return gRunning != nullptr; }

bool scriptRunBlocksClose(const CGridOps* document) {
  return gRunning != nullptr && (document == nullptr || document == gRunning);
}

ScriptRunGuard::ScriptRunGuard(CGridOps& document) : mDocument(document), mOwns(gRunning == nullptr) {
  if (!mOwns) return;
  gRunning = &document;
  gBarUp = false;
}

ScriptRunGuard::~ScriptRunGuard() {
  if (!mOwns) return;
  if (gBarUp && mDocument.mExprtkHost.showProgress) mDocument.mExprtkHost.showProgress(100);
  gBarUp = false;
  gRunning = nullptr;
}

void noteScriptProgress(int32_t percent) {
  if (gRunning) gBarUp = percent < 100;
}
