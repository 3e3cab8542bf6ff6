#include "controls/ScriptLexerCore.h"

#include <algorithm>
#include <cassert>

#include "controls/ScriptChars.h"

ScriptLexerCore::ScriptLexerCore(const char16_t* text, size_t length)
    : textStart(text), textEnd(std::find(text, text + length, u'\0')), lineStart(text), pos(text) {}

namespace {

size_t offsetOf(const char16_t* base, const char16_t* p) { return p ? static_cast<size_t>(p - base) : kNoOffset; }
const char16_t* pointerAt(const char16_t* base, size_t offset) {
  return offset == kNoOffset ? nullptr : base + offset;
}

}  // namespace

ScriptTokenAt ScriptLexerCore::tokenAt(const ScriptToken& token) const {
  return ScriptTokenAt{token.kind, offsetOf(textStart, token.begin), offsetOf(textStart, token.end),
                       offsetOf(textStart, token.lineStart), token.line};
}

ScriptToken ScriptLexerCore::tokenFrom(const ScriptTokenAt& token) const {
  return ScriptToken{token.kind, pointerAt(textStart, token.begin), pointerAt(textStart, token.end),
                     pointerAt(textStart, token.lineStart), token.line};
}

void ScriptLexerCore::savePoint(ScriptLexPoint& point) const {
  assert(pos == lineStart);
  point.cur = tokenAt(cur);
  point.lineStart = offsetOf(textStart, lineStart);
  point.line = line;
  point.openState = openState;
}

void ScriptLexerCore::restorePoint(const ScriptLexPoint& point) {
  assert(point.lineStart <= static_cast<size_t>(textEnd - textStart));
  cur = tokenFrom(point.cur);
  lineStart = pos = textStart + point.lineStart;
  line = point.line;
  openState = point.openState;
}

ScriptLexerCore::Start ScriptLexerCore::startToken() {
  if (pos == textEnd) {
    cur.kind = TOKEN_END;
    return Start::End;
  }
  cur.lineStart = lineStart;
  cur.line = line;
  cur.kind = openState;
  if (openState != 0) {
    cur.begin = pos;
    return Start::Open;
  }
  pos = skipScriptBlanks(pos, textEnd);
  if (pos == textEnd) {
    cur.kind = TOKEN_END;
    return Start::End;
  }
  cur.begin = pos;
  return Start::Fresh;
}

void ScriptLexerCore::breakAtLineFeed() {
  assert(pos != textEnd && *pos == u'\n');
  cur.end = pos;
  ++line;
  lineStart = pos = pos + 1;
}

void ScriptLexerCore::closeAt(const char16_t* after) {
  cur.end = pos = after;
  openState = 0;
}

void ScriptLexerCore::walkQuoted(char16_t quote) {
  while (pos != textEnd) {
    const char16_t c = *pos;
    if (c == u'\\') {
      if (textEnd - pos < 2) break;  // a final backslash: the literal closes at the end
      if (pos[1] == u'\n') {
        ++pos;  // the backslash stays in the token; the line feed acts as a bare one
        breakAtLineFeed();
        return;
      }
      pos += 2;
      continue;
    }
    if (c == quote) return closeAt(pos + 1);
    if (c == u'\n') return breakAtLineFeed();
    ++pos;
  }
  closeAt(textEnd);
}

void ScriptLexerCore::walkBlockComment() {
  while (pos != textEnd) {
    if (*pos == u'*' && textEnd - pos >= 2 && pos[1] == u'/') return closeAt(pos + 2);
    if (*pos == u'\n') return breakAtLineFeed();
    ++pos;
  }
  closeAt(textEnd);
}

void ScriptLexerCore::walkTripleQuoted(char16_t quote) {
  while (pos != textEnd) {
    if (*pos == quote && textEnd - pos >= 3 && pos[1] == quote && pos[2] == quote) return closeAt(pos + 3);
    if (*pos == u'\n') return breakAtLineFeed();
    ++pos;
  }
  closeAt(textEnd);
}

void ScriptLexerCore::readNewline() {
  cur.kind = TOKEN_NEWLINE;
  cur.begin = lineStart;
  breakAtLineFeed();
}

void ScriptLexerCore::readLineComment() {
  cur.kind = TOKEN_COMMENT;
  cur.end = pos = findLineFeed(pos, textEnd);
}

void ScriptLexerCore::readSymbolRun(bool (*isSymbol)(char16_t), const char16_t* from) {
  pos = from;
  while (pos != textEnd && isSymbol(*pos)) ++pos;
  cur.kind = TOKEN_SYMBOL;
  cur.end = pos;
}

void ScriptLexerCore::readNumber() {
  cur.kind = TOKEN_NUMBER;
  cur.end = pos = scanScriptNumber(pos, textEnd);
}

void ScriptLexerCore::readName(bool overDots) {
  cur.kind = TOKEN_NAME;
  cur.end = pos = scanScriptName(pos, textEnd, overDots);
}
