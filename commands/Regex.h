// Regular expressions over UTF-16 cell text, with the syntax and replacement rules of
// ECMAScript as far as the engine allows (PCRE2, 16-bit code units, JIT-compiled).
//
// Syntax: \uXXXX and \xXX escapes, [^] for any character, '$' only at the very end,
// '.' stops at CR and LF, caseless matching folds Unicode letters. Replacement texts use
// the ECMAScript substitutions $&, $1 .. $99, $`, $' and $$; any other '$' is literal.
//
// A CRegex is compiled once and may then be used from several threads at once, each
// thread with its own CRegexMatcher. Texts are checked for valid UTF-16 once per text;
// a text holding a lone surrogate is still searched, its lone surrogates matching
// nothing.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// What one search or replacement came to.
enum class RegexStatus : int32_t {
  Match = 0,    // found (for a replacement: at least one match replaced)
  NoMatch = 1,  // not found; the text is unchanged
  Limit = 2,    // the engine gave up (backtracking, depth, heap or stack limit)
};

class CRegex {
 public:
  // Compiles `pattern`; `anchored` makes every search a match of the whole text.
  // On failure ok() is false and error() says why; nothing else may then be called.
  CRegex(std::u16string_view pattern, bool ignoreCase, bool anchored);
  ~CRegex();
  CRegex(const CRegex&) = delete;
  CRegex& operator=(const CRegex&) = delete;

  bool ok() const { return mCode != nullptr; }
  const std::u16string& error() const { return mError; }
  // Number of capturing groups of the pattern.
  uint32_t captureCount() const { return mCaptures; }

  struct Code;  // one compiled form of the pattern (opaque)
  const Code* code(bool validUtf) const { return validUtf ? mCode.get() : mLoose.get(); }

 private:
  std::unique_ptr<Code> mCode;   // for texts known to be valid UTF-16
  std::unique_ptr<Code> mLoose;  // for texts with lone surrogates
  std::u16string mError;
  uint32_t mCaptures = 0;
};

// A parsed ECMAScript replacement text for one regex.
class CRegexFormat {
 public:
  CRegexFormat(std::u16string_view replacement, uint32_t captureCount);

  // Appends the replacement for one match of `text`; `ovector` holds the pairs of
  // start and end offsets of the whole match and the groups (unset groups as ~0).
  void append(std::u16string& out, std::u16string_view text, const size_t* ovector, uint32_t pairs) const;

 private:
  // A literal piece, a group (0 = the whole match), the text before or after the match.
  enum Kind : int32_t { LITERAL, GROUP, PREFIX, SUFFIX };
  struct Piece {
    Kind kind;
    uint32_t group;       // GROUP: the group number
    std::u16string text;  // LITERAL: the text
  };
  std::vector<Piece> mPieces;
};

// The per-thread search state for CRegex objects: match data, engine stack and limits.
class CRegexMatcher {
 public:
  CRegexMatcher();
  ~CRegexMatcher();
  CRegexMatcher(const CRegexMatcher&) = delete;
  CRegexMatcher& operator=(const CRegexMatcher&) = delete;

  // True when `text` holds no lone surrogate.
  static bool validUtf16(std::u16string_view text);

  // Searches `text` once (the whole text when the regex is anchored).
  RegexStatus search(const CRegex& re, std::u16string_view text);
  // Every non-overlapping match, left to right, replaced into `out` (which is cleared
  // first). After an empty match the next search starts at the same place and must
  // find a non-empty match there, or else starts one character further on. `out` is the
  // unchanged text on NoMatch and undefined on Limit.
  RegexStatus replaceAll(const CRegex& re, const CRegexFormat& format, std::u16string_view text,
                         std::u16string& out);
  // The first match only (for an anchored regex, the one match of the whole text).
  RegexStatus replaceFirst(const CRegex& re, const CRegexFormat& format, std::u16string_view text,
                           std::u16string& out);

 private:
  int run(const CRegex& re, std::u16string_view text, bool valid, size_t start, uint32_t options);

  struct State;
  std::unique_ptr<State> mState;
};

// The engine's message for an error code, as UTF-16.
std::u16string regexErrorText(int code);
