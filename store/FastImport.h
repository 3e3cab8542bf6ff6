// The parallel road of readDelimited for byte files (UTF-8 and ANSI): several
// threads cut and type the records, with the exact result of the sequential
// road (cells, keys, pool entries and counts, mPoolBytes).
//
//   1. Record starts: the data is split at nominal offsets, each moved to just
//      after the next LF (a guess: it may lie inside a quoted field). Each
//      thread counts the records that start in its span; the guesses hold when
//      every span's last record ends exactly where the next span starts (a span
//      read from a true record start then ends on a true record start, so by
//      induction from the first span every start is true). Otherwise the
//      sequential road reads the file.
//   2. Rows: the sheet is sized once from the count; each thread types its
//      records straight into its rows (numbers parsed, texts keyed by textKey
//      and counted in a small table of its own, flushed into the pool with
//      StringPool::addCounted). A record wider than the first gets a row of
//      its own width; once every row is made, all rows are widened to the
//      widest (the sheet the sequential road's growing columns end with).
//   3. A key held by two different texts (which the sequential road would have
//      probed to key + 1) makes the whole road give way to the sequential one.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "store/Cell.h"
#include "store/IoOptions.h"
#include "store/RisingProgress.h"

class CDataCore;
class RowReader;


enum class ParallelResult { Done, NotTaken, GaveWay };

// Reads the file (already opened by `reader`, its first record read and its
// delimiter settled) into the sheet on several threads, with the options the
// read started with. NotTaken when the road does not apply (a UTF-16 file, a
// small file, one thread), GaveWay when it began and could not finish; the
// sheet may then have been cleared and the caller reads sequentially.
ParallelResult readAllInParallel(CDataCore& sheet, RowReader& reader, const std::u16string& path,
                                 const IoOptions& options, RisingProgress& progress);

// The cell that setTextTyped makes of a field given as 7-bit ASCII bytes
// (no byte of 0x80 or above, no NUL) when it is a number: true with `cell`
// set for kinds 1 and 2, false for a text. Exposed for tests.
bool typeAsciiNumber(std::string_view field, Cell& cell);
