// The renderer of exprtk script text: table names, cell names (A1 "C_GridDataVar", A1_
// "C_GridStrVar"), function calls and variables.
#pragma once
#include <string>

#include "controls/VantrelScriptRender.h"

class VantrelExprtkRender : public VantrelScriptRender {
 public:
  void render(const std::u16string& text) override;
};

// One or more letters followed by one or more digits and nothing else ("A1", "ab12").
bool isGridDataName(std::u16string_view name);
// One or more letters, one or more digits, then '_', and a last character '_' ("A1_");
// only the character after the digits and the last one are looked at ("A1_x_" is one too).
bool isGridStrName(std::u16string_view name);
