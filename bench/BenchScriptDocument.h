// A script document without a window for the script benchmarks: its own sheet of `rows`
// rows and 3 columns, selection and command manager; what a window would do (save,
// progress, open, scroll, repaint) does nothing. Its host records stay unbound until the
// benchmark binds them (formulas call none).
#pragma once
#include <cstdint>
#include <string>

#include "commands/ComManag.h"
#include "commands/GridOps.h"
#include "script/ScriptDocument.h"
#include "store/DataCore.h"

namespace bench {

struct ScriptSheet : ScriptDocument {
  explicit ScriptSheet(int32_t rows) {
    core.resize(rows + 1, 3);
    ops.mCore = &core;
    ops.mSelection = &selection;
    ops.mComManag = &manager;
  }
  CGridOps& scriptOps() override { return ops; }
  int32_t save() override { return 0; }
  int32_t saveAs(const std::u16string&) override { return 0; }
  void progress(int32_t) override {}
  void open(const std::u16string&) override {}
  void insert(int32_t) override {}
  void sortAscending() override {}
  void sortDescending() override {}
  void scrollToCell(int32_t, int32_t) override {}
  void repaint() override {}

  CDataCore core;
  iComManag manager;
  Selection selection{1, 1, Range{1, 1, 1, 1}};
  CGridOps ops;
};

}  // namespace bench
