// Token classes of the C, Python and exprtk lexers, literals and comments left open across
// lines, and bounded reading at every possible end of a text.
#include <gtest/gtest.h>

#include "controls/ScriptChars.h"
#include "tests/controls/LexerHarness.h"

namespace {

struct LexCase {
  std::u16string text;
  std::string tokens;
};

void expectTokens(Lang lang, const std::vector<LexCase>& cases) {
  for (const LexCase& c : cases) EXPECT_EQ(lexDescribe(lang, c.text), c.tokens) << wideToUtf8(c.text);
}

TEST(ScriptLexer, CTokenClasses) {
  expectTokens(
      Lang::C,
      {
          {u"int main(void) { return 0; }",
           "name:int | name:main | sym:( | name:void | sym:) | sym:{ | name:return | num:0 | sym:; | sym:}"},
          {u"a==b();c->d", "name:a | sym:== | name:b | sym:(); | name:c | sym:-> | name:d"},
          {u"a/b", "name:a | sym:/ | name:b"},
          {u"a /= b", "name:a | sym:/= | name:b"},
          {u"x=/y", "name:x | sym:= | sym:/ | name:y"},  // '/' is no C symbol character: it ends a run
          {u"#include <stdio.h>", "sym:# | name:include | sym:< | name:stdio | sym:. | name:h | sym:>"},
          {u"_a1 B_2", "name:_a1 | name:B_2"},
          {u"\b\t\v\f\r a", "name:a"},
          // literals with escapes
          {uR"("a\"b" x)", R"(str:"a\"b" | name:x)"},
          {uR"('\'' 'x')", R"(chr:'\'' | chr:'x')"},
          {uR"("\\" y)", R"(str:"\\" | name:y)"},
          // comments
          {u"x/* a */y", "name:x | com:/* a */ | name:y"},
          {u"x/*/y*/z", "name:x | com:/*/y*/ | name:z"},
          {u"x // c\ny", "name:x | com:// c | nl:x // c | name:y"},
          // numbers
          {u"0xBEEF 0xbeef 0x 0X1f", "num:0xBEEF | num:0xbeef | num:0x | num:0X1f"},
          {u"12 1.5 1. 1e5 1e 1e+ 1E-3", "num:12 | num:1.5 | num:1. | num:1e5 | num:1e | num:1e+ | num:1E-3"},
          {u"1.2.3", "num:1.2 | sym:. | num:3"},
          {u"1.5f .5", "num:1.5 | name:f | sym:. | num:5"},
          {u"0x1g 1.5e3x", "num:0x1 | name:g | num:1.5e3 | name:x"},
          // other-runs: blanks do not end them
          {u"变量 = @x", "oth:变量  | sym:= | oth:@ | name:x"},
          {u"a$ $b", "name:a | oth:$ $ | name:b"},
          {u"a\\b ~c `d", "name:a | oth:\\ | name:b | oth:~ | name:c | oth:` | name:d"},
          {u"@\"s\"@'c'@/x", "oth:@ | str:\"s\" | oth:@ | chr:'c' | oth:@ | sym:/ | name:x"},
      });
}

TEST(ScriptLexer, PythonTokenClasses) {
  expectTokens(Lang::Python,
               {
                   {u"def f(x):\n    return x # c",
                    "name:def | name:f | sym:( | name:x | sym:): | nl:def f(x): | name:return | name:x | com:# c"},
                   {u"a//b a/=b", "name:a | sym:// | name:b | name:a | sym:/= | name:b"},
                   {u"a#b", "name:a | com:#b"},
                   {u"'''doc''' x", "com:'''doc''' | name:x"},
                   {u"\"\"x", "str:\"\" | name:x"},
                   {uR"('it\'s' "q\"")", R"(chr:'it\'s' | str:"q\"")"},
                   {u"变量 # 注释", "oth:变量  | com:# 注释"},
                   {u"@dec$#x", "oth:@ | name:dec | oth:$ | com:#x"},
                   {u"0x1F 2.5e-1", "num:0x1F | num:2.5e-1"},
               });
}

TEST(ScriptLexer, ExprtkTokenClasses) {
  expectTokens(Lang::Exprtk, {
                                 {u"A1:B3", "name:A1 | sym:: | name:B3"},
                                 {u"x.y := sum(A1:B3);",
                                  "name:x.y | sym::= | name:sum | sym:( | name:A1 | sym:: | name:B3 | sym:);"},
                                 {u"# note\nx", "com:# note | nl:# note | name:x"},
                                 {u"a#b", "name:a | com:#b"},
                                 // a double quote starts no literal and does not end an other-run
                                 {u"\"ab\" + 1", "oth:\" | name:ab | oth:\"  | sym:+ | num:1"},
                                 {u"'it''s'", "chr:'it' | chr:'s'"},
                                 {u"/* c */ a // d", "com:/* c */ | name:a | com:// d"},
                                 {u"a/b 1.5e+2", "name:a | sym:/ | name:b | num:1.5e+2"},
                                 {u"@'x'", "oth:@ | chr:'x'"},
                             });
}

struct PlacedCase {
  std::string tokens;
  int32_t line;
  size_t lineStart;  // index of the token's line start in the text
};

void expectPlaced(Lang lang, const std::u16string& text, const std::vector<PlacedCase>& expected) {
  ExactText exact(text);
  const std::vector<ScriptToken> tokens = lexAll(lang, exact.data.get(), exact.size);
  ASSERT_EQ(tokens.size(), expected.size()) << describe(tokens);
  for (size_t i = 0; i < tokens.size(); ++i) {
    EXPECT_EQ(describe({tokens[i]}), expected[i].tokens) << "token " << i;
    EXPECT_EQ(tokens[i].line, expected[i].line) << "token " << i;
    EXPECT_EQ(tokens[i].lineStart - exact.data.get(), static_cast<ptrdiff_t>(expected[i].lineStart))
        << "token " << i;
  }
}

// A literal left open at a line feed continues on the next line as a second token of the
// same kind, with no line-break token between them.
TEST(ScriptLexer, OpenLiteralsContinueOnTheNextLine) {
  expectPlaced(Lang::C, u"s = \"ab\ncd\" + x",
               {{"name:s", 1, 0},
                {"sym:=", 1, 0},
                {"str:\"ab", 1, 0},
                {"str:cd\"", 2, 8},
                {"sym:+", 2, 8},
                {"name:x", 2, 8}});
  expectPlaced(Lang::C, u"'a\\\nb' c", {{"chr:'a\\", 1, 0}, {"chr:b'", 2, 4}, {"name:c", 2, 4}});
  expectPlaced(Lang::C, u"/* a\n\n b */x\n",
               {{"com:/* a", 1, 0}, {"com:", 2, 5}, {"com: b */", 3, 6}, {"name:x", 3, 6}, {"nl: b */x", 3, 6}});
  expectPlaced(Lang::Python, u"\"\"\"a\nb\nc\"\"\" x",
               {{"com:\"\"\"a", 1, 0}, {"com:b", 2, 5}, {"com:c\"\"\"", 3, 7}, {"name:x", 3, 7}});
  expectPlaced(Lang::Python, u"'''a\n'' ''' b", {{"com:'''a", 1, 0}, {"com:'' '''", 2, 5}, {"name:b", 2, 5}});
  expectPlaced(Lang::Exprtk, u"'a\nb' /* c\nd */ e",
               {{"chr:'a", 1, 0}, {"chr:b'", 2, 3}, {"com:/* c", 2, 3}, {"com:d */", 3, 11}, {"name:e", 3, 11}});
}

// Texts that stop inside a construct: the construct closes at the end of the text and
// nothing after it is read, also when the text stops right after a backslash.
TEST(ScriptLexer, TextsEndingInsideAConstruct) {
  const struct {
    Lang lang;
    std::u16string text;
    std::string tokens;
  } cases[] = {
      {Lang::C, u"x = \"ab\\", "name:x | sym:= | str:\"ab\\"},
      {Lang::C, u"'\\", "chr:'\\"},
      {Lang::C, u"\"\\\n\\", "str:\"\\ | str:\\"},
      {Lang::C, u"/* ab *", "com:/* ab *"},
      {Lang::C, u"a /", "name:a | sym:/"},
      {Lang::C, u"0x", "num:0x"},
      {Lang::Python, u"'ab\\", "chr:'ab\\"},
      {Lang::Python, u"'''ab''", "com:'''ab''"},
      {Lang::Python, u"\"\"", "str:\"\""},
      {Lang::Exprtk, u"'ab\\", "chr:'ab\\"},
      {Lang::Exprtk, u"/* *", "com:/* *"},
  };
  for (const auto& c : cases) {
    ExactText exact(c.text);
    EXPECT_EQ(describe(lexAll(c.lang, exact.data.get(), exact.size)), c.tokens) << wideToUtf8(c.text);
    ScriptLexer script(exact.data.get(), exact.size);
    ExprtkLexer exprtk(exact.data.get(), exact.size);
    auto next = [&] {
      return c.lang == Lang::C ? script.nextC() : c.lang == Lang::Python ? script.nextPython() : exprtk.next();
    };
    for (int i = 0; i < 100 && next().kind != TOKEN_END; ++i) {
    }
    const ScriptLexerCore& core = c.lang == Lang::Exprtk ? static_cast<const ScriptLexerCore&>(exprtk) : script;
    EXPECT_EQ(core.pos, core.textEnd) << wideToUtf8(c.text);
    EXPECT_EQ(core.openState, 0) << wideToUtf8(c.text);
  }
}

// The text ends at its first NUL: a backslash before it does not carry the lexer past it.
TEST(ScriptLexer, StopsAtTheFirstNul) {
  std::u16string text = u"\"a\\";
  text += u'\0';
  text += u"\"; x = 1";
  for (Lang lang : {Lang::C, Lang::Python}) EXPECT_EQ(lexDescribe(lang, text), "str:\"a\\");
  text[0] = u'\'';
  EXPECT_EQ(lexDescribe(Lang::Exprtk, text), "chr:'a\\");
}

// Every prefix of every snippet, as an exact-size buffer: the lexer ends, every token lies
// inside the text in order, and each token's line and line start agree with the text.
TEST(ScriptLexer, EveryPrefixStaysInsideTheText) {
  const std::u16string snippets[] = {
      u"int f(char *s) { return s[0] == '\\\\' ? 0x1F : 1.5e-3; } // end\n/* multi\nline */ \"str\\\nnext\" \\",
      u"def f(x):\n    '''doc\n    more''' \"\"\"a\"\"\" # c\n    return x // 2.5e+1 @ 变量 'q\\'\n",
      u"var x := A1 + A1_ * sum(A1:B3); # c\n'lit\\'s' /* c\n */ x.y \"q\" 0Xff 1. 1e",
  };
  for (const std::u16string& snippet : snippets) {
    for (Lang lang : {Lang::C, Lang::Python, Lang::Exprtk}) {
      for (size_t n = 0; n <= snippet.size(); ++n) {
        ExactText exact(snippet.substr(0, n));
        const char16_t* start = exact.data.get();
        const char16_t* end = start + n;
        const std::vector<ScriptToken> tokens = lexAll(lang, start, n, 4 * n + 4);
        ASSERT_LT(tokens.size(), 4 * n + 4) << "no progress at prefix " << n;
        const char16_t* last = start;
        for (const ScriptToken& t : tokens) {
          ASSERT_TRUE(start <= t.lineStart && t.lineStart <= t.begin && t.begin <= t.end && t.end <= end);
          ASSERT_EQ(std::count(start, t.lineStart, u'\n'), t.line - 1);
          ASSERT_TRUE(t.lineStart == start || t.lineStart[-1] == u'\n');
          if (t.kind != TOKEN_NEWLINE) {
            ASSERT_LE(last, t.begin) << "tokens overlap at prefix " << n;
            last = t.end;
          }
        }
      }
    }
  }
}

TEST(ScriptChars, SymbolCharactersPerLanguage) {
  const std::u16string shared = u"!%&()*+,-.:;<=>?[]^{|}";
  for (char16_t c : shared) {
    EXPECT_TRUE(isCSymbolChar(c) && isExprtkSymbolChar(c) && isPySymbolChar(c)) << char(c);
  }
  EXPECT_TRUE(isCSymbolChar(u'#'));
  EXPECT_FALSE(isExprtkSymbolChar(u'#') || isPySymbolChar(u'#'));
  EXPECT_TRUE(isPySymbolChar(u'/'));
  EXPECT_FALSE(isCSymbolChar(u'/') || isExprtkSymbolChar(u'/'));
  for (char16_t c : std::u16string(u"~@$`\\\"' _a0")) {
    EXPECT_FALSE(isCSymbolChar(c) || isExprtkSymbolChar(c) || isPySymbolChar(c)) << char(c);
  }
}

}  // namespace
