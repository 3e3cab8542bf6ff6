// The three colour tables: spot values, exact keys and refilling (that the renderers paint
// every word of them in its colour: ScriptRenderTest).
#include <gtest/gtest.h>

#include <map>

#include "controls/SyntaxColors.h"

namespace {

TEST(SyntaxColors, SpotValues) {
  SyntaxColors cTable, exprtk, py;
  initCSyntaxColors(cTable);
  initExprtkSyntaxColors(exprtk);
  initPySyntaxColors(py);
  const struct {
    const SyntaxColors& table;
    const char16_t* key;
    COLORREF colour;
  } cases[] = {
      {cTable, u"#", 0xFF0000},
      {cTable, u"GetTickCount", 0xFF0000},
      {cTable, u"wchar_t", 0xFF0000},
      {cTable, u"printf", 0x1515A3},
      {cTable, u"L", 0x1515A3},
      {cTable, u"C_Define", 0x8A006F},
      {cTable, u"C_String", 0x8A006F},
      {cTable, u"C_Comment", 0x008000},
      {cTable, u"C_Var", 0x800000},
      {exprtk, u"C_GridDataVar", 0xCC5511},
      {exprtk, u"C_GridStrVar", 0x0045B3},
      {exprtk, u"ilike", 0xFF0000},
      {exprtk, u"resize", 0x1515A3},
      {exprtk, u"to_lower", 0x1515A3},
      {exprtk, u"sleep", 0x1515A3},
      {py, u"Morvel", 0xFF0000},
      {py, u"nonlocal", 0xFF0000},
      {py, u"C_Function", 0x1515A3},
      {py, u"C_Struct", 0xFF0000},
      {py, u"get_col_count", 0x1515A3},
  };
  for (const auto& c : cases) {
    const auto found = c.table.find(c.key);
    ASSERT_NE(found, c.table.end());
    EXPECT_EQ(found->second, c.colour);
  }
  for (const char16_t* key : {u"C_Function", u"C_Struct", u"C_Define", u"#"}) EXPECT_EQ(exprtk.count(key), 0u);
  for (const char16_t* key : {u"C_GridDataVar", u"C_Define", u"#", u"print"}) EXPECT_EQ(py.count(key), 0u);
  // Keys are exact.
  for (const SyntaxColors* table : {&cTable, &exprtk, &py}) {
    EXPECT_EQ(table->count(u"get"), 1u);
    EXPECT_EQ(table->count(u"get_"), 1u);
    EXPECT_EQ(table->count(u"Get"), 0u);
    EXPECT_EQ(table->count(u"GET"), 0u);
  }
}

TEST(SyntaxColors, RefillOverwritesAndRemovesNothing) {
  SyntaxColors colors;
  initExprtkSyntaxColors(colors);
  const SyntaxColors once = colors;
  colors[u"C_Function"] = 0;  // as a renderer adds a missing class
  colors[u"sum"] = 0x123456;  // a changed entry
  initExprtkSyntaxColors(colors);
  EXPECT_EQ(colors.size(), once.size() + 1);
  EXPECT_EQ(colors.at(u"C_Function"), 0u);
  EXPECT_EQ(colors.at(u"sum"), 0x1515A3u);
  colors.erase(u"C_Function");
  EXPECT_EQ(colors, once);
}

TEST(SyntaxColors, SwapRedBlue) {
  EXPECT_EQ(swapRedBlue(0xA31515), 0x1515A3);
  EXPECT_EQ(swapRedBlue(0x12345678), 0x00785634);  // highest byte cleared
  EXPECT_EQ(swapRedBlue(-1), 0x00FFFFFF);
  EXPECT_EQ(swapRedBlue(0x0000FF), 0xFF0000);
}

}  // namespace
