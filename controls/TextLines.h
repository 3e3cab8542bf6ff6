// The line index of the text editor: where each line starts and how wide it is, kept in step
// with the text by the reports of every replacement, so that no keystroke rescans or copies
// the whole text. Lines are split after each line feed; a text of n line feeds has n + 1
// entries (the last one empty when the text ends with a line feed). A line's width is the
// sum of the surface's charWidth of its characters, its line feed counting one space.
//
// Widths need a surface with a measured font; until one is given (or after the font
// changed) they are unknown and are measured in full by the next remeasure.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "controls/ScriptSurface.h"

class TextLines {
 public:
  // Rebuilds starts and widths of `text` (widths only when `surface` is non-null).
  void rebuild(const std::u16string& text, ScriptSurface* surface);
  // Re-measures every line (after a font change).
  void remeasure(const std::u16string& text, ScriptSurface& surface);
  // `text` is the text after `removed` characters at pos were replaced by `inserted` ones.
  // Cost: the changed lines plus a shift of the line starts after them.
  void replaced(const std::u16string& text, size_t pos, size_t removed, size_t inserted, ScriptSurface* surface);

  size_t count() const { return mStarts.size(); }
  // Start of line i (0-based, i < count()).
  size_t start(size_t i) const { return mStarts[i]; }
  // One past the last character of line i (its line feed included).
  size_t end(size_t i, size_t textLength) const { return i + 1 < mStarts.size() ? mStarts[i + 1] : textLength; }
  // The line holding index i (an index right after a line feed belongs to the next line).
  size_t lineOf(size_t i) const;
  // Width of the widest line; 0 while widths are unknown or the text is empty.
  int32_t widest() const;
  bool measured() const { return mMeasured; }

  // The first invariant below that does not hold for `text` (widths checked against
  // `surface` when one is given), or "" when all hold. Cost: the whole text.
  std::string structureCheck(const std::u16string& text, ScriptSurface* surface) const;

 private:
  // mStarts[0] == 0; mStarts[i] = index after the i-th line feed of the text, so the
  // starts ascend strictly, every one but the first follows a line feed, and there is
  // one more start than the text has line feeds.
  std::vector<size_t> mStarts{0};
  // While mMeasured: mWidths.size() == mStarts.size() and mWidths[i] is the width of line
  // i with the surface last given. Otherwise the widths are unknown and not read.
  std::vector<int32_t> mWidths{0};
  bool mMeasured = false;
  // While mMeasured and not mWidestStale: mWidest == max of mWidths. mWidestStale: it must
  // be recomputed (a line that was the widest changed).
  mutable int32_t mWidest = 0;
  mutable bool mWidestStale = false;

  int32_t measure(const std::u16string& text, size_t from, size_t to, ScriptSurface& surface) const;
  // The work of replaced(), without the check.
  void applyReplacement(const std::u16string& text, size_t pos, size_t removed, size_t inserted,
                        ScriptSurface* surface);
  // Debug builds: structureCheck passes after a change, or the program stops naming the
  // fault. Release builds: nothing.
  void checkInDebug(const std::u16string& text, ScriptSurface* surface) const;
};
