// The cell variables of one exprtk run: the references the scanner found, where each
// bound one's value lives, and its value before the run. The write-back (the body of the
// host's commit slot) writes a variable into its cell only when the script changed it,
// and never over a formula or script cell.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "script/CellRefScanner.h"
#include "script/ExprtkCache.h"

class CDataCore;

struct BoundRef {
  ScriptCellRef ref;
  RefStorage at;        // all null for an unbound reference
  uint64_t numberBits;  // the number before the run (REF_NUMBER)
  std::string text;     // the text before the run (REF_TEXT)
};

struct ExprtkBinding {
  std::vector<BoundRef> refs;
  // The range values before the run, by the vector the script sees.
  std::unordered_map<const std::vector<double>*, std::vector<double>> rangesBefore;

  // Reads the references' cells into the host's maps (numbers, texts, COUNTIF range
  // names, ranges once per name) and points each reference at its value.
  void bindIntoHost(ExprtkHost& host, const CDataCore& sheet);
  // Reads the references' cells into the storage of a cached script (same references,
  // in the same order).
  void bindIntoStorage(const std::vector<RefStorage>& storage, const CDataCore& sheet);
  // Writes back what the script changed; true when any cell changed.
  bool writeBack(CDataCore& sheet) const;
  // The storage of each reference, in order (for a cache entry).
  std::vector<RefStorage> storage() const;

 private:
  void snapshot();
};

// The variables of a reference that count for binding: row and column at least 1.
inline bool refBindable(const ScriptCellRef& ref) { return ref.row >= 1 && ref.col >= 1; }
