// Compiled exprtk scripts kept between runs of one document. A script is reused for
// another cell when its text differs only by references shifted by the same distance
// from the running cell, bound the same way (kind, bound or not, range size), under the
// same sheet bounds: `=A2*2` in B2 reuses `=A1*2` of B1. The entry owns the variables
// the compiled script refers to; each run fills them from its own cells.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "script/ExprtkRun.h"

// Where the value of one reference of a run lives (at most one is set; none for an
// unbound reference).
struct RefStorage {
  double* number = nullptr;
  std::string* text = nullptr;
  std::vector<double>* range = nullptr;
};

struct ExprtkCacheEntry {
  // The variables first: the compiled script refers to them and is destroyed before.
  std::unordered_map<std::string, double> numberVars;
  std::unordered_map<std::string, std::string> textVars;
  std::unordered_map<std::string, std::vector<double>> rangeVars;
  std::vector<RefStorage> storage;  // by reference index
  CompiledExprtkPtr compiled;
};

struct ExprtkCache {
  // Bounds the memory a sheet of many different scripts keeps.
  static constexpr size_t kMaxEntries = 512;
  std::unordered_map<std::string, ExprtkCacheEntry> entries;
};
