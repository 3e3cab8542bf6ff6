// Painting of the text editor: background, plain or coloured text with the selection
// inverted, the line-number gutter, then one copy of the painted area to the window.
#include <algorithm>
#include <string>

#include "controls/TextEditor.h"
#include "controls/VantrelCRender.h"
#include "controls/VantrelExprtkRender.h"
#include "controls/VantrelPyRender.h"

namespace {

// One paint of the script renderer `render` over the editor's text: coloured runs, then the
// selection inverted; the first visible and last painted line numbers come back.
template <class Render>
void renderScript(Render& render, ScriptResume& resume, int32_t language, CCanvas& canvas, SyntaxColors& colours,
                  const RECT& view, int32_t scrollX, int32_t scrollY, const std::u16string& text,
                  const TextSelection& selection, int32_t& first, int32_t& last) {
  resume.prepare(language, colours);
  render.mResume = &resume;
  render.mCanvas = &canvas;
  render.mColors = &colours;
  render.mView = view;
  render.mScrollX = scrollX;
  render.mScrollY = scrollY;
  render.paint(text);
  resume.settle(colours);
  render.invertSelection(selection.start, selection.end);
  first = render.mFirstLine;
  last = render.mLastLine;
}

}  // namespace

void CCText::paintScript(int32_t& first, int32_t& last) {
  const RECT view = inclusive(textRect);
  switch (language) {
    case TEXT_EXPRTK: {
      VantrelExprtkRender render;
      renderScript(render, mResume, language, canvas, exprtkColours, view, scrollX, scrollY, shownText, selection,
                   first, last);
      break;
    }
    case TEXT_C: {
      VantrelCRender render;
      renderScript(render, mResume, language, canvas, cColours, view, scrollX, scrollY, shownText, selection, first,
                   last);
      break;
    }
    default: {
      VantrelPyRender render;
      renderScript(render, mResume, language, canvas, pythonColours, view, scrollX, scrollY, shownText, selection,
                   first, last);
      break;
    }
  }
}

// Plain lines from the first whose bottom reaches the view's top, stopping after the first
// whose bottom lies below the view. `first` is the first drawn line's number (-1 for none),
// `last` the last drawn one, or the number after the last line when the text ran out.
void CCText::paintPlain(int32_t& first, int32_t& last) {
  first = -1;
  const int32_t lh = lineHeight();
  const size_t length = shownText.size();
  // A final line feed ends the last line; no line follows it.
  const size_t lines = length == 0 ? 0 : mLines.count() - (shownText.back() == u'\n' ? 1 : 0);
  if (lines == 0 || lh <= 0) {
    last = 1;
    return;
  }
  size_t n = std::max<size_t>(1, static_cast<size_t>((scrollY + lh - 1) / lh));
  const int32_t x0 = textRect.left - scrollX;
  for (; n <= lines; ++n) {
    const int32_t top = textRect.top - scrollY + static_cast<int32_t>(n - 1) * lh;
    const size_t from = mLines.start(n - 1);
    const size_t to = mLines.end(n - 1, length);
    canvas.textOut(x0, top + canvas.mGapAbove, shownText.data() + from, to - from);
    if (first < 0) first = static_cast<int32_t>(n);
    const size_t s = std::max(selection.start, from);
    const size_t e = std::min(selection.end, to);
    if (s < e) {
      const int32_t left = x0 + canvas.textWidth(shownText.data() + from, s - from);
      const RECT area{left, top, left + canvas.textWidth(shownText.data() + s, e - s), top + lh};
      InvertRect(canvas.mDc, &area);
    }
    if (top + lh > textRect.bottom) {
      last = static_cast<int32_t>(n);
      return;
    }
  }
  last = static_cast<int32_t>(lines + 1);
}

void CCText::paint(HDC hdc, RECT paintRect) {
  if (!canvas.mDc) return;
  canvas.setBrush(backColour);
  HGDIOBJ pen = SelectObject(canvas.mDc, GetStockObject(NULL_PEN));
  Rectangle(canvas.mDc, clientRect.left - insets[0], clientRect.top - insets[1], clientRect.right + insets[2] + 2,
            clientRect.bottom + insets[3] + 2);
  SelectObject(canvas.mDc, pen);
  canvas.setTextColor(textColour);
  canvas.pushClip(inclusive(textRect));
  int32_t first = -1;
  int32_t last = 1;
  if (isScriptLanguage()) paintScript(first, last);
  else paintPlain(first, last);
  canvas.popClip();
  paintLineNumbers(first, last);
  canvas.copyTo(hdc, paintRect);
}

void CCText::paintLineNumbers(int32_t first, int32_t last) {
  if (!lineNumbers) return;
  canvas.pushClip(inclusive(clientRect));
  const RECT gutter{clientRect.left + 1, clientRect.top, clientRect.left + gutterWidth, clientRect.bottom};
  canvas.setTextColor(numberColour);
  canvas.setPen(gutterLineColour, 1);
  canvas.drawLine(gutter.right - 3, gutter.top + 1, gutter.right - 3, gutter.bottom - 1);
  const int32_t lh = lineHeight();
  if (first < 0) first = last = 1;
  for (int32_t i = first; i <= last; ++i) {
    const std::string digits = std::to_string(i);
    const std::u16string number(digits.begin(), digits.end());
    const int32_t top = gutter.top + (i - 1) * lh - scrollY;
    RECT cell{gutter.left, top, gutter.right, top + lh};
    DrawTextW(canvas.mDc, number.c_str(), static_cast<int>(number.size()), &cell,
              DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  }
  canvas.popClip();
}
