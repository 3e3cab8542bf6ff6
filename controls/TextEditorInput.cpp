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
  const size_t end = mLines.end(mLines.lineOf(i), mShownText.size());
  return end > 0 && mShownText[end - 1] == u'\n' ? end - 1 : end;
}

void CCText::moveCaretTo(size_t i) { mCaret = std::min(i, mShownText.size()); }

std::pair<std::u16string, size_t> CCText::autoIndent(const std::u16string& typed) const {
  if (mCaret > 0 && typed == u"\n") {
    const size_t lineStart = lineStartOf(mCaret);
    size_t tabsEnd = lineStart;
    while (tabsEnd < mCaret && mShownText[tabsEnd] == u'\t') ++tabsEnd;
    const std::u16string indent = mShownText.substr(lineStart, tabsEnd - lineStart);
    std::u16string text = u"\n" + indent;
    if (mShownText[mCaret - 1] == u'{') {
      text += u'\t';
      const size_t advance = text.size();
      if (mCaret < mShownText.size() && mShownText[mCaret] == u'}') text += u"\n" + indent;
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
    if (c >= pos + removed)
      mAutoClosers[kept++] = c - removed + inserted;
    else if (c < pos)
      mAutoClosers[kept++] = c;  // closers inside the replaced range are gone
  }
  mAutoClosers.resize(kept);
}

bool CCText::stepOverCloser(const std::u16string& typed) {
  if (!isScriptLanguage() || typed.size() != 1 || !isCloser(typed[0]) || !mSelection.empty()) return false;
  if (mCaret >= mShownText.size() || mShownText[mCaret] != typed[0]) return false;
  auto it = std::lower_bound(mAutoClosers.begin(), mAutoClosers.end(), mCaret);
  if (it == mAutoClosers.end() || *it != mCaret) return false;
  mAutoClosers.erase(it);
  ++mCaret;
  mSelection = selectionAt(mCaret);
  return true;
}

void CCText::insertText(const std::u16string& text) {
  if (!mEditable) return;
  const std::u16string t = filterBreaks(text, mMultiLine != 0);
  if (t.empty() && mSelection.empty()) return;
  if (mPassword) {
    if (!mSelection.empty()) passwordErase(mSelection.start, mSelection.end);
    mRealText.insert(mCaret, t);
    mShownText.insert(mCaret, t.size(), u'*');
    onReplaced(mCaret, 0, t.size());
    mCaret += t.size();
    mSelection = selectionAt(mCaret);
    onTextChanged();
  } else if (!stepOverCloser(t)) {
    const auto [expanded, advance] = autoIndent(t);
    const size_t pos = mSelection.empty() ? mCaret : mSelection.start;
    mHistory.insert(expanded, advance);
    const bool paired = expanded.size() == 2 && advance == 1 && t.size() == 1 && closerOf(t[0]);
    if (paired) mAutoClosers.insert(std::lower_bound(mAutoClosers.begin(), mAutoClosers.end(), pos + 1), pos + 1);
  }
  updateCaret();
}

// Password mode: [from, to) leaves both texts; caret at `from`, nothing selected.
void CCText::passwordErase(size_t from, size_t to) {
  mRealText.erase(from, to - from);
  mShownText.erase(from, to - from);
  onReplaced(from, to - from, 0);
  mCaret = from;
  mSelection = selectionAt(from);
  onTextChanged();
}

void CCText::backspace() {
  if (!mEditable || (mSelection.empty() && mCaret == 0)) return;
  if (mPassword) {
    if (mSelection.empty())
      passwordErase(mCaret - 1, mCaret);
    else
      passwordErase(mSelection.start, mSelection.end);
  } else {
    mHistory.erase(true);
  }
  updateCaret();
}

void CCText::deleteChar() {
  if (!mEditable || (mSelection.empty() && mCaret >= mShownText.size())) return;
  if (mPassword) {
    if (mSelection.empty())
      passwordErase(mCaret, mCaret + 1);
    else
      passwordErase(mSelection.start, mSelection.end);
  } else {
    mHistory.erase(false);
  }
  updateCaret();
}

void CCText::copy() {
  if (mSelection.empty() || !OpenClipboard(mHwnd)) return;
  const size_t length = mSelection.end - mSelection.start;
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_DDESHARE, (length + 1) * sizeof(char16_t));
  if (auto* p = static_cast<char16_t*>(GlobalLock(block))) {
    std::memcpy(p, mShownText.data() + mSelection.start, length * sizeof(char16_t));
    p[length] = 0;
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
  }
  CloseClipboard();
}

// The clipboard's text, up to its terminating zero or the end of its block, whichever
// comes first, replaces the selection.
void CCText::paste() {
  if (!OpenClipboard(mHwnd)) return;
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
  mHistory.clear();
  mAutoClosers.clear();
  mScrollX = mScrollY = 0;
  if (mPassword) {
    mRealText = filterBreaks(text, mMultiLine != 0);
    mShownText.assign(mRealText.size(), u'*');
  } else {
    mShownText = filterBreaks(text, mMultiLine != 0);
  }
  mCaret = mShownText.size();
  mSelection = TextSelection{};
  mLines.rebuild(mShownText, measuringSurface());
  contentChanged();
  updateScrollRanges();
  updateScrollPos();
  updateRects();
}

void CCText::appendText(const std::u16string& text) {
  const std::u16string t = filterBreaks(text, mMultiLine != 0);
  const size_t at = mShownText.size();
  if (mPassword) {
    mRealText += t;
    mShownText.append(t.size(), u'*');
  } else {
    mShownText += t;
  }
  onReplaced(at, 0, t.size());
  mCaret = mShownText.size();
  mSelection = TextSelection{};
  contentChanged();
  updateScrollRanges();
  updateScrollPos();
  updateRects();
  scrollToCaret();
}

bool CCText::onKeyDown(WPARAM vk) {
  const bool alt = keyHeld(VK_MENU);
  if (mCellEditorMode == 1 && !isScriptLanguage() && onCommit &&
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
  const size_t length = mShownText.size();
  switch (vk) {
    case VK_END:
      mCaret = length;
      mSelection = selectionAt(length);
      updateCaret();
      break;
    case VK_HOME:
      mCaret = 0;
      mSelection = TextSelection{};
      updateCaret();
      break;
    case 'A': {
      mSelection = TextSelection{0, 0, length};
      mCaret = length;
      DestroyCaret();
      InvalidateRect(mHwnd, &mClientRect, FALSE);
      const POINT p = caretPoint(mCaret);
      showCaret(p.x, p.y, lineHeight());
      break;
    }
    case 'C':
      copy();
      break;
    case 'X':
      if (!mSelection.empty()) {
        copy();
        backspace();
      }
      break;
    case 'Z':
      mHistory.undo();
      updateCaret();
      break;
    case 'Y':
      mHistory.redo();
      updateCaret();
      break;
    default:
      break;
  }
  return true;
}

// Shift extends the selection from the anchor; false when the key is to be handled as
// without Shift.
bool CCText::onShiftKey(WPARAM vk) {
  const size_t length = mShownText.size();
  // After a final line feed (or in an empty text) the caret stands on no line.
  const bool onNoLine = mCaret == length && (length == 0 || mShownText.back() == u'\n');
  switch (vk) {
    case VK_END:
      if (!onNoLine) mCaret = lineEndOf(mCaret);
      break;
    case VK_HOME:
      if (!onNoLine) mCaret = lineStartOf(mCaret);
      break;
    case VK_LEFT:
      if (mCaret == 0) return true;
      --mCaret;
      break;
    case VK_RIGHT:
      if (mCaret >= length) return false;
      ++mCaret;
      break;
    case VK_UP:
    case VK_DOWN: {
      POINT p = caretPoint(mCaret);
      p.y += vk == VK_UP ? 1 - lineHeight() : lineHeight() + 1;
      mCaret = indexFromPoint(p);
      break;
    }
    default:
      return false;
  }
  setSelectionTo(mCaret);
  updateCaret();
  return true;
}

void CCText::pageMove(bool down) {
  clearSelection();
  POINT p = caretPoint(mCaret);
  int32_t page = mTextRect.bottom - mTextRect.top - lineHeight();
  if (page < 1) page = lineHeight();
  p.y += down ? page : -page;
  mCaret = indexFromPoint(p);
  mSelection.anchor = mCaret;
  updateCaret();
}

void CCText::lineMove(bool down) {
  clearSelection();
  POINT p = caretPoint(mCaret);
  p.y += down ? lineHeight() + 1 : 1 - lineHeight();
  mCaret = indexFromPoint(p);
  mSelection.anchor = mCaret;
  updateCaret();
}

void CCText::onPlainKey(WPARAM vk) {
  const size_t length = mShownText.size();
  const bool onNoLine = mCaret == length && (length == 0 || mShownText.back() == u'\n');
  if (mCellEditorMode == 1 && keyHeld(VK_MENU) && (vk == VK_RETURN || vk == 10)) {
    if (mMultiLine)
      insertText(u"\n");
    else if (onCommit)
      onCommit(vk, committedText());
    return;
  }
  switch (vk) {
    case VK_BACK:
      backspace();
      break;
    case VK_DELETE:
      deleteChar();
      break;
    case VK_ESCAPE:
      if (mEscapeCancels && onCancel) onCancel(27, committedText());
      break;
    case VK_PRIOR:
    case VK_NEXT:
      pageMove(vk == VK_NEXT);
      break;
    case VK_END:
    case VK_HOME:
      if (!onNoLine) mCaret = vk == VK_END ? lineEndOf(mCaret) : lineStartOf(mCaret);
      clearSelection();
      mSelection.anchor = mCaret;
      updateCaret();
      break;
    case VK_LEFT:
    case VK_RIGHT: {
      const bool left = vk == VK_LEFT;
      if (!mSelection.empty()) {
        mCaret = left ? mSelection.start : mSelection.end;
        clearSelection();
      } else if (left ? mCaret > 0 : mCaret < length) {
        mCaret = left ? mCaret - 1 : mCaret + 1;
      }
      mSelection.anchor = mCaret;
      updateCaret();
      break;
    }
    case VK_UP:
    case VK_DOWN:
      lineMove(vk == VK_DOWN);
      break;
    default:
      break;
  }
}

// Tab: a selection across lines is indented (outdented with Shift), else a tab is typed.
void CCText::onTab() {
  const bool acrossLines =
      !mPassword && !mSelection.empty() &&
      std::find(mShownText.begin() + static_cast<std::ptrdiff_t>(mSelection.start),
                mShownText.begin() + static_cast<std::ptrdiff_t>(mSelection.end), u'\n') !=
          mShownText.begin() + static_cast<std::ptrdiff_t>(mSelection.end);
  if (!acrossLines) {
    insertText(u"\t");
    return;
  }
  if (keyHeld(VK_SHIFT))
    mHistory.outdent();
  else
    mHistory.indent();
  scrollToCaret();
  DestroyCaret();
  InvalidateRect(mHwnd, &mClientRect, FALSE);
  const POINT p = caretPoint(mCaret);
  showCaret(p.x, p.y, lineHeight());
}

bool CCText::onChar(WPARAM code) {
  if (!mEditable) return false;
  if (code == 9) {
    onTab();
  } else if (code >= 32) {
    insertText(std::u16string(1, static_cast<char16_t>(code)));
  } else if (code == 13 || code == 10) {
    if (mMultiLine)
      insertText(u"\n");
    else if (onCommit)
      onCommit(code, committedText());
  } else if (code == 22 && keyHeld(VK_CONTROL)) {
    paste();
  } else {
    return false;
  }
  return true;
}
