// State and walks shared by the script lexers (ScriptLexer for C and Python, ExprtkLexer).
#pragma once
#include <cstddef>
#include <cstdint>

#include "controls/ScriptResume.h"
#include "controls/ScriptToken.h"

// A lexer reads one token per call over a text that stays unchanged while the lexer and
// its tokens are used. The text is [textStart, textEnd): textEnd is the first NUL of the
// range given to the constructor, or its end. No walk reads at or beyond textEnd, also
// when the text ends inside a literal, after a backslash or in the middle of a closer.
class ScriptLexerCore {
 public:
  ScriptToken cur;            // the token just read
  const char16_t* textStart;  // start of the text
  const char16_t* textEnd;    // end of the text (its first NUL, or the range's end)
  const char16_t* lineStart;  // start of the line at pos
  const char16_t* pos;        // next character to read; textStart <= pos <= textEnd
  int32_t line = 1;           // line number at pos, from 1
  int32_t openState = 0;      // 0, or TOKEN_CHAR / TOKEN_STRING / TOKEN_COMMENT left open

  // The state at a line start (pos == lineStart) as offsets into the text.
  void savePoint(ScriptLexPoint& point) const;
  // Continues from a point saved on a text whose first point.lineStart characters equal
  // this one's; needs point.lineStart <= textEnd - textStart.
  void restorePoint(const ScriptLexPoint& point);

 protected:
  ScriptLexerCore(const char16_t* text, size_t length);

  enum class Start { End, Open, Fresh };
  // Begins cur: End when the text is exhausted (cur.kind is TOKEN_END, other fields kept);
  // Open when a construct of the previous line continues (cur.kind = openState, cur.begin =
  // pos); Fresh when a new token starts at pos after the blanks (cur.begin = pos).
  Start startToken();

  // Continues a quoted literal: a backslash takes the next character with it (a backslash
  // before a line feed, or as the text's last character, escapes nothing); the quote
  // closes the literal; a line feed ends the token with the literal kept open; the end of
  // the text closes it.
  void walkQuoted(char16_t quote);
  // Continues a block comment, closed by "*/"; line feed and end of text as walkQuoted.
  void walkBlockComment();
  // Continues a triple-quoted string, closed by three quotes in a row; line feed and end of
  // text as walkQuoted.
  void walkTripleQuoted(char16_t quote);

  // Fresh-token readers: each sets cur.kind and cur.end and moves pos past the token.
  void readNewline();
  void readLineComment();  // up to, not including, the next line feed
  void readSymbolRun(bool (*isSymbol)(char16_t), const char16_t* from);
  void readNumber();
  void readName(bool overDots);
  // A TOKEN_OTHER run: the character at pos and those after it up to one for which
  // `stops` is true (blanks do not stop it).
  template <class Stops>
  void readOther(Stops stops) {
    ++pos;
    while (pos != textEnd && !stops(*pos)) ++pos;
    cur.kind = TOKEN_OTHER;
    cur.end = pos;
  }

 protected:
  ScriptTokenAt tokenAt(const ScriptToken& token) const;
  ScriptToken tokenFrom(const ScriptTokenAt& token) const;

 private:
  void breakAtLineFeed();               // ends cur at the line feed at pos, keeps openState
  void closeAt(const char16_t* after);  // ends cur and the open construct before `after`
};
