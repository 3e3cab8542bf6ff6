// The renderer of C script text. Besides colouring it learns, over the whole text up to the
// stop (lines above the view included), which names are functions, struct/union/typedef/
// enum names, #define names and enum members, and variables.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "controls/VantrelScriptRender.h"

class ScriptLexer;

class VantrelCRender : public VantrelScriptRender {
 public:
  std::set<std::u16string> mFunctions;  // names seen as function names
  std::set<std::u16string> mStructs;    // struct, union, typedef and enum names
  std::set<std::u16string> mDefines;    // #define names and enum members
  std::set<std::u16string> mVars;       // other names

  void render(const std::u16string& text) override;
  // out <- the names of mFunctions, then mStructs, mDefines, mVars, each in set order (a
  // name in two sets is listed twice).
  void getSymbols(std::vector<std::u16string>& out) const;

 protected:
  void saveRules(ScriptResume& resume) const override;
  void loadRules(const ScriptResume& resume) override;

 private:
  bool mInEnum = false;  // between "enum Name" and the next symbol beginning with '}'

  bool visit(ScriptLexer& lexer, const ScriptToken& t, TokenRun* run);
  bool classifyName(ScriptLexer& lexer, const ScriptToken& t, TokenRun& run);
  void trackHiddenName(const ScriptLexer& lexer, const ScriptToken& t);
  void trackSymbol(const ScriptLexer& lexer, const ScriptToken& t);
};
