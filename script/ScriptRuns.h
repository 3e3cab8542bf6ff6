// The script runs over one document: F5 over the whole sheet, F8 over the selection, and
// one cell or document script of each engine. Script writes go straight into the sheet
// (not undoable) and mark the document modified in its command manager. Errors go to the
// document's output editor under a banner naming the cell.
#pragma once
#include <cstdint>
#include <string>

class ScriptDocument;

// F5: clears the output editor, runs the exprtk, C and Python document scripts (those
// that are set), then every script and formula cell row by row, the bounds read again
// after each cell; shows the output window when it holds text. Refused (false) while
// another run is under way.
bool runAllScripts(ScriptDocument& document);
// F8: the same over the selection's cells (bounds fixed at the start), without the
// document scripts.
bool runSelectedScripts(ScriptDocument& document);

// One exprtk script run as the script of cell (row, col); 0, 0 for document and file
// scripts.
void runExprtkCell(ScriptDocument& document, int32_t row, int32_t col, const std::u16string& script);
// The expression after the '=' of a formula cell; on success its value becomes the
// cell's formula value, on failure the old value stays.
void runFormulaCell(ScriptDocument& document, int32_t row, int32_t col, const std::u16string& text);
// The C or Python text of cell (row, col), or a document or file script as cell 0, 0.
// While the engine is not installed (script/ScriptEngines.h) nothing runs and a message
// box over the grid says so, once per run (F5, F8 or a script file) and engine; outside
// a run, every time.
void runTccCell(ScriptDocument& document, int32_t row, int32_t col);
void runTccScript(ScriptDocument& document, const std::u16string& script);
void runPythonCell(ScriptDocument& document, int32_t row, int32_t col);
void runPythonScript(ScriptDocument& document, const std::u16string& script);

// The bracket of every run (F5, F8, a script file) around its scripts: the output editor
// emptied and the run marked not ended; at its end the output window shown when the
// editor holds text.
void beginScriptOutput(ScriptDocument& document);
void endScriptOutput(ScriptDocument& document);
