// Character classes and scanners shared by the script lexers. Every scanner works on the
// half-open range [pos, end) and returns a position within it: none reads *end.
#pragma once
#include <cstdint>

inline bool isScriptLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
inline bool isScriptDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
inline bool isNameStart(char16_t c) { return isScriptLetter(c) || c == u'_'; }
inline bool isNameChar(char16_t c) { return isNameStart(c) || isScriptDigit(c); }
// Blanks skipped before a token: backspace, TAB, VT, FF, CR and space (not the line feed).
inline bool isScriptBlank(char16_t c) { return c == 8 || c == 9 || c == 11 || c == 12 || c == 13 || c == 32; }

// Symbol characters: C  ! # % & ( ) * + , - . : ; < = > ? [ ] ^ { | }
// exprtk the same without '#'; Python the C set without '#' and with '/'.
bool isCSymbolChar(char16_t c);
bool isExprtkSymbolChar(char16_t c);
bool isPySymbolChar(char16_t c);

// Past the blanks from pos.
const char16_t* skipScriptBlanks(const char16_t* pos, const char16_t* end);
// Past the number that starts at pos (a digit): "0x"/"0X" and hexadecimal digits, or
// digits, then optionally '.' and digits, then optionally 'e'/'E', a sign and digits.
// The digits after "0x", '.' or the exponent may be missing ("0x", "1.", "1e+" are
// numbers); there are no suffixes.
const char16_t* scanScriptNumber(const char16_t* pos, const char16_t* end);
// Past the name that starts at pos (a letter or '_'): letters, digits and '_', and with
// `overDots` also '.'.
const char16_t* scanScriptName(const char16_t* pos, const char16_t* end, bool overDots);
// The first line feed at or after pos, or end.
const char16_t* findLineFeed(const char16_t* pos, const char16_t* end);
