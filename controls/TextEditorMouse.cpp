// Hit testing, mouse selection, word selection and the wheel of the text editor.
#include <algorithm>

#include "controls/TextEditor.h"

namespace {

bool keyHeld(int vk) { return GetKeyState(vk) < 0; }

// Codes 33 to 126 and above 128.
bool printable(char16_t c) { return (c >= 33 && c <= 126) || c > 128; }

}  // namespace

// The point's line is the first one whose bottom reaches the point (the first line for a
// point above the text); on it, a line feed or the end of the text ends the search, else
// the character under the point gives its index, or the index after it when the point lies
// on the character's right half. A point below the text gives the text's length.
size_t CCText::indexFromPoint(POINT point) {
  if (shownText.empty()) return 0;
  const int32_t lh = lineHeight();
  if (lh <= 0 || !canvas.mDc) return 0;
  const int64_t px = int64_t{point.x} + scrollX;
  const int64_t below = int64_t{point.y} + scrollY - textRect.top - lh;  // past line 0's bottom
  const size_t line = below <= 0 ? 0 : static_cast<size_t>((below + lh - 1) / lh);
  if (line >= mLines.count()) return shownText.size();
  int64_t x = textRect.left;
  const size_t end = mLines.end(line, shownText.size());
  for (size_t i = mLines.start(line); i < end; ++i) {
    const char16_t c = shownText[i];
    if (c == u'\n') return i;
    const int32_t w = canvas.charWidth(c);
    if (x + w >= px) return 2 * (px - x) > w ? i + 1 : i;
    x += w;
  }
  return shownText.size();
}

std::pair<size_t, size_t> CCText::wordRange(size_t index) const {
  const std::u16string& t = shownText;
  const size_t n = t.size();
  if (n == 0) return {0, 0};
  index = std::min(index, n);
  int32_t k;
  if (index < n) {
    k = charClass(t[index]);
    if (k == 0 && index > 0) k = charClass(t[index - 1]);
  } else {
    k = charClass(t[n - 1]);
  }
  size_t start = index;
  size_t end = index;
  if (k != 0) {
    while (start > 0 && charClass(t[start - 1]) == k) --start;
    end = std::min(index + 1, n);  // a point past the end stays inside the text
    while (end < n && charClass(t[end]) == k) ++end;
  } else {
    while (start > 0 && t[start - 1] != u'\n' && !printable(t[start - 1])) --start;
    while (end < n && charClass(t[end]) == 0) ++end;
  }
  return {start, end};
}

void CCText::setSelectionTo(size_t i) {
  selection.start = std::min(selection.anchor, i);
  selection.end = std::max(selection.anchor, i);
}

void CCText::onLButtonDown(POINT p, bool shift) {
  SetFocus(hwnd);
  const size_t i = indexFromPoint(p);
  caret = i;
  if (shift) setSelectionTo(i);
  else selection = selectionAt(i);
  updateCaret();
  SetCapture(hwnd);
}

void CCText::onMouseDrag(POINT p) {
  const size_t i = indexFromPoint(p);
  if (i == caret) return;
  caret = i;
  setSelectionTo(i);
  updateCaret();
}

void CCText::onDoubleClick(POINT p, bool shift) {
  const size_t i = indexFromPoint(p);
  if (shift) {
    caret = i;
    setSelectionTo(i);
  } else {
    const auto [s, e] = wordRange(i);
    selection = TextSelection{s, s, e};
    caret = e;
  }
  updateCaret();
}

void CCText::onMouseWheel(WPARAM wParam, LPARAM lParam) {
  const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
  if (keyHeld(VK_CONTROL)) {
    font.lfHeight = std::max<LONG>(8, font.lfHeight + (delta >= 0 ? 2 : -2));
    canvas.setFont(font.lfHeight, font.lfFaceName);
    mLines.remeasure(shownText, canvas);
    contentChanged();
    scrollX = std::clamp(scrollX, 0, maxScrollX());
    scrollY = std::clamp(scrollY, 0, maxScrollY());
    updateScrollRanges();
    updateScrollPos();
    updateRects();
    updateCaret();
    return;
  }
  const bool scrolled = keyHeld(VK_SHIFT) ? scrollH(delta < 0 ? wheelStepX : -wheelStepX, true)
                                          : scrollV(delta < 0 ? wheelStepY : -wheelStepY, true);
  if (!scrolled && onWheel && contentHeight < textRect.bottom - textRect.top) onWheel(wParam, lParam);
  updateScrollPos();
  DestroyCaret();
  const POINT p = caretPoint(caret);
  showCaret(p.x, p.y, lineHeight());
}
