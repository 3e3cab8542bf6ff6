// The text and selection of an edit control, without any window: lines,
// caret movement, selection and replacement with a length limit.
//
// Positions are UTF-16 indices 0..size(). Line breaks are CR LF, LF or CR;
// the caret never rests between the CR and the LF of a pair.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::controls {

class EditModel {
 public:
  std::u16string text;
  size_t anchor = 0;  // invariant: anchor, caret <= text.size()
  size_t caret = 0;
  size_t limit = 0x7FFFFFFE;  // most units the user may give it

  size_t selStart() const { return anchor < caret ? anchor : caret; }
  size_t selEnd() const { return anchor < caret ? caret : anchor; }
  bool hasSelection() const { return anchor != caret; }
  std::u16string selected() const { return text.substr(selStart(), selEnd() - selStart()); }

  // EM_SETSEL: start -1 drops the selection (the caret stays), end -1 (or
  // any negative end) is the end of the text; both are clamped; the caret
  // goes to `end`.
  void setSelection(long long start, long long end);
  void setText(std::u16string s);  // caret and anchor to 0
  // Replaces the selection with `s`, cut so that the text stays within
  // `limit` (when it grows); the caret and anchor go after the insertion.
  // Returns false when `s` had to be cut.
  bool replaceSelection(std::u16string_view s);

  // Lines: start index of each line (the first is 0).
  std::vector<size_t> lineStarts() const;
  size_t lineOf(size_t pos) const;
  size_t lineCount() const { return lineStarts().size(); }
  // The line's text without its break.
  std::u16string_view lineText(size_t line) const;
  size_t lineStart(size_t line) const;

  // Movement targets.
  size_t left(size_t pos) const;  // one unit back (CR LF as one)
  size_t right(size_t pos) const;
  size_t wordLeft(size_t pos) const;
  size_t wordRight(size_t pos) const;
  size_t lineHome(size_t pos) const;
  size_t lineEnd(size_t pos) const;
  // The word around `pos` (for double clicks): [first, second).
  std::pair<size_t, size_t> wordAt(size_t pos) const;
  // A position moved off the middle of a CR LF pair.
  size_t snap(size_t pos) const;
  // Moves the caret; `extend` keeps the anchor.
  void moveTo(size_t pos, bool extend);
};

}  // namespace platform::controls
