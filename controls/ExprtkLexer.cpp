#include "controls/ExprtkLexer.h"

#include "controls/ScriptChars.h"

namespace {

// A double quote starts no literal in exprtk and does not end an other-run.
bool endsOtherRun(char16_t c) {
  return isNameChar(c) || isExprtkSymbolChar(c) || c == u'\n' || c == u'#' || c == u'\'' || c == u'/';
}

}  // namespace

ScriptToken ExprtkLexer::next() {
  switch (startToken()) {
    case Start::End: break;
    case Start::Open:
      if (openState == TOKEN_COMMENT) skipBlockComment();
      else skipQuoted();
      break;
    case Start::Fresh: readFresh(); break;
  }
  return cur;
}

// A new exprtk token at pos (not a blank, not the end).
void ExprtkLexer::readFresh() {
  const char16_t c = *pos;
  const char16_t next = textEnd - pos >= 2 ? pos[1] : u'\0';
  if (c == u'\n') return readNewline();
  if (c == u'#') return readLineComment();
  if (c == u'\'') {
    openState = cur.kind = TOKEN_CHAR;
    ++pos;
    return skipQuoted();
  }
  if (c == u'/' && next == u'*') {
    openState = cur.kind = TOKEN_COMMENT;
    pos += 2;
    return skipBlockComment();
  }
  if (c == u'/' && next == u'/') return readLineComment();
  if (c == u'/') return readSymbolRun(isExprtkSymbolChar, pos + 1);
  if (isExprtkSymbolChar(c)) return readSymbolRun(isExprtkSymbolChar, pos);
  if (isScriptDigit(c)) return readNumber();
  if (isNameStart(c)) return readName(true);
  readOther(endsOtherRun);
}
