#include "controls/VantrelScriptRender.h"

#include <algorithm>
#include <cassert>

bool isNameToken(const ScriptToken& token, std::u16string_view text) {
  return token.kind == TOKEN_NAME && std::u16string_view(token.begin, token.end - token.begin) == text;
}

void VantrelScriptRender::render(const std::u16string& text) {}

void VantrelScriptRender::paint(const std::u16string& text) {
  render(text);
  const int32_t gapAbove = mCanvas->gapAbove();
  for (const auto& [colour, runs] : mRunsByColour) {
    mCanvas->setTextColor(colour);
    for (const TokenRun& run : runs) mCanvas->textOutTabs(run.left, run.top + gapAbove, run.text, run.length);
  }
  mTextStart = text.c_str();
}

void VantrelScriptRender::recordLine(const char16_t* start, int32_t line) {
  mLineStarts.push_back(start);
  mLineNumbers.push_back(line);
}

std::u16string VantrelScriptRender::commonClass(const ScriptToken& token) const {
  switch (token.kind) {
    case TOKEN_COMMENT: return u"C_Comment";
    case TOKEN_NUMBER: return u"C_Number";
    case TOKEN_CHAR:
    case TOKEN_STRING: return u"C_String";
    case TOKEN_SYMBOL: {
      std::u16string symbol = tokenText(token);
      return hasKey(symbol) ? symbol : u"C_Symbol";
    }
    default: return u"C_Default";
  }
}

void VantrelScriptRender::addRun(TokenRun& run) {
  if (mView.right < run.left || mView.bottom < run.top || run.right < mView.left || run.bottom < mView.top) return;
  const COLORREF colour = mColors->try_emplace(run.tokenClass, COLORREF{0}).first->second;
  mRunsByColour[colour].push_back(run);
}

int32_t VantrelScriptRender::textWidth(const char16_t* from, const char16_t* to, bool noBreak) {
  int32_t width = 0;
  for (; from < to; ++from) width += noBreak ? mCanvas->charWidthNoBreak(*from) : mCanvas->charWidth(*from);
  return width;
}

void VantrelScriptRender::placeRuns(const char16_t* lineStart, std::vector<TokenRun>& runs) {
  int32_t x = mView.left - mScrollX;
  const char16_t* cursor = lineStart;
  for (TokenRun& run : runs) {
    assert(cursor <= run.text);
    x += textWidth(cursor, run.text, true);
    run.left = x;
    x += textWidth(run.text, run.text + run.length, true);
    run.right = x;
    addRun(run);
    cursor = run.text + run.length;
  }
  runs.clear();
}

void VantrelScriptRender::invertSelection(size_t selStart, size_t selEnd) {
  assert(selStart <= selEnd);
  if (selStart == selEnd || !mTextStart) return;
  const int32_t lineHeight = mCanvas->lineHeight();
  for (size_t i = 1; i < mLineStarts.size(); ++i) {
    const size_t a = static_cast<size_t>(mLineStarts[i - 1] - mTextStart);
    const size_t b = static_cast<size_t>(mLineStarts[i] - mTextStart);
    if (selEnd < a || b < selStart) continue;
    const size_t s = std::max(selStart, a);
    const size_t e = std::min(selEnd, b);
    RECT area;
    area.left = mView.left - mScrollX + textWidth(mTextStart + a, mTextStart + s, false);
    area.right = area.left + textWidth(mTextStart + s, mTextStart + e, false);
    area.top = mView.top - mScrollY + (mLineNumbers[i - 1] - 1) * lineHeight;
    area.bottom = area.top + lineHeight;
    if (mView.right < area.left || mView.bottom < area.top || area.right < mView.left || area.bottom < mView.top)
      continue;
    mCanvas->invertRect(area);
  }
}
