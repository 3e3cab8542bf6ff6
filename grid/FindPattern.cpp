#include "grid/FindPattern.h"

#include "platform/AsciiCase.h"
#include "store/NumberText.h"

std::u16string unescapeFind(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c != u'\\' || i + 1 == text.size()) {
      out += c;
      continue;
    }
    const char16_t next = text[++i];
    switch (foldAscii(next)) {
      case u'0': out += u'\0'; break;
      case u'b': out += u'\b'; break;
      case u'f': out += u'\f'; break;
      case u'n': out += u'\n'; break;
      case u'r': out += u'\r'; break;
      case u't': out += u'\t'; break;
      default: out += next; break;
    }
  }
  return out;
}

namespace {

// Whether `pattern` (already folded) occurs in `text` at `pos` with A..Z of the text
// folded; the caller checked that it fits.
bool foldedAt(std::u16string_view text, size_t pos, std::u16string_view pattern) {
  for (size_t i = 0; i < pattern.size(); ++i)
    if (foldAscii(text[pos + i]) != pattern[i]) return false;
  return true;
}

bool containsFolded(std::u16string_view text, std::u16string_view pattern) {
  if (pattern.size() > text.size()) return false;
  const char16_t first = pattern[0];
  const size_t last = text.size() - pattern.size();
  for (size_t i = 0; i <= last; ++i)
    if (foldAscii(text[i]) == first && foldedAt(text, i, pattern)) return true;
  return false;
}

}  // namespace

FindPattern::FindPattern(const std::u16string& findText, bool matchCase, bool wholeCell, int32_t mode)
    : mMatchCase(matchCase), mWholeCell(wholeCell) {
  if (mode == FIND_REGEX) {
    mPattern = findText;
    mRegex = std::make_unique<CRegex>(mPattern, !matchCase, wholeCell);
    if (!mRegex->ok()) mError = mRegex->error();
  } else {
    mPattern = matchCase ? findText : toLowerWide(findText);
    if (mode == FIND_EXTENDED) mPattern = unescapeFind(mPattern);
  }
  mKind = numberKind(std::u16string_view(mPattern));
}

FindPattern::~FindPattern() = default;

RegexStatus FindPattern::matchText(std::u16string_view t, CRegexMatcher& matcher) const {
  if (mRegex) return matcher.search(*mRegex, t);
  bool found;
  if (mWholeCell) found = t.size() == mPattern.size() && (mMatchCase ? t == mPattern : foldedAt(t, 0, mPattern));
  else if (mPattern.empty()) found = false;
  else found = mMatchCase ? t.find(mPattern) != std::u16string_view::npos : containsFolded(t, mPattern);
  return found ? RegexStatus::Match : RegexStatus::NoMatch;
}

RegexStatus FindPattern::match(const CDataCore& core, const Cell& cell, CRegexMatcher& matcher,
                               std::u16string& scratch) const {
  if (cell.isZero()) return RegexStatus::NoMatch;
  if (cell.kind == CELL_INT64 && mKind != 1) return RegexStatus::NoMatch;
  if (cell.kind == CELL_DOUBLE && mKind == 0) return RegexStatus::NoMatch;
  return matchText(core.cellTextView(cell, scratch), matcher);
}
