// The records of callbacks through which the three script engines reach documents: one
// vocabulary (read and write cells of this or another open table, save, progress, sheet
// size, selection, insert, open, sort, COUNTIF and the area look-ups), one record per
// engine with its own slot order. The exprtk and C records carry byte text in the ANSI
// code page, the Python record UTF-8. Every slot is empty when the record is built; the
// document binds them. After the slots each record holds the engine's per-run state.
// Header-only: the script side of every document (script/ScriptDocument.h) holds one
// record of each kind.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct ExprtkCache;

using CellGetFn = std::function<double(int32_t row, int32_t col)>;
using CellSetFn = std::function<void(int32_t row, int32_t col, double value)>;
using CellTextGetFn = std::function<std::string(int32_t row, int32_t col)>;
using CellTextSetFn = std::function<void(int32_t row, int32_t col, const std::string& text)>;
using TableGetFn = std::function<double(const std::string& table, int32_t row, int32_t col)>;
using TableSetFn = std::function<void(const std::string& table, int32_t row, int32_t col, double value)>;
using TableTextGetFn = std::function<std::string(const std::string& table, int32_t row, int32_t col)>;
using TableTextSetFn =
    std::function<void(const std::string& table, int32_t row, int32_t col, const std::string& text)>;
using IntFn = std::function<int32_t()>;
using PercentFn = std::function<void(int32_t percent)>;
using PathIntFn = std::function<int32_t(const std::string& path)>;
using TablePathIntFn = std::function<int32_t(const std::string& table, const std::string& path)>;
using PairFn = std::function<void(int32_t a, int32_t b)>;
using TableResizeFn = std::function<void(const std::string& table, int32_t rows, int32_t cols)>;
using VoidFn = std::function<void()>;
using WidePathFn = std::function<void(const std::u16string& path)>;
using CountIfFn = std::function<double(const std::string& range, const std::string& criterion)>;
using AreaFn = std::function<std::string(const std::string& number)>;
using PostAreaFn = std::function<std::string(int32_t code)>;

// The exprtk record: 25 slots (0..24 in declaration order), then the run's state.
struct ExprtkHost {
  CellGetFn getCell;                // 0
  CellSetFn setCell;                // 1
  CellTextGetFn getCellText;        // 2
  CellTextSetFn setCellText;        // 3
  TableGetFn getTableCell;          // 4
  TableSetFn setTableCell;          // 5
  TableTextGetFn getTableCellText;  // 6
  TableTextSetFn setTableCellText;  // 7
  IntFn saveDocument;               // 8
  PercentFn showProgress;           // 9
  PathIntFn saveDocumentAs;         // 10
  IntFn rowCount;                   // 11
  IntFn colCount;                   // 12
  PairFn resizeSheet;               // 13
  VoidFn commitVariables;           // 14: installed by the runner before each run
  IntFn selectedRow;                // 15
  IntFn selectedCol;                // 16
  PairFn insertCols;                // 17
  PairFn insertRows;                // 18
  WidePathFn openFile;              // 19
  PairFn sortSelection;             // 20
  CountIfFn countIf;                // 21
  AreaFn phoneArea;                 // 22
  AreaFn idCardArea;                // 23
  PostAreaFn postCodeArea;          // 24

  ExprtkHost() = default;
  ExprtkHost(const ExprtkHost&) = delete;
  ExprtkHost& operator=(const ExprtkHost&) = delete;

  // Empties the errors and the three maps and sets mResult to 0; the slots (the commit
  // slot too), mRow and mCol stay.
  void reset() {
    mErrors.clear();
    mNumberVars.clear();
    mTextVars.clear();
    mRangeVars.clear();
    mResult = 0;
    mEnded = false;
  }

  std::string mErrors;  // "Error(%d): %s\n" lines of the last run
  // The cell variables of one run. exprtk binds to the values in place, so a value's
  // address stays fixed while the run lasts (node-based maps).
  std::unordered_map<std::string, double> mNumberVars;
  std::unordered_map<std::string, std::string> mTextVars;
  std::unordered_map<std::string, std::vector<double>> mRangeVars;  // row by row
  double mResult = 0;                                               // value of the last script that compiled
  int32_t mRow = 0;  // the running cell; 0, 0 for document and file scripts
  int32_t mCol = 0;
  // Set by open_file: the run is over, later calls reach no document, nothing is written
  // back. Cleared by reset.
  bool mEnded = false;

  // Compiled scripts kept between runs of this document (script/ExprtkCache.h); off
  // turns every run into a fresh compile. Shared only so that this header stays free of
  // the cache's definition; one host owns it.
  bool mCacheEnabled = true;
  std::shared_ptr<ExprtkCache> mCache;
};

// The C record: 20 slots, then the C functions' state, which lasts as long as the
// document.
struct TccHost {
  CellGetFn getCell;                // 0
  CellSetFn setCell;                // 1
  CellTextGetFn getCellText;        // 2
  CellTextSetFn setCellText;        // 3
  TableGetFn getTableCell;          // 4
  TableSetFn setTableCell;          // 5
  TableTextGetFn getTableCellText;  // 6
  TableTextSetFn setTableCellText;  // 7
  IntFn saveDocument;               // 8
  PercentFn showProgress;           // 9
  PathIntFn saveDocumentAs;         // 10
  IntFn rowCount;                   // 11
  IntFn colCount;                   // 12
  PairFn resizeSheet;               // 13
  IntFn selectedRow;                // 14
  IntFn selectedCol;                // 15
  PairFn insertCols;                // 16
  PairFn insertRows;                // 17
  WidePathFn openFile;              // 18
  PairFn sortSelection;             // 19

  TccHost() = default;
  ~TccHost() { std::free(mLastText); }
  TccHost(const TccHost&) = delete;
  TccHost& operator=(const TccHost&) = delete;

  std::string mErrors;
  char* mLastText = nullptr;  // malloc'd; the last text handed out by get_ / get1_
  int32_t mRow = 0;
  int32_t mCol = 0;
  std::string mBuilder;
  std::string mDayText;
  std::string mDayTimeText;
  std::string mFileName;
  std::map<std::string, int32_t> mIntMap;
  std::map<std::string, int32_t>::iterator mIntIter = mIntMap.end();  // into mIntMap, or its end
  std::map<std::string, double> mDoubleMap;
  std::map<std::string, double>::iterator mDoubleIter = mDoubleMap.end();
};

// The Python record: 26 slots, UTF-8 text throughout, then the run's state.
struct PythonHost {
  CellGetFn getCell;                // 0
  CellSetFn setCell;                // 1
  CellTextGetFn getCellText;        // 2
  CellTextSetFn setCellText;        // 3
  TableGetFn getTableCell;          // 4
  TableSetFn setTableCell;          // 5
  TableTextGetFn getTableCellText;  // 6
  TableTextSetFn setTableCellText;  // 7
  IntFn saveDocument;               // 8
  PercentFn showProgress;           // 9
  PathIntFn saveDocumentAs;         // 10
  TablePathIntFn saveTableAs;       // 11
  IntFn rowCount;                   // 12
  IntFn colCount;                   // 13
  PairFn resizeSheet;               // 14
  TableResizeFn resizeTable;        // 15
  IntFn selectedRow;                // 16
  IntFn selectedCol;                // 17
  PairFn insertCols;                // 18
  PairFn insertRows;                // 19
  WidePathFn openFile;              // 20
  PairFn sortSelection;             // 21
  PathIntFn createFile;             // 22
  AreaFn phoneArea;                 // 23
  AreaFn idCardArea;                // 24
  PostAreaFn postCodeArea;          // 25

  std::string mErrors;  // UTF-8
  int32_t mRow = 0;
  int32_t mCol = 0;
  // Set by open_file: the run is over and later calls reach no document. The runner
  // clears it before each script.
  bool mEnded = false;
};
