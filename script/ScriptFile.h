// Running a script file (a plug-in of the script menu) over one document: the engine by
// the file's extension (".exp" exprtk, ".c" C, ".py" Python, any case); other files run
// nothing. The file is UTF-16LE text; one that begins with a byte order mark loses it on
// its first run.
#pragma once
#include <string>

class ScriptDocument;

// Reads the file, drops its byte order mark (rewriting the file without it), clears the
// output editor, runs the text as a document script (cell 0, 0), shows the output
// window when it holds text and repaints the grid. False when another run is under way
// (nothing happens then).
bool runScriptFile(ScriptDocument& document, const std::u16string& path);
// Rewrites a file with `text` as UTF-16LE (every code unit, no byte order mark), saved
// beside it and then put in its place, so a failed write leaves the old file whole.
bool rewriteScriptFile(const std::u16string& path, const std::u16string& text);
