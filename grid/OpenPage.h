// The paged-open state of a document: which part of a huge text file it shows.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "store/RecordIndex.h"
#include "store/TextPage.h"

struct OpenPage {
  std::u16string path;         // file being paged; empty = the document is not a page
  uint8_t keepHeader = 1;      // the file's first line is row 1 above the page
  int32_t totalRows = 0;       // records in the file as counted; 0 = not known
  int32_t startRow = 1;        // first record of the page, from 1
  int32_t pageRows = 5000000;  // records per page
  TextPage page;               // byte range, delimiter and encoding of the loaded page
  // The file as the last read or write-back of the page left it; a write-back is refused
  // when the file differs (another writer changed the offsets under us).
  uint64_t fileSize = 0;
  uint64_t fileTime = 0;  // write time, as fileStamp gives it
  uint8_t counted = 0;    // totalRows holds the finished count of path
  // Record starts found by the count, for page reads and kept by write-backs. Written
  // only by the counting thread while one runs.
  RecordIndex index;
  std::atomic<uint8_t> cancel{0};  // asks the counting thread to stop
  std::thread* counter = nullptr;  // the running counting thread; null when none
  uint32_t generation = 0;         // of the running count; messages of older counts are dropped
  std::u16string countedPath;      // the path the last count was started for

  OpenPage() = default;
  OpenPage(const OpenPage& o) { *this = o; }
  // Copies the page description; never the thread (the copy has none) or the cancel flag.
  OpenPage& operator=(const OpenPage& o) {
    if (this == &o) return *this;
    path = o.path;
    keepHeader = o.keepHeader;
    totalRows = o.totalRows;
    startRow = o.startRow;
    pageRows = o.pageRows;
    page = o.page;
    fileSize = o.fileSize;
    fileTime = o.fileTime;
    counted = o.counted;
    index = o.index;
    generation = o.generation;
    countedPath = o.countedPath;
    return *this;
  }
  ~OpenPage() { stopCount(); }

  // Stops and joins the counting thread when one runs; cancel is clear afterwards.
  void stopCount() {
    if (!counter) return;
    cancel = 1;
    counter->join();
    delete counter;
    counter = nullptr;
    cancel = 0;
  }
  // The state of a document that is not a page (New, Open, workbook sheet); the byte
  // range is kept.
  void resetState() {
    stopCount();
    path.clear();
    keepHeader = 1;
    totalRows = 0;
    startRow = 1;
    pageRows = 500000;
    counted = 0;
    cancel = 0;
    index.clear();
  }
};
