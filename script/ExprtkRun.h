// The exprtk host: compiles one script against a document's ExprtkHost, with the cell
// variables the runner put into the host's maps, the program's 34 script functions and
// the constants pi, epsilon and inf, and evaluates it once. Every exprtk parser use of
// the program is in ExprtkRun.cpp (one unit: the parser is slow to compile).
#pragma once
#include <memory>
#include <string>

#include "script/ScriptHosts.h"

// A compiled script with its own function objects, symbol table and expression. Its
// variables refer to the maps the host held while it was compiled.
class CompiledExprtk;
struct CompiledExprtkDeleter {
  void operator()(CompiledExprtk* compiled) const;
};
using CompiledExprtkPtr = std::unique_ptr<CompiledExprtk, CompiledExprtkDeleter>;

// Binds the host's maps (numbers, texts, then ranges; a name exprtk rejects or already
// holds is skipped), adds the functions and constants and compiles `text`. On failure
// appends one "Error(%d): %s\n" line per parser error to host.mErrors (each cut to 1,023
// bytes) and returns null. Never throws out.
CompiledExprtkPtr compileExprtk(ExprtkHost& host, const std::string& text);
// Evaluates a compiled script once and returns its value.
double evaluateExprtk(CompiledExprtk& compiled);
// compileExprtk, then on success mResult = the value (the script runs here) and true;
// on failure false with mResult unchanged.
bool compileAndRunExprtk(ExprtkHost& host, const std::string& text);

// True when exprtk accepts `name` as a symbol name (letters, digits, '_', ':' and inner
// '.', a letter first, no reserved word).
bool exprtkValidSymbol(const std::string& name);
// True when `name` is, without regard to case, one of the 34 function names or a
// constant (pi, epsilon, inf).
bool exprtkHostName(const std::string& name);
