// The C and Python engines: a script writing 1,000,000 cells through set() (the C one
// with its compile), the time of one Python cell run, and the resident memory after
// 10,000 of them. Prints seconds and MiB.
#include <cstdio>
#include <string>

#include "bench/BenchClock.h"
#include "bench/BenchScriptDocument.h"
#include "script/PythonRun.h"
#include "script/ScriptRuns.h"
#include "script/TccRun.h"
#include "store/DataCore.h"

namespace {

struct Document : bench::ScriptSheet {
  explicit Document(int32_t rows) : ScriptSheet(rows) { bindScriptHosts(*this); }
};

constexpr int32_t kRows = 1000000;

void report(const char* label, double s, const Document& doc, double limit) {
  const bool right = doc.core.getDouble(kRows, 1) == 2.0 * kRows && doc.core.getDouble(1, 1) == 2.0;
  std::printf("%-34s %8.3f s  (goal under %.1f s)  %s\n", label, s, limit, right ? "values right" : "VALUES WRONG");
}

}  // namespace

int main() {
  installTccEngine();
  installPythonEngine();
  {
    Document doc(kRows);
    auto start = std::chrono::steady_clock::now();
    runTccScript(doc,
                 u"void set(int, int, double);\n"
                 u"int main(void) { int r; for (r = 1; r <= 1000000; ++r) set(r, 1, r * 2.0); return 0; }\n");
    report("C set() x 1,000,000 with compile", bench::seconds(start), doc, 0.5);
  }
  {
    Document doc(kRows);
    auto start = std::chrono::steady_clock::now();
    runPythonScript(doc, u"s = Morvel.set\nfor r in range(1, 1000001):\n    s(r, 1, r * 2.0)\n");
    report("Python Morvel.set x 1,000,000", bench::seconds(start), doc, 5.0);
  }
  {
    Document doc(4);
    doc.core.setText(1, 1, u"Morvel.set(1, 2, Morvel.get(1, 2) + 1)");
    doc.core.cellAt(1, 1)->kind = CELL_PYTHON;
    runPythonCell(doc, 1, 1);  // the interpreter is up already; one warm run
    const double before = bench::rssMb();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 10000; ++i) runPythonCell(doc, 1, 1);
    const double s = bench::seconds(start);
    std::printf("%-34s %8.1f us per run  %s\n", "Python cell run", s / 10000 * 1e6,
                doc.core.getDouble(1, 2) == 10001 ? "values right" : "VALUES WRONG");
    std::printf("%-34s %8.1f MiB resident (%.1f MiB before)\n", "after 10,000 Python cell runs", bench::rssMb(),
                before);
  }
  return 0;
}
