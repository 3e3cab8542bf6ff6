#include "controls/VantrelCRender.h"

#include "controls/ScriptLexer.h"
#include "controls/ScriptRenderFrame.h"

namespace {

bool declaresStruct(const ScriptToken& previous) {
  return isNameToken(previous, u"struct") || isNameToken(previous, u"union") || isNameToken(previous, u"typedef");
}

}  // namespace

void VantrelCRender::render(const std::u16string& text) {
  ScriptLexer lexer(text.data(), text.size());
  renderLines(
      lexer, [&] { return lexer.nextC(); },
      [&](const ScriptToken& t, TokenRun* run) { return visit(lexer, t, run); });
}

void VantrelCRender::saveRules(ScriptResume& resume) const {
  resume.cNames = CNamesState{mFunctions, mStructs, mDefines, mVars, mInEnum};
}

void VantrelCRender::loadRules(const ScriptResume& resume) {
  mFunctions = resume.cNames.functions;
  mStructs = resume.cNames.structs;
  mDefines = resume.cNames.defines;
  mVars = resume.cNames.vars;
  mInEnum = resume.cNames.inEnum;
}

void VantrelCRender::getSymbols(std::vector<std::u16string>& out) const {
  out.clear();
  for (const auto* names : {&mFunctions, &mStructs, &mDefines, &mVars})
    out.insert(out.end(), names->begin(), names->end());
}

bool VantrelCRender::visit(ScriptLexer& lexer, const ScriptToken& t, TokenRun* run) {
  if (t.kind == TOKEN_NAME) {
    if (run) return classifyName(lexer, t, *run);
    trackHiddenName(lexer, t);
    return false;
  }
  if (run) run->tokenClass = commonClass(t);
  if (t.kind == TOKEN_SYMBOL) trackSymbol(lexer, t);
  return false;
}

// A visible name: the declaration rules on the previous token come before the table, so
// in "typedef struct tag" the word struct is itself a struct name.
bool VantrelCRender::classifyName(ScriptLexer& lexer, const ScriptToken& t, TokenRun& run) {
  const std::u16string name = tokenText(t);
  const ScriptToken& previous = lexer.prev1;
  if (mInEnum) {
    mDefines.insert(name);
  } else if (previous.kind == TOKEN_NAME) {
    if (declaresStruct(previous)) {
      mStructs.insert(name);
      run.tokenClass = u"C_Struct";
    } else if (isNameToken(previous, u"define")) {
      mDefines.insert(name);
      run.tokenClass = u"C_Define";
    } else if (isNameToken(previous, u"enum")) {
      mStructs.insert(name);
      run.tokenClass = u"C_Struct";
      mInEnum = true;
    } else {
      mVars.insert(name);
    }
  }
  if (!run.tokenClass.empty()) return false;
  if (hasKey(name)) run.tokenClass = name;
  else if (mFunctions.count(name)) run.tokenClass = u"C_Function";
  else if (mStructs.count(name)) run.tokenClass = u"C_Struct";
  else if (mDefines.count(name)) run.tokenClass = u"C_Define";
  if (!run.tokenClass.empty()) return false;
  const ScriptToken ahead = lexer.nextC();
  if (isSymbolStarting(ahead, u'(')) {
    run.tokenClass = u"C_Function";
    mFunctions.insert(name);
  } else {
    run.tokenClass = u"C_Var";
    mVars.insert(name);
  }
  return true;
}

// A name on a line above the view: declarations are learnt without look-ahead; the enum's
// own name is not recorded and variables are not.
void VantrelCRender::trackHiddenName(const ScriptLexer& lexer, const ScriptToken& t) {
  const ScriptToken& previous = lexer.prev1;
  if (mInEnum) mDefines.insert(tokenText(t));
  if (previous.kind != TOKEN_NAME) return;
  if (declaresStruct(previous)) mStructs.insert(tokenText(t));
  else if (isNameToken(previous, u"define")) mDefines.insert(tokenText(t));
  else if (isNameToken(previous, u"enum")) mInEnum = true;
}

// Every symbol, visible or not: "int f(", "char *f(", "return f(" make f a function; a
// symbol beginning with '}' ends an enum.
void VantrelCRender::trackSymbol(const ScriptLexer& lexer, const ScriptToken& t) {
  const ScriptToken& previous = lexer.prev1;
  const ScriptToken& before = lexer.prev2;
  if (isSymbolStarting(t, u'(') && previous.kind == TOKEN_NAME &&
      (before.kind == TOKEN_NAME || isSymbolStarting(before, u'*'))) {
    mFunctions.insert(tokenText(previous));
  } else if (isSymbolStarting(t, u'}')) {
    mInEnum = false;
  }
}
