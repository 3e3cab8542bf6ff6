// The progress reports of one long file operation: 0 first, rising values,
// 100 last. Values the schedule of an operation would repeat, lower, or raise
// to 100 or beyond before the end are not passed on (a report of 100 closes
// the progress display), and a road that starts over (the parallel import
// giving way to the sequential one) does not make the bar go back.
#pragma once
#include <cstdint>

#include "store/DataCore.h"

class RisingProgress {
 public:
  explicit RisingProgress(CDataCore& sheet) : mSheet(sheet) {}

  // Reports `percent`, placed in the current range and kept below its top, when
  // it is above the last report.
  void operator()(int64_t percent) {
    if (mTo != 100 || mFrom != 0) percent = mFrom + (mTo - mFrom) * percent / 100;
    if (percent > mTo - 1) percent = mTo - 1;
    if (percent <= mLast) return;
    mLast = percent;
    mSheet.reportProgress(percent);
  }
  // Values 0 .. 100 given from now on report from .. to (an operation that
  // reports within a range of its caller's); (0, 100) reports them as given.
  void setRange(int64_t from, int64_t to) {
    mFrom = from;
    mTo = to;
  }
  // The last report.
  void finish(int64_t percent = 100) {
    mLast = percent;
    mSheet.reportProgress(percent);
  }

 private:
  CDataCore& mSheet;
  int64_t mLast = -1;
  int64_t mFrom = 0, mTo = 100;
};
