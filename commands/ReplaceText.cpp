#include "commands/ReplaceText.h"

#include "platform/AsciiCase.h"
#include "store/ColumnName.h"
#include "store/NumberText.h"

namespace {

// True when `pattern` occurs at `pos` of `text` (running past the end fails).
bool matchesAt(std::u16string_view text, size_t pos, std::u16string_view pattern, bool ignoreCase) {
  if (text.size() - pos < pattern.size()) return false;
  if (!ignoreCase) return text.compare(pos, pattern.size(), pattern) == 0;
  for (size_t i = 0; i < pattern.size(); ++i)
    if (foldAscii(text[pos + i]) != foldAscii(pattern[i])) return false;
  return true;
}

// Offset of the first occurrence of `pattern` in `text` with A..Z folded, or npos.
size_t findFolded(std::u16string_view text, std::u16string_view pattern) {
  if (pattern.empty() || pattern.size() > text.size()) return std::u16string_view::npos;
  const char16_t first = foldAscii(pattern[0]);
  for (size_t i = 0; i + pattern.size() <= text.size(); ++i)
    if (foldAscii(text[i]) == first && matchesAt(text, i, pattern, true)) return i;
  return std::u16string_view::npos;
}

// `text` with every occurrence replaced, as replaceInText.
void replaceInto(std::u16string& out, std::u16string_view text, std::u16string_view pattern,
                 std::u16string_view replacement, bool ignoreCase) {
  out.clear();
  size_t i = 0;
  while (i < text.size()) {
    if (matchesAt(text, i, pattern, ignoreCase)) {
      out.append(replacement);
      i += pattern.size();
    } else {
      out += text[i++];
    }
  }
}

}  // namespace

const char16_t* findNoCase(const char16_t* text, const char16_t* pattern) {
  if (!text || !pattern || !*pattern) return nullptr;
  std::u16string_view t(text), p(pattern);
  size_t at = findFolded(t, p);
  return at == std::u16string_view::npos ? nullptr : text + at;
}

std::u16string replaceInText(const std::u16string& text, const std::u16string& pattern,
                             const std::u16string& replacement, bool ignoreCase) {
  if (pattern.empty()) return text;
  std::u16string out;
  replaceInto(out, text, pattern, replacement, ignoreCase);
  return out;
}

CCellReplacer::CCellReplacer(std::u16string pattern, std::u16string replacement, bool matchCase, bool wholeCell,
                             bool regex)
    : mPattern(std::move(pattern)), mReplacement(std::move(replacement)), mMatchCase(matchCase),
      mWholeCell(wholeCell) {
  if (!regex) return;
  mRegex = std::make_unique<CRegex>(mPattern, !matchCase, wholeCell);
  if (!mRegex->ok()) {
    mError = mRegex->error();
    return;
  }
  mFormat = std::make_unique<CRegexFormat>(mReplacement, mRegex->captureCount());
}

CCellReplacer::~CCellReplacer() = default;

RegexStatus CCellReplacer::apply(CRegexMatcher& matcher, std::u16string_view t, std::u16string& out) const {
  if (mRegex) {
    // A whole-cell regex is anchored at both ends: its one match is the whole text.
    return mWholeCell ? matcher.replaceFirst(*mRegex, *mFormat, t, out)
                      : matcher.replaceAll(*mRegex, *mFormat, t, out);
  }
  if (mWholeCell) {
    if (t.size() != mPattern.size() || !matchesAt(t, 0, mPattern, !mMatchCase)) return RegexStatus::NoMatch;
    out = mReplacement;
    return RegexStatus::Match;
  }
  if (mPattern.empty()) return RegexStatus::NoMatch;  // nothing to find is found nowhere
  size_t at = mMatchCase ? t.find(mPattern) : findFolded(t, mPattern);
  if (at == std::u16string_view::npos) return RegexStatus::NoMatch;
  replaceInto(out, t, mPattern, mReplacement, !mMatchCase);
  return RegexStatus::Match;
}

std::u16string regexLimitMessage(int32_t row, int32_t col) {
  return u"正则表达式匹配超出引擎限制（" + colName(col - 1) + int64Text(row) + u"），未作任何替换。";
}
