// The C and Python engines, installed by their own units when they are linked; a cell
// of an engine that is not installed runs nothing.
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
