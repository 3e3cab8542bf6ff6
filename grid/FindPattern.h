// One find request, prepared once per operation: the find text turned into the pattern
// (A..Z folded when case does not matter, backslash escapes resolved in the escaped
// mode), its number kind, and for regular expressions the compiled expression. Matching
// a cell then allocates nothing beyond the caller's scratch string and matcher. After
// construction it is only read, so several threads may match with it at once, each with
// its own CRegexMatcher and scratch.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "commands/Regex.h"
#include "store/DataCore.h"

// The modes of the find state.
enum FindMode : int32_t { FIND_NORMAL = 0, FIND_EXTENDED = 1, FIND_REGEX = 2 };

// `text` with each backslash and the unit after it made one unit: 0 NUL, b 8, f 12,
// n LF, r CR, t TAB (the letter compared after folding A..Z), any other unit itself. A
// backslash that ends the text has no unit after it and is kept.
std::u16string unescapeFind(std::u16string_view text);

class FindPattern {
 public:
  // A regular expression is compiled as typed, with the engine's caseless flag when case
  // does not matter, anchored at both ends for the whole cell.
  FindPattern(const std::u16string& findText, bool matchCase, bool wholeCell, int32_t mode);
  ~FindPattern();
  FindPattern(const FindPattern&) = delete;
  FindPattern& operator=(const FindPattern&) = delete;

  // False when the regular expression does not compile; error() then gives the engine's
  // message with the offset.
  bool ok() const { return mError.empty(); }
  const std::u16string& error() const { return mError; }
  const std::u16string& pattern() const { return mPattern; }
  int kind() const { return mKind; }  // numberKind of the pattern

  // Whether `cell` (of `core`) matches: an all-zero cell never does; integer and decimal
  // cells only for a pattern that reads as a number, integers not for a decimal one;
  // then its display text is searched (whole or in part). Limit when the engine gave up.
  RegexStatus match(const CDataCore& core, const Cell& cell, CRegexMatcher& matcher, std::u16string& scratch) const;
  // The same on a text alone (the number rules left out).
  RegexStatus matchText(std::u16string_view text, CRegexMatcher& matcher) const;

 private:
  std::u16string mPattern;
  int mKind = 0;
  bool mMatchCase;
  bool mWholeCell;
  std::unique_ptr<CRegex> mRegex;
  std::u16string mError;
};
