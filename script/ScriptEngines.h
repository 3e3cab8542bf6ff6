// The process's C and Python engines, through which the runs (script/ScriptRuns.h) reach
// them. Both are empty until installTccEngine (script/TccRun.h) and installPythonEngine
// (script/PythonRun.h) fill them, which the program does once at its start. A script of
// an engine that is not installed runs nothing, and a message box says so.
#pragma once
#include <functional>
#include <string>

#include "script/ScriptHosts.h"

struct ScriptEngines {
  // Compiles and runs C text (ANSI) with the record's callbacks; errors into mErrors.
  std::function<void(TccHost&, const std::string& text)> runTcc;
  // Runs Python text (UTF-8) with the record's callbacks; errors into mErrors.
  std::function<void(PythonHost&, const std::string& text)> runPython;
};

ScriptEngines& scriptEngines();
