// C scripts: compiled in memory with libtcc and run as native code in the process. Every
// run makes a fresh compiler state, offers the program's 44 C functions to the script as
// symbols (script/TccSymbols.h), relocates the code and calls the script's WinMain or
// main. Text crossing the boundary is in the ANSI code page.
#pragma once
#include <string>

#include "script/ScriptHosts.h"

struct TCCState;

// The record of the C run under way; set at the start of each run and left afterwards.
extern TccHost* gTccHost;

// Compiles and runs `script`. Compile and relocation errors and a missing entry point
// leave their messages in host.mErrors (the caller has emptied it and set mFileName,
// mRow and mCol). False only when the script compiled but has no entry point.
bool runTcc(TccHost& host, const std::string& script);

// Configures `state` (include and runtime folders, in-memory output, the error
// callback), compiles the text, adds the 44 symbols and relocates. True on success; the
// messages of a failure are in host.mErrors.
bool compileTcc(TccHost& host, TCCState* state, const std::string& script);

// libtcc's error callback; `host` is the TccHost. Appends the message and "\n".
void tccErrorHandler(void* host, const char* message);

// Installs runTcc as the C engine of every document's runs (script/ScriptEngines.h).
void installTccEngine();
