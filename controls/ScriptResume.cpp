#include "controls/ScriptResume.h"

void ScriptResume::prepare(int32_t language, const SyntaxColors& colours) {
  if (mLowestChange < point.lineStart || language != mLanguage || colours != mColours) valid = false;
  mLowestChange = kNoOffset;
  mLanguage = language;
}
