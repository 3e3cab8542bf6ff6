// A per-editor resume point of the script renderers. Painting a script lexes it from its
// first character (the lexer's open literals and comments, the previous tokens, the line
// numbers and the C renderer's name sets depend on all text above the view). The renderer
// stores here the complete state at the start of the first visible line of its last paint;
// the next paint that begins at or below that line and finds the text before it unchanged
// continues from there instead of from character 0, with exactly the same result.
//
// Positions are offsets into the text, never pointers: the editor's text may move between
// paints. The owner reports every text replacement (noteChange) and every wholesale
// change of the text (invalidate); a change of language or colour table is caught by
// prepare.
//
// Invariant: when `valid`, the text [0, point.lineStart) is the text the point was taken
// on, unless lowestChange < point.lineStart; the point stands at a line start
// (point.lineStart is 0 or follows a line feed) with point.line > 1.
#pragma once
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "controls/ScriptToken.h"
#include "controls/SyntaxColors.h"

constexpr size_t kNoOffset = static_cast<size_t>(-1);

// A ScriptToken with offsets into its text (kNoOffset for a null pointer).
struct ScriptTokenAt {
  int32_t kind = TOKEN_END;
  size_t begin = kNoOffset;
  size_t end = kNoOffset;
  size_t lineStart = kNoOffset;
  int32_t line = 0;
};

// The complete state of a lexer between two tokens (fields of ScriptLexerCore and
// ScriptLexer; the exprtk lexer leaves prev1, prev2 and tripleQuote as they are).
struct ScriptLexPoint {
  ScriptTokenAt cur, prev1, prev2;
  size_t lineStart = 0;  // also where the lexer stands (pos == lineStart at a resume point)
  int32_t line = 1;
  int32_t openState = 0;
  int32_t tripleQuote = 0;
};

// What the C renderer has learnt from the lines above the point.
struct CNamesState {
  std::set<std::u16string> functions, structs, defines, vars;
  bool inEnum = false;
};

class ScriptResume {
 public:
  bool valid = false;
  ScriptLexPoint point;       // the lexer at the first token of line point.line
  int32_t frameLineNo = 0;    // the renderer's current line number there (the line above)
  size_t frameLineStart = 0;  // and the start of that line
  CNamesState cNames;         // the C renderer's name sets and enum state there

  // Drops the point.
  void invalidate() { valid = false; }
  // `pos` is the lowest index the text replacement changed.
  void noteChange(size_t pos) {
    if (pos < mLowestChange) mLowestChange = pos;
  }
  // Before a paint in `language` with colour table `colours`: drops the point when the
  // text changed before it or the language or table differs from the last paint's. A
  // point that survives matches the current text.
  void prepare(int32_t language, const SyntaxColors& colours);
  // After that paint: the table as the paint left it (the renderer may add classes).
  void settle(const SyntaxColors& colours) { mColours = colours; }

 private:
  size_t mLowestChange = kNoOffset;  // lowest index changed since the last prepare
  int32_t mLanguage = -1;            // language of the last paint
  SyntaxColors mColours;             // colour table after the last paint
};
