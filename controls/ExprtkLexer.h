// The lexer of exprtk script text: '#' and C-style comments, literals in apostrophes only,
// names that continue over '.'. It keeps the current token only.
#pragma once
#include "controls/ScriptLexerCore.h"

class ExprtkLexer : public ScriptLexerCore {
 public:
  // Lexes text[0, length) up to its first NUL.
  ExprtkLexer(const char16_t* text, size_t length) : ScriptLexerCore(text, length) {}

  // Reads one token and returns a copy of it.
  ScriptToken next();

  // Continue a literal in apostrophes, a block comment.
  void skipQuoted() { walkQuoted(u'\''); }
  void skipBlockComment() { walkBlockComment(); }

 private:
  void readFresh();
};
