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
void renderScript(Render& render, CCanvas& canvas, SyntaxColors& colours, const RECT& view, int32_t scrollX,
                  int32_t scrollY, const std::u16string& text, const TextSelection& selection, int32_t& first,
                  int32_t& last) {
  render.mCanvas = &canvas;
  render.mColors = &colours;
  render.mView = view;
  render.mScrollX = scrollX;
  render.mScrollY = scrollY;
  render.paint(text);
  render.invertSelection(selection.start, selection.end);
  first = render.mFirstLine;
  last = render.mLastLine;
}

}  // namespace

void CCText::paintScript(int32_t& first, int32_t& last) {
  const RECT view = inclusive(mTextRect);
  switch (mLanguage) {
    case TEXT_EXPRTK: {
      VantrelExprtkRender render;
      renderScript(render, mCanvas, mExprtkColours, view, mScrollX, mScrollY, mShownText, mSelection, first, last);
      break;
    }
    case TEXT_C: {
      VantrelCRender render;
      renderScript(render, mCanvas, mCColours, view, mScrollX, mScrollY, mShownText, mSelection, first, last);
      break;
    }
    default: {
      VantrelPyRender render;
      renderScript(render, mCanvas, mPythonColours, view, mScrollX, mScrollY, mShownText, mSelection, first, last);
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
  const size_t length = mShownText.size();
  // A final line feed ends the last line; no line follows it.
  const size_t lines = length == 0 ? 0 : mLines.count() - (mShownText.back() == u'\n' ? 1 : 0);
  if (lines == 0 || lh <= 0) {
    last = 1;
    return;
  }
  size_t n = std::max<size_t>(1, static_cast<size_t>((mScrollY + lh - 1) / lh));
  const int32_t x0 = mTextRect.left - mScrollX;
  for (; n <= lines; ++n) {
    const int32_t top = mTextRect.top - mScrollY + static_cast<int32_t>(n - 1) * lh;
    const size_t from = mLines.start(n - 1);
    const size_t to = mLines.end(n - 1, length);
    mCanvas.textOut(x0, top + mCanvas.mGapAbove, mShownText.data() + from, to - from);
    if (first < 0) first = static_cast<int32_t>(n);
    const size_t s = std::max(mSelection.start, from);
    const size_t e = std::min(mSelection.end, to);
    if (s < e) {
      const int32_t left = x0 + mCanvas.textWidth(mShownText.data() + from, s - from);
      const RECT area{left, top, left + mCanvas.textWidth(mShownText.data() + s, e - s), top + lh};
      InvertRect(mCanvas.mDc, &area);
    }
    if (top + lh > mTextRect.bottom) {
      last = static_cast<int32_t>(n);
      return;
    }
  }
  last = static_cast<int32_t>(lines + 1);
}

void CCText::paint(HDC hdc, RECT paintRect) {
  if (!mCanvas.mDc) return;
  mCanvas.setBrush(mBackColour);
  HGDIOBJ pen = SelectObject(mCanvas.mDc, GetStockObject(NULL_PEN));
  Rectangle(mCanvas.mDc, mClientRect.left - mInsets[0], mClientRect.top - mInsets[1],
            mClientRect.right + mInsets[2] + 2, mClientRect.bottom + mInsets[3] + 2);
  SelectObject(mCanvas.mDc, pen);
  mCanvas.setTextColor(mTextColour);
  mCanvas.pushClip(inclusive(mTextRect));
  int32_t first = -1;
  int32_t last = 1;
  if (isScriptLanguage())
    paintScript(first, last);
  else
    paintPlain(first, last);
  mCanvas.popClip();
  paintLineNumbers(first, last);
  mCanvas.copyTo(hdc, paintRect);
}

void CCText::paintLineNumbers(int32_t first, int32_t last) {
  if (!mLineNumbers) return;
  mCanvas.pushClip(inclusive(mClientRect));
  const RECT gutter{mClientRect.left + 1, mClientRect.top, mClientRect.left + mGutterWidth, mClientRect.bottom};
  mCanvas.setTextColor(mNumberColour);
  mCanvas.setPen(mGutterLineColour, 1);
  mCanvas.drawLine(gutter.right - 3, gutter.top + 1, gutter.right - 3, gutter.bottom - 1);
  const int32_t lh = lineHeight();
  if (first < 0) first = last = 1;
  for (int32_t i = first; i <= last; ++i) {
    const std::string digits = std::to_string(i);
    const std::u16string number(digits.begin(), digits.end());
    const int32_t top = gutter.top + (i - 1) * lh - mScrollY;
    RECT cell{gutter.left, top, gutter.right, top + lh};
    DrawTextW(mCanvas.mDc, number.c_str(), static_cast<int>(number.size()), &cell,
              DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  }
  mCanvas.popClip();
}
