// The text editor's undo history. Every change the editor makes outside password mode is one
// TextEdit: the old text at a position replaced by a new text, with caret and selection before
// and after. The history applies each record to the editor's text, caret and selection
// (reached through pointers), keeps it for undo and redo, and merges runs of typing and of
// Backspace or Delete over characters of one class into one record, so that one undo takes
// back a word rather than a letter.
//
// Every text change goes through replaceText, which reports (pos, removed, inserted) to
// onReplace before onChange fires: the editor keeps its line index in step from that report
// instead of rescanning the text.
//
// UI thread only. Nothing limits the number of records.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A text editor's selection: character indices into the shown text. start <= end always;
// start == end means no selection; the anchor is the fixed end of a mouse or Shift selection.
struct TextSelection {
  size_t anchor = 0;
  size_t start = 0;
  size_t end = 0;
  bool empty() const { return start == end; }
  bool operator==(const TextSelection&) const = default;
};

// The selection at one index: nothing selected, anchor there.
inline TextSelection selectionAt(size_t i) { return TextSelection{i, i, i}; }

// Character class for word selection and undo merging: 3 above 0x80; 1 for digits, ASCII
// letters and "_"; 2 for ASCII punctuation (33-47, 58-64, 91-96, 123-126); 0 for the rest
// (control codes, space, 127, 128).
int32_t textCharClass(char16_t c);

using TextChangeFn = std::function<void(void*, void*)>;
// (pos, removed, inserted): `removed` characters at pos were replaced by `inserted` ones.
using TextReplaceFn = std::function<void(size_t, size_t, size_t)>;

// One record of the history.
struct TextEdit {
  enum Kind : int32_t { kReplace = 0, kBackspace = 1, kDelete = 2 };

  int32_t kind = kReplace;
  size_t* editorCaret = nullptr;
  size_t caretBefore = 0;
  size_t caretAfter = 0;
  size_t pos = 0;  // where oldText stood and newText stands
  std::u16string* editorText = nullptr;
  std::u16string oldText;  // removed by the change
  std::u16string newText;  // inserted by the change
  TextSelection selBefore;
  TextSelection selAfter;
  TextSelection* editorSelection = nullptr;
  TextChangeFn callback;   // copy of the history's onChange
  TextReplaceFn replaced;  // copy of the history's onReplace

  // Performs the record forwards: newText in place of oldText at pos, selection = selAfter,
  // caret = caretAfter, then callback(null, null).
  void apply();
  // Takes it back: oldText in place of newText at pos, selection = selBefore, caret =
  // caretBefore, then callback(null, null).
  void revert();
};

class TextHistory {
 public:
  size_t* editorCaret = nullptr;
  std::u16string* editorText = nullptr;
  TextSelection* editorSelection = nullptr;
  std::vector<TextEdit> undoList;  // applied records, oldest first
  std::vector<TextEdit> redoList;  // undone records, the next one to redo last
  TextChangeFn onChange;           // after every change, with two null arguments
  TextReplaceFn onReplace;         // after every text replacement, before onChange

  // Binds the history to the editor's caret, shown text and selection.
  void bind(size_t* caret, std::u16string* text, TextSelection* selection);
  // Empties both lists (the editor's setText, a script run clearing its output).
  void clear();

  // `text` in place of the selection (or at the caret); the caret ends `advance` characters
  // after the insertion's start, and so does the empty selection. A single character typed
  // at the end of the last record's inserted text, of the same character class as that
  // text, extends the record instead of starting a new one.
  void insert(const std::u16string& text, size_t advance);
  // Backspace (backward) or Delete (forward) of the selection, or of one character beside
  // the caret; runs over one character class merge into one record.
  void erase(bool backward);
  // Tab / Shift+Tab over the lines of the selection: a tab inserted at, respectively one
  // removed from, the start of every line that the selection touches.
  void indent();
  void outdent();
  // The block without one tab at its very start and without the first tab directly after
  // each line feed.
  static std::u16string outdentLine(const std::u16string& block);

  // Ctrl+Z / Ctrl+Y; nothing when the list is empty. The editor then updates its caret.
  void undo();
  void redo();

  // The one place where the text changes: `with` in place of `count` characters at pos,
  // reported to onReplace.
  void replaceText(size_t pos, size_t count, const std::u16string& with);

 private:
  TextEdit makeRecord(int32_t kind) const;
  void push(TextEdit record);
  void notify() const;
  // Index after the nearest line feed before the selection's start (0 when none).
  size_t selectionLineStart() const;
  void recordBlock(size_t lineStart, const std::u16string& block, const std::u16string& newBlock, size_t newStart);
  bool mergeTyped(char16_t c);
  void eraseBackward();
  void eraseForward();
};
