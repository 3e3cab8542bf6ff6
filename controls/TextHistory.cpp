#include "controls/TextHistory.h"

#include <cassert>
#include <utility>

int32_t textCharClass(char16_t c) {
  if (c > 0x80) return 3;
  if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_') return 1;
  if ((c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) || (c >= 123 && c <= 126)) return 2;
  return 0;
}

namespace {

// `with` in place of `count` characters of *text at pos, reported to `replaced`.
void replaceIn(std::u16string* text, const TextReplaceFn& replaced, size_t pos, size_t count,
               const std::u16string& with) {
  assert(pos + count <= text->size());
  text->replace(pos, count, with);
  if (replaced) replaced(pos, count, with.size());
}

}  // namespace

void TextEdit::apply() {
  replaceIn(editorText, replaced, pos, oldText.size(), newText);
  *editorSelection = selAfter;
  *editorCaret = caretAfter;
  if (callback) callback(nullptr, nullptr);
}

void TextEdit::revert() {
  replaceIn(editorText, replaced, pos, newText.size(), oldText);
  *editorSelection = selBefore;
  *editorCaret = caretBefore;
  if (callback) callback(nullptr, nullptr);
}

void TextHistory::bind(size_t* caret, std::u16string* text, TextSelection* selection) {
  editorCaret = caret;
  editorText = text;
  editorSelection = selection;
}

void TextHistory::clear() {
  undoList.clear();
  redoList.clear();
}

void TextHistory::replaceText(size_t pos, size_t count, const std::u16string& with) {
  replaceIn(editorText, onReplace, pos, count, with);
}

void TextHistory::notify() const {
  if (onChange) onChange(nullptr, nullptr);
}

TextEdit TextHistory::makeRecord(int32_t kind) const {
  TextEdit r;
  r.kind = kind;
  r.editorCaret = editorCaret;
  r.editorText = editorText;
  r.editorSelection = editorSelection;
  r.caretBefore = *editorCaret;
  r.selBefore = *editorSelection;
  r.callback = onChange;
  r.replaced = onReplace;
  return r;
}

void TextHistory::push(TextEdit record) {
  record.apply();
  undoList.push_back(std::move(record));
}

// Extends the last typing record by `c` when the caret stands at the end of that record's
// inserted text (so that redo puts back exactly what undo took away) and `c` has the class
// of the text's first character. Returns whether it merged.
bool TextHistory::mergeTyped(char16_t c) {
  if (undoList.empty() || !redoList.empty() || !editorSelection->empty()) return false;
  TextEdit& last = undoList.back();
  if (last.kind != TextEdit::kReplace || !last.oldText.empty() || last.newText.empty()) return false;
  const size_t caret = *editorCaret;
  if (caret != last.pos + last.newText.size()) return false;
  if (textCharClass(c) != textCharClass(last.newText[0])) return false;
  replaceText(caret, 0, std::u16string(1, c));
  last.newText.push_back(c);
  last.caretAfter = caret + 1;
  last.selAfter = selectionAt(caret + 1);
  *editorSelection = last.selAfter;
  *editorCaret = last.caretAfter;
  notify();
  return true;
}

void TextHistory::insert(const std::u16string& text, size_t advance) {
  assert(advance <= text.size());
  if (text.size() == 1 && mergeTyped(text[0])) return;
  redoList.clear();
  const TextSelection sel = *editorSelection;
  TextEdit r = makeRecord(TextEdit::kReplace);
  r.pos = sel.empty() ? *editorCaret : sel.start;
  if (!sel.empty()) r.oldText = editorText->substr(sel.start, sel.end - sel.start);
  r.newText = text;
  r.caretAfter = r.pos + advance;
  r.selAfter = selectionAt(r.caretAfter);  // the anchor follows the caret, also inside a pair
  push(std::move(r));
}

void TextHistory::erase(bool backward) {
  if (!editorSelection->empty()) {
    insert(u"", 0);
    return;
  }
  if (backward) eraseBackward();
  else eraseForward();
}

void TextHistory::eraseBackward() {
  const size_t caret = *editorCaret;
  if (caret == 0) return;
  const char16_t c = (*editorText)[caret - 1];
  if (!undoList.empty() && redoList.empty()) {
    TextEdit& last = undoList.back();
    if (last.kind == TextEdit::kBackspace && caret == last.caretAfter && !last.oldText.empty() &&
        textCharClass(c) == textCharClass(last.oldText[0])) {
      last.oldText.insert(last.oldText.begin(), c);
      last.pos -= 1;
      last.caretAfter -= 1;
      last.selAfter = selectionAt(caret - 1);
      replaceText(caret - 1, 1, u"");
      *editorSelection = last.selAfter;
      *editorCaret = last.caretAfter;
      notify();
      return;
    }
  }
  redoList.clear();
  TextEdit r = makeRecord(TextEdit::kBackspace);
  r.pos = caret - 1;
  r.oldText.assign(1, c);
  r.caretAfter = caret - 1;
  r.selAfter = selectionAt(caret - 1);
  push(std::move(r));
}

void TextHistory::eraseForward() {
  const size_t caret = *editorCaret;
  if (caret >= editorText->size()) return;
  const char16_t c = (*editorText)[caret];
  if (!undoList.empty() && redoList.empty()) {
    TextEdit& last = undoList.back();
    if (last.kind == TextEdit::kDelete && caret == last.caretAfter && !last.oldText.empty() &&
        textCharClass(c) == textCharClass(last.oldText[0])) {
      last.oldText.push_back(c);
      replaceText(caret, 1, u"");
      notify();
      return;
    }
  }
  redoList.clear();
  TextEdit r = makeRecord(TextEdit::kDelete);
  r.pos = caret;
  r.oldText.assign(1, c);
  r.caretAfter = caret;
  r.selAfter = selectionAt(caret);
  push(std::move(r));
}

size_t TextHistory::selectionLineStart() const {
  const std::u16string& text = *editorText;
  for (size_t i = editorSelection->start; i > 0; --i)
    if (text[i - 1] == u'\n') return i;
  return 0;
}

// Records the replacement of `block` (the selected lines from lineStart) by `newBlock`; the
// selection runs from newStart to the end of the new block, its anchor and the caret on the
// side where they stood before.
void TextHistory::recordBlock(size_t lineStart, const std::u16string& block, const std::u16string& newBlock,
                              size_t newStart) {
  redoList.clear();
  const TextSelection sel = *editorSelection;
  TextEdit r = makeRecord(TextEdit::kReplace);
  r.pos = lineStart;
  r.oldText = block;
  r.newText = newBlock;
  const size_t newEnd = lineStart + newBlock.size();
  r.selAfter.start = newStart;
  r.selAfter.end = newEnd;
  r.selAfter.anchor = sel.anchor == sel.start ? newStart : newEnd;
  r.caretAfter = *editorCaret == sel.start ? newStart : newEnd;
  push(std::move(r));
}

void TextHistory::indent() {
  const TextSelection sel = *editorSelection;
  const size_t lineStart = selectionLineStart();
  const std::u16string block = editorText->substr(lineStart, sel.end - lineStart);
  std::u16string newBlock = u"\t";
  newBlock.reserve(block.size() + block.size() / 8 + 2);
  for (char16_t c : block) {
    newBlock.push_back(c);
    if (c == u'\n') newBlock.push_back(u'\t');
  }
  recordBlock(lineStart, block, newBlock, sel.start + (sel.start != lineStart ? 1 : 0));
}

std::u16string TextHistory::outdentLine(const std::u16string& block) {
  std::u16string out;
  out.reserve(block.size());
  bool lineStart = true;
  for (char16_t c : block) {
    if (lineStart && c == u'\t') {
      lineStart = false;
      continue;
    }
    lineStart = c == u'\n';
    out.push_back(c);
  }
  return out;
}

void TextHistory::outdent() {
  const TextSelection sel = *editorSelection;
  const size_t lineStart = selectionLineStart();
  const std::u16string block = editorText->substr(lineStart, sel.end - lineStart);
  const std::u16string newBlock = outdentLine(block);
  if (newBlock == block) return;
  const bool startMoves = sel.start != lineStart && (*editorText)[lineStart] == u'\t';
  recordBlock(lineStart, block, newBlock, sel.start - (startMoves ? 1 : 0));
}

void TextHistory::undo() {
  if (undoList.empty()) return;
  TextEdit record = undoList.back();
  undoList.pop_back();
  record.revert();
  redoList.push_back(std::move(record));
}

void TextHistory::redo() {
  if (redoList.empty()) return;
  TextEdit record = redoList.back();
  redoList.pop_back();
  record.apply();
  undoList.push_back(std::move(record));
}
