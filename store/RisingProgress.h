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

  // Reports `percent` (kept below 100) when it is above the last report.
  void operator()(int64_t percent) {
    if (percent > 99) percent = 99;
    if (percent <= mLast) return;
    mLast = percent;
    mSheet.reportProgress(percent);
  }
  // The last report.
  void finish(int64_t percent = 100) {
    mLast = percent;
    mSheet.reportProgress(percent);
  }

 private:
  CDataCore& mSheet;
  int64_t mLast = -1;
};
