// The line frame shared by the script renderers; included by their sources only.
#pragma once
#include <algorithm>
#include <cassert>

#include "controls/VantrelScriptRender.h"

template <class Lexer, class Next, class Visit>
void VantrelScriptRender::renderLines(Lexer& lexer, Next next, Visit visit) {
  assert(mCanvas && mColors);
  const int32_t lineHeight = mCanvas->lineHeight();
  assert(lineHeight > 0);
  const int32_t contentBottom = mView.bottom - mView.top + mScrollY;
  const int32_t firstVisible = mScrollY / lineHeight + 1;
  // Every line above firstVisible makes no run and reads no look-ahead, so the state at the
  // line feed before it depends on the text above it only: the resume point is taken when
  // the lexer first stands at the start of that line, before its first token is read.
  bool pointTaken = false;
  auto read = [&] {
    if (!pointTaken && mResume && firstVisible > 1 && lexer.line == firstVisible && lexer.pos == lexer.lineStart) {
      assert(mLineRuns.empty() && mLineStarts.size() == 1);
      lexer.savePoint(mResume->point);
      mResume->frameLineNo = mLineNo;
      mResume->frameLineStart = static_cast<size_t>(mLineStart - lexer.textStart);
      saveRules(*mResume);
      mResume->valid = pointTaken = true;
    }
    return next();
  };
  if (mResume && mResume->valid && mResume->point.line <= firstVisible &&
      mResume->point.lineStart <= static_cast<size_t>(lexer.textEnd - lexer.textStart)) {
    lexer.restorePoint(mResume->point);
    mLineNo = mResume->frameLineNo;
    mLineStart = lexer.textStart + mResume->frameLineStart;
    loadRules(*mResume);
    recordLine(lexer.textStart, 1);  // the first token of the text was on line 1
  }
  ScriptToken t = read();
  if (t.kind != TOKEN_END && !mLineStart) {
    mLineNo = 1;
    mLineStart = t.lineStart;
    recordLine(mLineStart, 1);  // line 1 is always the first entry, visible or not
  }
  bool stoppedBelow = false;
  while (t.kind != TOKEN_END) {
    mLineTop = (t.line - 1) * lineHeight;
    const bool above = mScrollY >= mLineTop + lineHeight;
    if (t.line != mLineNo) {
      if (!mLineRuns.empty()) placeRuns(mLineStart, mLineRuns);
      if (mLineTop >= contentBottom) {
        recordLine(t.lineStart, t.line);
        stoppedBelow = true;
        break;
      }
      mLineStart = t.lineStart;
      mLineNo = t.line;
      if (!above) recordLine(mLineStart, mLineNo);
    }
    bool readAhead;
    if (above || t.kind == TOKEN_NEWLINE) {
      readAhead = visit(t, static_cast<TokenRun*>(nullptr));
    } else {
      TokenRun run;
      run.text = t.begin;
      run.length = static_cast<size_t>(t.end - t.begin);
      run.top = mView.top + mLineTop - mScrollY;
      run.bottom = run.top + lineHeight;
      readAhead = visit(t, &run);
      mLineRuns.push_back(std::move(run));
    }
    t = readAhead ? lexer.cur : read();
  }
  if (!stoppedBelow && mLineStart) recordLine(lexer.textEnd, mLineNo);
  if (!mLineRuns.empty()) placeRuns(mLineStart, mLineRuns);
  mFirstLine = mScrollY / lineHeight + 1;
  mLastLine = std::max(mFirstLine, lexer.line);
}
