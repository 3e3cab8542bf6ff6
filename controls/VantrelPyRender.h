// The renderer of Python script text: class and def names, table names, calls, variables;
// triple-quoted strings are coloured as comments.
#pragma once
#include <string>

#include "controls/VantrelScriptRender.h"

class VantrelPyRender : public VantrelScriptRender {
 public:
  void render(const std::u16string& text) override;
};
