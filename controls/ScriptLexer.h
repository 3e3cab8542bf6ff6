// The lexer of C and Python script text. It keeps the two tokens before the current one,
// which the C and Python colouring rules look at.
#pragma once
#include "controls/ScriptLexerCore.h"

class ScriptLexer : public ScriptLexerCore {
 public:
  ScriptToken prev2;        // the token before prev1 (kind TOKEN_END before there is one)
  ScriptToken prev1;        // the token before cur
  int32_t tripleQuote = 0;  // Python: the quote character of the open triple-quoted string

  // Lexes text[0, length) up to its first NUL.
  ScriptLexer(const char16_t* text, size_t length) : ScriptLexerCore(text, length) {}

  // The core's point plus the token window and the triple quote.
  void savePoint(ScriptLexPoint& point) const;
  void restorePoint(const ScriptLexPoint& point);

  // Each reads one token (shifting prev2 <- prev1 <- cur) and returns a copy of it.
  ScriptToken nextC();
  ScriptToken nextPython();

  // Continue the construct at pos; the open state says which one a new line continues.
  void skipQuoted(char16_t quote) { walkQuoted(quote); }
  void skipBlockComment() { walkBlockComment(); }
  void skipTripleQuoted(char16_t quote);

 private:
  void shiftWindow();
  void readFreshC();
  void readFreshPython();
};
