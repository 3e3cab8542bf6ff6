// One script run at a time in the process. A run (F5, F8, a script file) holds the
// guard for its whole length; while it is held, further runs are refused and the
// running document must not close (its tab close and the main window's close ask
// scriptRunBlocksClose first). A run that leaves its progress bar up closes it at its
// end, so input comes back.
#pragma once
#include <cstdint>

class CGridOps;
class ScriptDocument;

// True while a run is under way.
bool scriptRunActive();
// True when closing `document` (or, with null, the main window) must be refused now.
bool scriptRunBlocksClose(const CGridOps* document);

class ScriptRunGuard {
 public:
  // Takes the process's run for `document`; owns() is false when a run is under way.
  explicit ScriptRunGuard(ScriptDocument& document);
  // Closes a progress bar the run left up (through the document's showProgress slot),
  // then releases the run.
  ~ScriptRunGuard();
  ScriptRunGuard(const ScriptRunGuard&) = delete;
  ScriptRunGuard& operator=(const ScriptRunGuard&) = delete;
  bool owns() const { return mOwns; }

 private:
  ScriptDocument& mDocument;
  bool mOwns;
};

// Called by the documents' showProgress bindings: records whether the running run's bar
// is up (percent below 100).
void noteScriptProgress(int32_t percent);

// The engines that can be missing (script/ScriptEngines.h), as bits.
enum class ScriptEngine : uint32_t { Tcc = 1, Python = 2 };
// Whether a script of the missing `engine` is to be reported now: the first time in the
// run under way, and every time outside a run.
bool reportMissingEngineNow(ScriptEngine engine);
