// Colour tables of script colouring: token-class names ("C_Default", "C_Symbol",
// "C_String", "C_Number", "C_Comment", "C_Function", "C_Struct", "C_Var", "C_Define",
// "C_GridDataVar", "C_GridStrVar") and, in the same map, keywords, symbols and library
// names with a colour of their own. Keys compare code unit by code unit, case-sensitive.
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "platform/WinTypes.h"

using SyntaxColors = std::map<std::u16string, COLORREF>;

// Exchanges the lowest and the third byte of a colour value and clears the highest byte:
// an 0xRRGGBB constant becomes the COLORREF 0x00BBGGRR.
int32_t swapRedBlue(int32_t rgb);

// Each assigns its language's entries one by one (98 for C, 106 for exprtk, 54 for
// Python); an entry already in the table is overwritten, nothing is removed.
void initCSyntaxColors(SyntaxColors& colors);
void initExprtkSyntaxColors(SyntaxColors& colors);
void initPySyntaxColors(SyntaxColors& colors);
