// Python scripts: run in the Python 3 interpreter embedded in the process, with the
// program's module `Morvel` (script/PythonModule.h) already imported. The interpreter
// starts at the first run and lasts until the process exits; every script runs in a
// globals dictionary of its own, so nothing a script defines reaches the next one.
// Text crossing the boundary is UTF-8.
#pragma once
#include <string>

#include "script/ScriptHosts.h"

// The record of the Python run under way; set at the start of each run and left
// afterwards.
extern PythonHost* gPythonHost;

// Runs `script` (UTF-8) as a module body. True when it ran to its end; false when an
// exception escaped, whose text ("Line N:" from the traceback, then the repr of the
// exception) is appended to host.mErrors. A run ended by open_file is true and reports
// nothing. The caller has emptied mErrors and set the running cell.
bool runPython(PythonHost& host, const std::string& script);

// Installs runPython as the Python engine of every document's runs.
void installPythonEngine();
