#include "controls/SyntaxColors.h"

#include <initializer_list>

namespace {

constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kGreen = 0x008000;
constexpr COLORREF kDarkBlue = 0x800000;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kPurple = 0x8A006F;
constexpr COLORREF kDarkRed = 0x1515A3;
constexpr COLORREF kLightBlue = 0xCC5511;
constexpr COLORREF kBrown = 0x0045B3;

void assign(SyntaxColors& colors, COLORREF colour, std::initializer_list<const char16_t*> keys) {
  for (const char16_t* key : keys) colors[key] = colour;
}

// The class rows every language starts with.
void assignCommonClasses(SyntaxColors& colors) {
  colors[u"C_Default"] = kBlack;
  colors[u"C_Symbol"] = kBlack;
  colors[u"C_String"] = kPurple;
  colors[u"C_Number"] = kBlack;
  colors[u"C_Comment"] = kGreen;
}

}  // namespace

int32_t swapRedBlue(int32_t rgb) {
  const uint32_t v = static_cast<uint32_t>(rgb);
  return static_cast<int32_t>(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
}

void initCSyntaxColors(SyntaxColors& colors) {
  assignCommonClasses(colors);
  colors[u"C_Function"] = kDarkRed;
  colors[u"C_Struct"] = kBlue;
  colors[u"C_Var"] = kDarkBlue;
  colors[u"C_Define"] = kPurple;
  assign(colors, kBlue,
         {u"#",       u"this",     u"ifndef",  u"ifdef",   u"define",      u"endif",   u"pragma",   u"comment",
          u"warning", u"lib",      u"disable", u"wchar_t", u"include",     u"asm",     u"auto",     u"int",
          u"double",  u"long",     u"char",    u"float",   u"short",       u"signed",  u"unsigned", u"struct",
          u"union",   u"enum",     u"static",  u"switch",  u"case",        u"default", u"break",    u"register",
          u"const",   u"volatile", u"typedef", u"extern",  u"return",      u"void",    u"continue", u"do",
          u"while",   u"if",       u"else",    u"for",     u"goto",        u"sizeof",  u"main",     u"NULL",
          u"WinMain", u"memcpy",   u"malloc",  u"realloc", u"free",        u"wcscmp",  u"wcsicmp",  u"wcslen",
          u"memset",  u"strcpy",   u"strcat",  u"strlen",  u"strstr",      u"strchr",  u"wcsstr",   u"wcschr",
          u"wcstok",  u"strtok",   u"strdup",  u"wcsdup",  u"GetTickCount"});
  assign(colors, kDarkRed,
         {u"Sleep",
          u"L",
          u"S",
          u"strtod",
          u"atoi",
          u"itoa",
          u"MessageBox",
          u"printf",
          u"sprintf",
          u"get",
          u"set",
          u"get_",
          u"set_",
          u"save",
          u"set_progress",
          u"save_as",
          u"get_row_count",
          u"get_col_count",
          u"resize",
          u"get_tick_count"});
}

void initExprtkSyntaxColors(SyntaxColors& colors) {
  assignCommonClasses(colors);
  colors[u"C_GridDataVar"] = kLightBlue;
  colors[u"C_GridStrVar"] = kBrown;
  colors[u"C_Var"] = kDarkBlue;
  assign(colors, kBlue,
         {u"var",    u"null",  u"true", u"false", u"and",      u"mand",   u"mor",  u"nand",   u"nor",    u"not",
          u"or",     u"xor",   u"xnor", u"in",    u"like",     u"ilike",  u"if",   u"else",   u"switch", u"while",
          u"repeat", u"until", u"for",  u"break", u"continue", u"return", u"case", u"default"});
  assign(
      colors, kDarkRed,
      {u"abs",      u"avg",      u"ceil",    u"clamp",    u"equal",       u"erf",      u"erfc",      u"exp",
       u"expm1",    u"floor",    u"frac",    u"hypot",    u"iclamp",      u"inrange",  u"log",       u"log10",
       u"log1p",    u"log2",     u"logn",    u"max",      u"min",         u"mul",      u"ncdf",      u"nequal",
       u"pow",      u"root",     u"round",   u"roundn",   u"sgn",         u"sqrt",     u"sum",       u"swap",
       u"trunc",    u"acos",     u"acosh",   u"asin",     u"asinh",       u"atan",     u"atan2",     u"atanh",
       u"cos",      u"cosh",     u"cot",     u"csc",      u"sec",         u"sin",      u"sinc",      u"sinh",
       u"tan",      u"tanh",     u"deg2rad", u"deg2grad", u"rad2deg",     u"grad2deg", u"to_string", u"to_number",
       u"to_upper", u"to_lower", u"get_",    u"set_",     u"set_progress"});
  // The program's own sheet functions, written as an RGB constant.
  assign(colors, static_cast<COLORREF>(swapRedBlue(0xA31515)),
         {u"get", u"set", u"save", u"get_tick_count", u"sleep", u"save_as", u"get_row_count", u"get_col_count",
          u"resize"});
}

void initPySyntaxColors(SyntaxColors& colors) {
  assignCommonClasses(colors);
  colors[u"C_Function"] = kDarkRed;
  colors[u"C_Struct"] = kBlue;
  colors[u"C_Var"] = kDarkBlue;
  assign(colors, kBlue,
         {u"False", u"None",   u"True", u"and",   u"as",     u"assert",   u"break", u"class", u"continue",
          u"def",   u"del",    u"elif", u"else",  u"except", u"finally",  u"for",   u"from",  u"global",
          u"if",    u"import", u"in",   u"is",    u"lambda", u"nonlocal", u"not",   u"or",    u"pass",
          u"raise", u"return", u"try",  u"while", u"with",   u"yield",    u"Morvel"});
  assign(colors, kDarkRed,
         {u"get_", u"set_", u"set_progress", u"get", u"set", u"save", u"get_tick_count", u"sleep", u"save_as",
          u"get_row_count", u"get_col_count", u"resize"});
}
