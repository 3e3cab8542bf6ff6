#include "controls/ScriptLexer.h"

#include "controls/ScriptChars.h"

namespace {

bool endsOtherRunC(char16_t c) {
  return isNameChar(c) || isCSymbolChar(c) || c == u'\n' || c == u'"' || c == u'\'' || c == u'/';
}

bool endsOtherRunPython(char16_t c) {
  return isNameChar(c) || isPySymbolChar(c) || c == u'\n' || c == u'"' || c == u'\'' || c == u'#';
}

}  // namespace

void ScriptLexer::savePoint(ScriptLexPoint& point) const {
  ScriptLexerCore::savePoint(point);
  point.prev1 = tokenAt(prev1);
  point.prev2 = tokenAt(prev2);
  point.tripleQuote = tripleQuote;
}

void ScriptLexer::restorePoint(const ScriptLexPoint& point) {
  ScriptLexerCore::restorePoint(point);
  prev1 = tokenFrom(point.prev1);
  prev2 = tokenFrom(point.prev2);
  tripleQuote = point.tripleQuote;
}

void ScriptLexer::shiftWindow() {
  prev2 = prev1;
  prev1 = cur;
}

void ScriptLexer::skipTripleQuoted(char16_t quote) {
  tripleQuote = quote;
  walkTripleQuoted(quote);
}

ScriptToken ScriptLexer::nextC() {
  shiftWindow();
  switch (startToken()) {
    case Start::End: break;
    case Start::Open:
      if (openState == TOKEN_COMMENT) skipBlockComment();
      else skipQuoted(openState == TOKEN_CHAR ? u'\'' : u'"');
      break;
    case Start::Fresh: readFreshC(); break;
  }
  return cur;
}

ScriptToken ScriptLexer::nextPython() {
  shiftWindow();
  switch (startToken()) {
    case Start::End: break;
    case Start::Open:
      if (openState == TOKEN_COMMENT) skipTripleQuoted(static_cast<char16_t>(tripleQuote));
      else skipQuoted(openState == TOKEN_CHAR ? u'\'' : u'"');
      break;
    case Start::Fresh: readFreshPython(); break;
  }
  return cur;
}

// A new C token at pos (not a blank, not the end).
void ScriptLexer::readFreshC() {
  const char16_t c = *pos;
  const char16_t next = textEnd - pos >= 2 ? pos[1] : u'\0';
  if (c == u'\n') return readNewline();
  if (c == u'"' || c == u'\'') {
    openState = cur.kind = c == u'"' ? TOKEN_STRING : TOKEN_CHAR;
    ++pos;
    return skipQuoted(c);
  }
  if (c == u'/' && next == u'*') {
    openState = cur.kind = TOKEN_COMMENT;
    pos += 2;
    return skipBlockComment();
  }
  if (c == u'/' && next == u'/') return readLineComment();
  if (c == u'/') return readSymbolRun(isCSymbolChar, pos + 1);
  if (isCSymbolChar(c)) return readSymbolRun(isCSymbolChar, pos);
  if (isScriptDigit(c)) return readNumber();
  if (isNameStart(c)) return readName(false);
  readOther(endsOtherRunC);
}

// A new Python token at pos: '#' comments, triple-quoted strings (lexed as comments) and
// '/' as an ordinary symbol character.
void ScriptLexer::readFreshPython() {
  const char16_t c = *pos;
  if (c == u'\n') return readNewline();
  if (c == u'#') return readLineComment();
  if (c == u'"' || c == u'\'') {
    if (textEnd - pos >= 3 && pos[1] == c && pos[2] == c) {
      openState = cur.kind = TOKEN_COMMENT;
      pos += 3;
      return skipTripleQuoted(c);
    }
    openState = cur.kind = c == u'"' ? TOKEN_STRING : TOKEN_CHAR;
    ++pos;
    return skipQuoted(c);
  }
  if (isPySymbolChar(c)) return readSymbolRun(isPySymbolChar, pos);
  if (isScriptDigit(c)) return readNumber();
  if (isNameStart(c)) return readName(false);
  readOther(endsOtherRunPython);
}
