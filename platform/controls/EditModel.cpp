#include "platform/controls/EditModel.h"

#include <algorithm>

namespace platform::controls {

namespace {
bool isBreak(char16_t c) { return c == u'\r' || c == u'\n'; }
bool isWordChar(char16_t c) { return c != u' ' && c != u'\t' && !isBreak(c); }
}  // namespace

size_t EditModel::snap(size_t pos) const {
  pos = std::min(pos, text.size());
  if (pos > 0 && pos < text.size() && text[pos - 1] == u'\r' && text[pos] == u'\n') --pos;
  return pos;
}

void EditModel::setSelection(long long start, long long end) {
  long long n = static_cast<long long>(text.size());
  if (start == -1) {
    anchor = caret;
    return;
  }
  if (end < 0) end = n;
  start = std::clamp(start, 0LL, n);
  end = std::clamp(end, 0LL, n);
  anchor = snap(static_cast<size_t>(start));
  caret = snap(static_cast<size_t>(end));
}

void EditModel::setText(std::u16string s) {
  text = std::move(s);
  anchor = caret = 0;
}

bool EditModel::replaceSelection(std::u16string_view s) {
  size_t start = selStart(), removed = selEnd() - start;
  size_t room = limit > text.size() - removed ? limit - (text.size() - removed) : 0;
  bool whole = s.size() <= room;
  std::u16string_view put = s.substr(0, std::min(s.size(), room));
  if (!put.empty() && put.back() == u'\r' && !whole && s[put.size()] == u'\n') put.remove_suffix(1);
  text.replace(start, removed, put);
  anchor = caret = start + put.size();
  return whole;
}

std::vector<size_t> EditModel::lineStarts() const {
  std::vector<size_t> starts{0};
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    if (isBreak(text[i])) starts.push_back(i + 1);
  }
  return starts;
}

size_t EditModel::lineOf(size_t pos) const {
  std::vector<size_t> starts = lineStarts();
  return static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), pos) - starts.begin()) - 1;
}

size_t EditModel::lineStart(size_t line) const {
  std::vector<size_t> starts = lineStarts();
  return starts[std::min(line, starts.size() - 1)];
}

std::u16string_view EditModel::lineText(size_t line) const {
  std::vector<size_t> starts = lineStarts();
  line = std::min(line, starts.size() - 1);
  size_t b = starts[line];
  size_t e = line + 1 < starts.size() ? starts[line + 1] : text.size();
  while (e > b && isBreak(text[e - 1])) --e;
  return std::u16string_view(text).substr(b, e - b);
}

size_t EditModel::left(size_t pos) const {
  if (pos == 0) return 0;
  if (pos >= 2 && text[pos - 1] == u'\n' && text[pos - 2] == u'\r') return pos - 2;
  return pos - 1;
}

size_t EditModel::right(size_t pos) const {
  if (pos >= text.size()) return text.size();
  if (text[pos] == u'\r' && pos + 1 < text.size() && text[pos + 1] == u'\n') return pos + 2;
  return pos + 1;
}

size_t EditModel::wordLeft(size_t pos) const {
  while (pos > 0 && !isWordChar(text[pos - 1])) pos = left(pos);
  while (pos > 0 && isWordChar(text[pos - 1])) --pos;
  return pos;
}

size_t EditModel::wordRight(size_t pos) const {
  while (pos < text.size() && isWordChar(text[pos])) ++pos;
  while (pos < text.size() && !isWordChar(text[pos])) pos = right(pos);
  return pos;
}

size_t EditModel::lineHome(size_t pos) const { return lineStart(lineOf(pos)); }

size_t EditModel::lineEnd(size_t pos) const {
  size_t line = lineOf(pos);
  return lineStart(line) + lineText(line).size();
}

std::pair<size_t, size_t> EditModel::wordAt(size_t pos) const {
  pos = std::min(pos, text.size());
  size_t b = pos, e = pos;
  while (b > 0 && isWordChar(text[b - 1])) --b;
  while (e < text.size() && isWordChar(text[e])) ++e;
  return {b, e};
}

void EditModel::moveTo(size_t pos, bool extend) {
  caret = snap(pos);
  if (!extend) anchor = caret;
}

}  // namespace platform::controls
