// Keys, characters and the text-changing operations of the text editor: typing with
// automatic indentation and (in script editors) bracket and quote pairing, Backspace and
// Delete, the clipboard, password mode, the cell editor's commit keys, setText and
// appendText. Outside password mode every change goes through the undo history.
#include <algorithm>
#include <cstring>

#include "controls/TextEditor.h"

namespace {

bool keyHeld(int vk) { return GetKeyState(vk) < 0; }

// The closer that pairing appends to a typed opener or quote, 0 for other characters.
char16_t closerOf(char16_t c) {
  switch (c) {
    case u'{': return u'}';
    case u'[': return u']';
    case u'(': return u')';
    case u'"': return u'"';
    case u'\'': return u'\'';
    default: return 0;
  }
}

bool isCloser(char16_t c) { return c == u'}' || c == u']' || c == u')' || c == u'"' || c == u'\''; }

}  // namespace

std::u16string CCText::filterBreaks(const std::u16string& text, bool keepLineFeeds) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text)
    if (c != u'\r' && (keepLineFeeds || c != u'\n')) out.push_back(c);
  return out;
}

size_t CCText::lineStartOf(size_t i) const { return mLines.start(mLines.lineOf(i)); }

// End of the caret's line before its line feed.
size_t CCText::lineEndOf(size_t i) const {
  const size_t end = mLines.end(mLines.lineOf(i), shownText.size());
  return end > 0 && shownText[end - 1] == u'\n' ? end - 1 : end;
}

std::pair<std::u16string, size_t> CCText::autoIndent(const std::u16string& typed) const {
  if (caret > 0 && typed == u"\n") {
    const size_t lineStart = lineStartOf(caret);
    size_t tabsEnd = lineStart;
    while (tabsEnd < caret && shownText[tabsEnd] == u'\t') ++tabsEnd;
    const std::u16string indent = shownText.substr(lineStart, tabsEnd - lineStart);
    std::u16string text = u"\n" + indent;
    if (shownText[caret - 1] == u'{') {
      text += u'\t';
      const size_t advance = text.size();
      if (caret < shownText.size() && shownText[caret] == u'}') text += u"\n" + indent;
      return {text, advance};
    }
    return {text, text.size()};
  }
  if (isScriptLanguage() && typed.size() == 1 && closerOf(typed[0])) return {typed + closerOf(typed[0]), 1};
  return {typed, typed.size()};
}

void CCText::trackAutoClosers(size_t pos, size_t removed, size_t inserted) {
  size_t kept = 0;
  for (size_t c : mAutoClosers) {
    if (c >= pos + removed) mAutoClosers[kept++] = c - removed + inserted;
    else if (c < pos) mAutoClosers[kept++] = c;  // closers inside the replaced range are gone
  }
  mAutoClosers.resize(kept);
}

bool CCText::stepOverCloser(const std::u16string& typed) {
  if (!isScriptLanguage() || typed.size() != 1 || !isCloser(typed[0]) || !selection.empty()) return false;
  if (caret >= shownText.size() || shownText[caret] != typed[0]) return false;
  auto it = std::lower_bound(mAutoClosers.begin(), mAutoClosers.end(), caret);
  if (it == mAutoClosers.end() || *it != caret) return false;
  mAutoClosers.erase(it);
  ++caret;
  selection = selectionAt(caret);
  return true;
}

void CCText::insertText(const std::u16string& text) {
  if (!editable) return;
  const std::u16string t = filterBreaks(text, multiLine != 0);
  if (t.empty() && selection.empty()) return;
  if (password) {
    if (!selection.empty()) passwordErase(selection.start, selection.end);
    realText.insert(caret, t);
    shownText.insert(caret, t.size(), u'*');
    onReplaced(caret, 0, t.size());
    caret += t.size();
    selection = selectionAt(caret);
    onTextChanged();
  } else if (!stepOverCloser(t)) {
    const auto [expanded, advance] = autoIndent(t);
    const size_t pos = selection.empty() ? caret : selection.start;
    history.insert(expanded, advance);
    const bool paired = expanded.size() == 2 && advance == 1 && t.size() == 1 && closerOf(t[0]);
    if (paired) mAutoClosers.insert(std::lower_bound(mAutoClosers.begin(), mAutoClosers.end(), pos + 1), pos + 1);
  }
  updateCaret();
}

// Password mode: [from, to) leaves both texts; caret at `from`, nothing selected.
void CCText::passwordErase(size_t from, size_t to) {
  realText.erase(from, to - from);
  shownText.erase(from, to - from);
  onReplaced(from, to - from, 0);
  caret = from;
  selection = selectionAt(from);
  onTextChanged();
}

void CCText::backspace() {
  if (!editable || (selection.empty() && caret == 0)) return;
  if (password) {
    if (selection.empty()) passwordErase(caret - 1, caret);
    else passwordErase(selection.start, selection.end);
  } else {
    history.erase(true);
  }
  updateCaret();
}

void CCText::deleteChar() {
  if (!editable || (selection.empty() && caret >= shownText.size())) return;
  if (password) {
    if (selection.empty()) passwordErase(caret, caret + 1);
    else passwordErase(selection.start, selection.end);
  } else {
    history.erase(false);
  }
  updateCaret();
}

void CCText::copy() {
  if (selection.empty() || !OpenClipboard(hwnd)) return;
  const size_t length = selection.end - selection.start;
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_DDESHARE, (length + 1) * sizeof(char16_t));
  if (auto* p = static_cast<char16_t*>(GlobalLock(block))) {
    std::memcpy(p, shownText.data() + selection.start, length * sizeof(char16_t));
    p[length] = 0;
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
  }
  CloseClipboard();
}

// The clipboard's text, up to its terminating zero or the end of its block, whichever
// comes first, replaces the selection.
void CCText::paste() {
  if (!OpenClipboard(hwnd)) return;
  std::u16string text;
  HGLOBAL data = static_cast<HGLOBAL>(GetClipboardData(CF_UNICODETEXT));
  if (const auto* p = static_cast<const char16_t*>(GlobalLock(data))) {
    const size_t units = GlobalSize(data) / sizeof(char16_t);
    text.assign(p, std::find(p, p + units, u'\0'));
    GlobalUnlock(data);
  }
  CloseClipboard();
  insertText(text);
}

void CCText::setText(const std::u16string& text) {
  history.clear();
  mAutoClosers.clear();
  scrollX = scrollY = 0;
  if (password) {
    realText = filterBreaks(text, multiLine != 0);
    shownText.assign(realText.size(), u'*');
  } else {
    shownText = filterBreaks(text, multiLine != 0);
  }
  caret = shownText.size();
  selection = TextSelection{};
  mLines.rebuild(shownText, measuringSurface());
  mResume.invalidate();
  contentChanged();
  updateScrollRanges();
  updateScrollPos();
  updateRects();
}

void CCText::appendText(const std::u16string& text) {
  const std::u16string t = filterBreaks(text, multiLine != 0);
  const size_t at = shownText.size();
  if (password) {
    realText += t;
    shownText.append(t.size(), u'*');
  } else {
    shownText += t;
  }
  onReplaced(at, 0, t.size());
  caret = shownText.size();
  selection = TextSelection{};
  contentChanged();
  updateScrollRanges();
  updateScrollPos();
  updateRects();
  scrollToCaret();
}

bool CCText::onKeyDown(WPARAM vk) {
  const bool alt = keyHeld(VK_MENU);
  if (cellEditorMode == 1 && !isScriptLanguage() && onCommit &&
      (((vk == VK_RETURN || vk == 10) && !alt) || vk == VK_TAB)) {
    onCommit(vk, committedText());
    return false;
  }
  if (keyHeld(VK_CONTROL)) return onCtrlKey(vk);
  if (keyHeld(VK_SHIFT) && onShiftKey(vk)) return true;
  onPlainKey(vk);
  return true;
}

bool CCText::onCtrlKey(WPARAM vk) {
  const size_t length = shownText.size();
  switch (vk) {
    case VK_END:
      caret = length;
      selection = selectionAt(length);
      updateCaret();
      break;
    case VK_HOME:
      caret = 0;
      selection = TextSelection{};
      updateCaret();
      break;
    case 'A': {
      selection = TextSelection{0, 0, length};
      caret = length;
      DestroyCaret();
      InvalidateRect(hwnd, &clientRect, FALSE);
      const POINT p = caretPoint(caret);
      showCaret(p.x, p.y, lineHeight());
      break;
    }
    case 'C': copy(); break;
    case 'X':
      if (!selection.empty()) {
        copy();
        backspace();
      }
      break;
    case 'Z':
      history.undo();
      updateCaret();
      break;
    case 'Y':
      history.redo();
      updateCaret();
      break;
    default: break;
  }
  return true;
}

// Shift extends the selection from the anchor; false when the key is to be handled as
// without Shift.
bool CCText::onShiftKey(WPARAM vk) {
  const size_t length = shownText.size();
  // After a final line feed (or in an empty text) the caret stands on no line.
  const bool onNoLine = caret == length && (length == 0 || shownText.back() == u'\n');
  switch (vk) {
    case VK_END:
      if (!onNoLine) caret = lineEndOf(caret);
      break;
    case VK_HOME:
      if (!onNoLine) caret = lineStartOf(caret);
      break;
    case VK_LEFT:
      if (caret == 0) return true;
      --caret;
      break;
    case VK_RIGHT:
      if (caret >= length) return false;
      ++caret;
      break;
    case VK_UP:
    case VK_DOWN: {
      POINT p = caretPoint(caret);
      p.y += vk == VK_UP ? 1 - lineHeight() : lineHeight() + 1;
      caret = indexFromPoint(p);
      break;
    }
    default: return false;
  }
  setSelectionTo(caret);
  updateCaret();
  return true;
}

void CCText::pageMove(bool down) {
  clearSelection();
  POINT p = caretPoint(caret);
  int32_t page = textRect.bottom - textRect.top - lineHeight();
  if (page < 1) page = lineHeight();
  p.y += down ? page : -page;
  caret = indexFromPoint(p);
  selection.anchor = caret;
  updateCaret();
}

void CCText::lineMove(bool down) {
  clearSelection();
  POINT p = caretPoint(caret);
  p.y += down ? lineHeight() + 1 : 1 - lineHeight();
  caret = indexFromPoint(p);
  selection.anchor = caret;
  updateCaret();
}

void CCText::onPlainKey(WPARAM vk) {
  const size_t length = shownText.size();
  const bool onNoLine = caret == length && (length == 0 || shownText.back() == u'\n');
  if (cellEditorMode == 1 && keyHeld(VK_MENU) && (vk == VK_RETURN || vk == 10)) {
    if (multiLine) insertText(u"\n");
    else if (onCommit) onCommit(vk, committedText());
    return;
  }
  switch (vk) {
    case VK_BACK: backspace(); break;
    case VK_DELETE: deleteChar(); break;
    case VK_ESCAPE:
      if (escapeCancels && onCancel) onCancel(27, committedText());
      break;
    case VK_PRIOR:
    case VK_NEXT: pageMove(vk == VK_NEXT); break;
    case VK_END:
    case VK_HOME:
      if (!onNoLine) caret = vk == VK_END ? lineEndOf(caret) : lineStartOf(caret);
      clearSelection();
      selection.anchor = caret;
      updateCaret();
      break;
    case VK_LEFT:
    case VK_RIGHT: {
      const bool left = vk == VK_LEFT;
      if (!selection.empty()) {
        caret = left ? selection.start : selection.end;
        clearSelection();
      } else if (left ? caret > 0 : caret < length) {
        caret = left ? caret - 1 : caret + 1;
      }
      selection.anchor = caret;
      updateCaret();
      break;
    }
    case VK_UP:
    case VK_DOWN: lineMove(vk == VK_DOWN); break;
    default: break;
  }
}

// Tab: a selection across lines is indented (outdented with Shift), else a tab is typed.
void CCText::onTab() {
  const bool acrossLines = !password && !selection.empty() &&
                           std::find(shownText.begin() + static_cast<std::ptrdiff_t>(selection.start),
                                     shownText.begin() + static_cast<std::ptrdiff_t>(selection.end),
                                     u'\n') != shownText.begin() + static_cast<std::ptrdiff_t>(selection.end);
  if (!acrossLines) {
    insertText(u"\t");
    return;
  }
  if (keyHeld(VK_SHIFT)) history.outdent();
  else history.indent();
  scrollToCaret();
  DestroyCaret();
  InvalidateRect(hwnd, &clientRect, FALSE);
  const POINT p = caretPoint(caret);
  showCaret(p.x, p.y, lineHeight());
}

bool CCText::onChar(WPARAM code) {
  if (!editable) return false;
  if (code == 9) {
    onTab();
  } else if (code >= 32 && code != 127) {  // 127: Ctrl+Backspace, a control code like those below 32
    insertText(std::u16string(1, static_cast<char16_t>(code)));
  } else if (code == 13 || code == 10) {
    if (multiLine) insertText(u"\n");
    else if (onCommit) onCommit(code, committedText());
  } else if (code == 22 && keyHeld(VK_CONTROL)) {
    paste();
  } else {
    return false;
  }
  return true;
}
