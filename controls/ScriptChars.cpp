#include "controls/ScriptChars.h"

namespace {

bool isSharedSymbolChar(char16_t c) {
  switch (c) {
    case u'!':
    case u'%':
    case u'&':
    case u'(':
    case u')':
    case u'*':
    case u'+':
    case u',':
    case u'-':
    case u'.':
    case u':':
    case u';':
    case u'<':
    case u'=':
    case u'>':
    case u'?':
    case u'[':
    case u']':
    case u'^':
    case u'{':
    case u'|':
    case u'}': return true;
    default: return false;
  }
}

bool isHexDigit(char16_t c) { return isScriptDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

const char16_t* skipDigits(const char16_t* pos, const char16_t* end) {
  while (pos != end && isScriptDigit(*pos)) ++pos;
  return pos;
}

}  // namespace

bool isCSymbolChar(char16_t c) { return c == u'#' || isSharedSymbolChar(c); }
bool isExprtkSymbolChar(char16_t c) { return isSharedSymbolChar(c); }
bool isPySymbolChar(char16_t c) { return c == u'/' || isSharedSymbolChar(c); }

const char16_t* skipScriptBlanks(const char16_t* pos, const char16_t* end) {
  while (pos != end && isScriptBlank(*pos)) ++pos;
  return pos;
}

const char16_t* scanScriptNumber(const char16_t* pos, const char16_t* end) {
  if (*pos == u'0' && end - pos >= 2 && (pos[1] == u'x' || pos[1] == u'X')) {
    pos += 2;
    while (pos != end && isHexDigit(*pos)) ++pos;
    return pos;
  }
  pos = skipDigits(pos, end);
  if (pos != end && *pos == u'.') pos = skipDigits(pos + 1, end);
  if (pos != end && (*pos == u'e' || *pos == u'E')) {
    ++pos;
    if (pos != end && (*pos == u'+' || *pos == u'-')) ++pos;
    pos = skipDigits(pos, end);
  }
  return pos;
}

const char16_t* scanScriptName(const char16_t* pos, const char16_t* end, bool overDots) {
  ++pos;
  while (pos != end && (isNameChar(*pos) || (overDots && *pos == u'.'))) ++pos;
  return pos;
}

const char16_t* findLineFeed(const char16_t* pos, const char16_t* end) {
  while (pos != end && *pos != u'\n') ++pos;
  return pos;
}
