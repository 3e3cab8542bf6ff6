// The parallel road of the text importers, for every delimited input (UTF-8,
// ANSI, UTF-16 in either byte order): whole-file reads, pages of huge files and
// appends. Several threads cut and type the records, with the exact result of
// the sequential road (cells, keys, pool entries and counts, mPoolBytes).
//
//   1. Record starts. For a whole file the data is split at nominal offsets,
//      each moved to just after the next LF (a guess: it may lie inside a
//      quoted field). Each thread counts the records that start in its span;
//      the guesses hold when every span's last record ends exactly where the
//      next span starts (a span read from a true record start then ends on a
//      true record start, so by induction from the first span every start is
//      true). Otherwise one quote-aware pass over the data notes exact span
//      starts, and the threads type from those. A page finds its
//      first record the same way (or by skipping records from the start), then
//      scans its own records once, noting exact span starts as it goes.
//   2. Rows: the sheet is sized once from the count; each thread types its
//      records straight into rows it makes itself (numbers parsed, texts keyed
//      by textKey and counted in a table of its own, handed to the pool in
//      batches per shard). A record wider than the first gets a row of its own
//      width; once every row is made, all rows are widened to the widest (the
//      sheet the sequential road's growing columns end with).
//   3. A key held by two different texts (which the sequential road would have
//      probed to key + 1) makes the road give way to the sequential one.
//
// In ANSI files a GBK lead byte and its trail byte are one character: the
// trail byte is never taken for a delimiter.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "store/Cell.h"
#include "store/IoOptions.h"
#include "store/RisingProgress.h"

class CDataCore;
class RowReader;
struct TextPage;

enum class ParallelResult { Done, NotTaken, GaveWay };

// Reads the file (already opened by `reader`, its first record read and its
// delimiter settled) into the sheet on several threads, with the options the
// read started with. NotTaken when the road does not apply (a small file, the
// parallel road switched off), GaveWay when it began and could not finish;
// the sheet may then have been cleared and the caller reads sequentially.
ParallelResult readAllInParallel(CDataCore& sheet, RowReader& reader, const std::u16string& path,
                                 const IoOptions& options, RisingProgress& progress);

// One page of the file (readTextPage's rules: rows firstRow .. of the file,
// the first record kept in row 1 when keepHeader or firstRow is 1) into the
// cleared sheet; fills page.start, page.end and page.records. `firstFields` is
// the width of the file's first record, read by `reader` (delimiter settled).
// `fromRecord` (> 1) and `fromOffset`, when given, name a known record start
// at or before firstRow, from which the page is sought instead of from the
// file's start. NotTaken and GaveWay leave the sheet empty for the sequential road.
ParallelResult readPageInParallel(CDataCore& sheet, RowReader& reader, const std::u16string& path,
                                  const IoOptions& options, size_t firstFields, bool keepHeader, int64_t firstRow,
                                  int64_t pageRows, TextPage& page, RisingProgress& progress,
                                  uint64_t fromRecord = 1, uint64_t fromOffset = 0);

// appendFile's rows (the file's records below the sheet's rows, the first
// dropped when `sameHeader`) read on the parallel road into a sheet of their
// own and moved into `sheet`. `firstFields` is the width of the file's first
// record. NotTaken and GaveWay leave the sheet as it was.
ParallelResult appendInParallel(CDataCore& sheet, RowReader& reader, const std::u16string& path,
                                const IoOptions& options, size_t firstFields, bool sameHeader,
                                RisingProgress& progress);

// The cell that setTextTyped makes of a field given as 7-bit ASCII bytes
// (no byte of 0x80 or above, no NUL) when it is a number: true with `cell`
// set for kinds 1 and 2, false for a text. Exposed for tests.
bool typeAsciiNumber(std::string_view field, Cell& cell);
