#include "controls/VantrelExprtkRender.h"

#include "controls/ExprtkLexer.h"
#include "controls/ScriptChars.h"
#include "controls/ScriptRenderFrame.h"

namespace {

// Length of the leading letters of `name` and of the digits right after them.
void splitLettersDigits(std::u16string_view name, size_t& letters, size_t& digits) {
  letters = 0;
  while (letters < name.size() && isScriptLetter(name[letters])) ++letters;
  digits = 0;
  while (letters + digits < name.size() && isScriptDigit(name[letters + digits])) ++digits;
}

}  // namespace

bool isGridDataName(std::u16string_view name) {
  size_t letters, digits;
  splitLettersDigits(name, letters, digits);
  return letters > 0 && digits > 0 && letters + digits == name.size();
}

bool isGridStrName(std::u16string_view name) {
  size_t letters, digits;
  splitLettersDigits(name, letters, digits);
  return letters > 0 && digits > 0 && letters + digits < name.size() && name[letters + digits] == u'_' &&
         name.back() == u'_';
}

void VantrelExprtkRender::render(const std::u16string& text) {
  ExprtkLexer lexer(text.data(), text.size());
  auto visit = [&](const ScriptToken& t, TokenRun* run) {
    if (!run) return false;
    if (t.kind != TOKEN_NAME) {
      run->tokenClass = commonClass(t);
      return false;
    }
    const std::u16string name = tokenText(t);
    if (hasKey(name)) run->tokenClass = name;
    else if (isGridDataName(name)) run->tokenClass = u"C_GridDataVar";
    else if (isGridStrName(name)) run->tokenClass = u"C_GridStrVar";
    if (!run->tokenClass.empty()) return false;
    // No "C_Function" row in the exprtk table: calls are drawn in the fallback colour.
    run->tokenClass = isSymbolStarting(lexer.next(), u'(') ? u"C_Function" : u"C_Var";
    return true;
  };
  renderLines(
      lexer, [&] { return lexer.next(); }, visit);
}
