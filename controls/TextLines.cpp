#include "controls/TextLines.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstdlib>

int32_t TextLines::measure(const std::u16string& text, size_t from, size_t to, ScriptSurface& surface) const {
  int32_t width = 0;
  for (size_t i = from; i < to; ++i) width += surface.charWidth(text[i]);
  return width;
}

void TextLines::rebuild(const std::u16string& text, ScriptSurface* surface) {
  mStarts.assign(1, 0);
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == u'\n') mStarts.push_back(i + 1);
  mMeasured = false;
  mWidths.assign(mStarts.size(), 0);
  mWidest = 0;
  mWidestStale = false;
  if (surface) remeasure(text, *surface);  // checks the whole index
  else checkInDebug(text, nullptr);
}

void TextLines::remeasure(const std::u16string& text, ScriptSurface& surface) {
  mWidths.resize(mStarts.size());
  mWidest = 0;
  for (size_t i = 0; i < mStarts.size(); ++i) {
    mWidths[i] = measure(text, mStarts[i], end(i, text.size()), surface);
    mWidest = std::max(mWidest, mWidths[i]);
  }
  mWidestStale = false;
  mMeasured = true;
  checkInDebug(text, &surface);
}

size_t TextLines::lineOf(size_t i) const {
  auto it = std::upper_bound(mStarts.begin(), mStarts.end(), i);
  assert(it != mStarts.begin());
  return static_cast<size_t>(it - mStarts.begin()) - 1;
}

int32_t TextLines::widest() const {
  if (!mMeasured) return 0;
  if (mWidestStale) {
    mWidest = mWidths.empty() ? 0 : *std::max_element(mWidths.begin(), mWidths.end());
    mWidestStale = false;
  }
  return mWidest;
}

void TextLines::replaced(const std::u16string& text, size_t pos, size_t removed, size_t inserted,
                         ScriptSurface* surface) {
  applyReplacement(text, pos, removed, inserted, surface);
  checkInDebug(text, surface);
}

void TextLines::applyReplacement(const std::u16string& text, size_t pos, size_t removed, size_t inserted,
                                 ScriptSurface* surface) {
  const size_t first = lineOf(pos);
  // Old lines whose start lay in (pos, pos + removed] lost the line feed before them.
  const auto removedFrom = mStarts.begin() + static_cast<std::ptrdiff_t>(first) + 1;
  const auto removedTo = std::upper_bound(removedFrom, mStarts.end(), pos + removed);
  const size_t removedLines = static_cast<size_t>(removedTo - removedFrom);

  std::vector<size_t> added;
  for (size_t i = pos; i < pos + inserted; ++i)
    if (text[i] == u'\n') added.push_back(i + 1);

  // Typing within one line: only the new characters need measuring.
  if (removed == 0 && added.empty()) {
    for (auto it = removedFrom; it != mStarts.end(); ++it) *it += inserted;
    if (mMeasured) {
      if (surface) {
        mWidths[first] += measure(text, pos, pos + inserted, *surface);
        if (!mWidestStale) mWidest = std::max(mWidest, mWidths[first]);
      } else {
        mMeasured = false;
      }
    }
    return;
  }

  const std::ptrdiff_t delta = static_cast<std::ptrdiff_t>(inserted) - static_cast<std::ptrdiff_t>(removed);
  const size_t tail = static_cast<size_t>(removedTo - mStarts.begin());
  for (size_t i = tail; i < mStarts.size(); ++i)
    mStarts[i] = static_cast<size_t>(static_cast<std::ptrdiff_t>(mStarts[i]) + delta);
  mStarts.erase(removedFrom, removedTo);
  mStarts.insert(mStarts.begin() + static_cast<std::ptrdiff_t>(first) + 1, added.begin(), added.end());

  if (!mMeasured) return;
  if (!surface) {
    mMeasured = false;
    return;
  }
  // Widths of lines first .. first + removedLines give way to those of first .. first + added.
  const auto oldFrom = mWidths.begin() + static_cast<std::ptrdiff_t>(first);
  const auto oldTo = oldFrom + static_cast<std::ptrdiff_t>(removedLines) + 1;
  if (!mWidestStale && std::find(oldFrom, oldTo, mWidest) != oldTo) mWidestStale = true;
  const size_t changed = added.size() + 1;
  if (changed > removedLines + 1) mWidths.insert(oldTo, changed - removedLines - 1, 0);
  else mWidths.erase(oldFrom + static_cast<std::ptrdiff_t>(changed), oldTo);
  for (size_t i = first; i < first + changed; ++i) {
    mWidths[i] = measure(text, mStarts[i], end(i, text.size()), *surface);
    if (!mWidestStale) mWidest = std::max(mWidest, mWidths[i]);
  }
  if (mWidestStale) {
    // A line that was the widest changed; a new line at least as wide settles it at once.
    const int32_t newMax = *std::max_element(mWidths.begin() + static_cast<std::ptrdiff_t>(first),
                                             mWidths.begin() + static_cast<std::ptrdiff_t>(first + changed));
    if (newMax >= mWidest) {
      mWidest = newMax;
      mWidestStale = false;
    }
  }
}

std::string TextLines::structureCheck(const std::u16string& text, ScriptSurface* surface) const {
  if (mStarts.empty() || mStarts[0] != 0) return "the first line does not start at 0";
  size_t feeds = 0;
  for (char16_t c : text) feeds += c == u'\n';
  if (mStarts.size() != feeds + 1)
    return std::to_string(mStarts.size()) + " lines for " + std::to_string(feeds) + " line feeds";
  for (size_t i = 1; i < mStarts.size(); ++i) {
    if (mStarts[i] <= mStarts[i - 1] || mStarts[i] > text.size() || text[mStarts[i] - 1] != u'\n')
      return "line " + std::to_string(i) + " starts at " + std::to_string(mStarts[i]) + ", not after a line feed";
  }
  if (!mMeasured) return "";
  if (mWidths.size() != mStarts.size())
    return std::to_string(mWidths.size()) + " widths for " + std::to_string(mStarts.size()) + " lines";
  if (surface) {
    for (size_t i = 0; i < mStarts.size(); ++i) {
      const int32_t width = measure(text, mStarts[i], end(i, text.size()), *surface);
      if (mWidths[i] != width)
        return "line " + std::to_string(i) + " width " + std::to_string(mWidths[i]) + ", measures " +
               std::to_string(width);
    }
  }
  if (!mWidestStale && mWidest != *std::max_element(mWidths.begin(), mWidths.end()))
    return "widest " + std::to_string(mWidest) + " is not the widest line";
  return "";
}

void TextLines::checkInDebug(const std::u16string& text, ScriptSurface* surface) const {
#ifndef NDEBUG
  const std::string fault = structureCheck(text, surface);
  if (fault.empty()) return;
  std::fprintf(stderr, "text editor line index broken: %s\n", fault.c_str());
  std::abort();
#else
  (void)text;
  (void)surface;
#endif
}
