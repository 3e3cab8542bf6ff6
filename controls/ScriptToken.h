// Tokens of the script lexers (C, Python, exprtk).
#pragma once
#include <cstdint>

// Token kinds. TOKEN_CHAR, TOKEN_STRING and TOKEN_COMMENT double as the lexers' open
// states: a literal or comment still open at a line feed continues on the next line as a
// token of the same kind.
enum ScriptTokenKind : int32_t {
  TOKEN_END = 0,     // end of text; carries no position of its own
  TOKEN_CHAR = 1,    // a literal in apostrophes
  TOKEN_STRING = 2,  // a literal in double quotes
  TOKEN_COMMENT = 3,
  TOKEN_NUMBER = 4,
  TOKEN_SYMBOL = 5,
  TOKEN_NAME = 6,
  TOKEN_NEWLINE = 7,
  TOKEN_OTHER = 8,
};

// One token. Positions point into the lexed text, which must outlive the token.
// Invariant for every token but TOKEN_END: lineStart <= begin <= end <= the text's end.
// A TOKEN_NEWLINE spans its whole line, from lineStart to (not including) the line feed.
struct ScriptToken {
  int32_t kind = TOKEN_END;
  const char16_t* begin = nullptr;      // first character of the token
  const char16_t* end = nullptr;        // one past the last character
  const char16_t* lineStart = nullptr;  // first character of the line the token begins on
  int32_t line = 0;                     // 1-based number of that line
};
