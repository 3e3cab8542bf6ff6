#include "controls/VantrelPyRender.h"

#include "controls/ScriptLexer.h"
#include "controls/ScriptRenderFrame.h"

void VantrelPyRender::render(const std::u16string& text) {
  ScriptLexer lexer(text.data(), text.size());
  auto visit = [&](const ScriptToken& t, TokenRun* run) {
    if (!run) return false;
    if (t.kind != TOKEN_NAME) {
      run->tokenClass = commonClass(t);
      return false;
    }
    const std::u16string name = tokenText(t);
    if (isNameToken(lexer.prev1, u"class")) run->tokenClass = u"C_Struct";
    else if (isNameToken(lexer.prev1, u"def")) run->tokenClass = u"C_Function";
    else if (hasKey(name)) run->tokenClass = name;
    if (!run->tokenClass.empty()) return false;
    run->tokenClass = isSymbolStarting(lexer.nextPython(), u'(') ? u"C_Function" : u"C_Var";
    return true;
  };
  renderLines(
      lexer, [&] { return lexer.nextPython(); }, visit);
}
