// Matching and replacing in one cell text, for find and replace: plain text (exact or
// with A..Z folded), or a regular expression; the whole cell or any part of it.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "commands/Regex.h"

// The first place in `text` where `pattern` occurs with 'A'..'Z' folded to lower case,
// or null. An empty pattern is never found. Both end at their NUL.
const char16_t* findNoCase(const char16_t* text, const char16_t* pattern);

// `text` with every occurrence of `pattern` replaced, left to right and without
// overlapping; with ignoreCase 'A'..'Z' match 'a'..'z'. The result is not searched again.
std::u16string replaceInText(const std::u16string& text, const std::u16string& pattern,
                             const std::u16string& replacement, bool ignoreCase);

// One replace request: the pattern, the replacement and the three switches, compiled
// once. After construction it is only read, so several threads may apply it at once,
// each with its own CRegexMatcher.
class CCellReplacer {
 public:
  // The pattern is not empty (callers do nothing for an empty find text).
  CCellReplacer(std::u16string pattern, std::u16string replacement, bool matchCase, bool wholeCell, bool regex);
  ~CCellReplacer();

  // False when the regular expression does not compile; error() then says why.
  bool ok() const { return mError.empty(); }
  const std::u16string& error() const { return mError; }

  // Matches one cell text. On Match `out` is the replaced text: plain whole cell the
  // replacement; plain part of the cell every occurrence replaced; regular expression on
  // the whole cell the one match of the whole text replaced; regular expression on part
  // of the cell every match replaced. NoMatch leaves `out` undefined; so does Limit, when
  // the regular expression engine gave up on this text.
  RegexStatus apply(CRegexMatcher& matcher, std::u16string_view text, std::u16string& out) const;

 private:
  std::u16string mPattern;
  std::u16string mReplacement;
  bool mMatchCase;
  bool mWholeCell;
  std::unique_ptr<CRegex> mRegex;
  std::unique_ptr<CRegexFormat> mFormat;
  std::u16string mError;
};

// The message for a text on which the regular expression engine gave up.
std::u16string regexLimitMessage(int32_t row, int32_t col);
