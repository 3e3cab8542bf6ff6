// The program's functions offered to C scripts, by name, in the order they are added to
// every compiled script. They reach the document through gTccHost (script/TccRun.h).
#pragma once
#include <cstddef>

struct TccSymbol {
  const char* name;
  const void* address;
};

// The 44 symbols.
const TccSymbol* tccSymbols(size_t& count);
