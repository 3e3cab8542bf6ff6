// Runs the script lexers over exact-size heap copies of a text (no terminator after the
// last character, so that the sanitizer build reports any read past the end) and prints
// the tokens as "kind:text" joined by " | ".
#pragma once
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "controls/ExprtkLexer.h"
#include "controls/ScriptLexer.h"
#include "platform/CodePage.h"

enum class Lang { C, Python, Exprtk };

inline const char* kindTag(int32_t kind) {
  switch (kind) {
    case TOKEN_CHAR: return "chr";
    case TOKEN_STRING: return "str";
    case TOKEN_COMMENT: return "com";
    case TOKEN_NUMBER: return "num";
    case TOKEN_SYMBOL: return "sym";
    case TOKEN_NAME: return "name";
    case TOKEN_NEWLINE: return "nl";
    case TOKEN_OTHER: return "oth";
    default: return "end";
  }
}

// A text copied into a buffer of exactly its length.
struct ExactText {
  explicit ExactText(const std::u16string& text)
      : size(text.size()), data(new char16_t[text.size() == 0 ? 1 : text.size()]) {
    std::copy(text.begin(), text.end(), data.get());
  }
  size_t size;
  std::unique_ptr<char16_t[]> data;
};

// Every token up to (not including) the end token; stops after `limit` tokens so that a
// lexer that fails to advance cannot hang a test.
inline std::vector<ScriptToken> lexAll(Lang lang, const char16_t* text, size_t size, size_t limit = 100000) {
  std::vector<ScriptToken> tokens;
  ScriptLexer script(text, size);
  ExprtkLexer exprtk(text, size);
  while (tokens.size() < limit) {
    const ScriptToken t = lang == Lang::C        ? script.nextC()
                          : lang == Lang::Python ? script.nextPython()
                                                 : exprtk.next();
    if (t.kind == TOKEN_END) break;
    tokens.push_back(t);
  }
  return tokens;
}

inline std::string describe(const std::vector<ScriptToken>& tokens) {
  std::string out;
  for (const ScriptToken& t : tokens) {
    if (!out.empty()) out += " | ";
    out += kindTag(t.kind);
    out += ':';
    out += wideToUtf8(std::u16string(t.begin, t.end));
  }
  return out;
}

inline std::string lexDescribe(Lang lang, const std::u16string& text) {
  ExactText exact(text);
  return describe(lexAll(lang, exact.data.get(), exact.size));
}
