// The document reader's parallel road against its sequential one: the same file read
// by several workers, through buffers of every size, gives the same sheet, the same
// pool (entries, counts and storage order) and the same byte figure; a file cut
// anywhere fails on both roads alike and leaves an empty sheet.
#include <vector>

#include "tests/store/MvtSupport.h"

using namespace mvttest;

namespace {

constexpr uint64_t ROWS = 3000, COLS = 6, TEXTS = 700;

uint64_t keyOfText(uint64_t i) { return textKey(u"t" + widen(std::to_string(i))); }

// A hand-made document that the reader must mend as it goes: stated counts that are
// wrong, texts nothing refers to, references to texts the file lacks, a key given
// twice (the later entry holds), an entry of no bytes (which removes its key), an entry
// larger than the small buffers, texts in the header row and in script slots.
std::string trickyDocument() {
  const uint64_t script = textKey(u"script()"), large = textKey(u"large");
  const uint64_t twice = keyOfText(3), dropped = keyOfText(5), missing = textKey(u"missing");
  Bytes f;
  f.head(ROWS, COLS, 12345, {{ATTR_C_SCRIPT, script}, {ATTR_PYTHON_SCRIPT, missing}});
  for (uint64_t r = 0; r < ROWS; ++r) {
    f.cell(CELL_INT64, 0, r % 40);  // the row header: a height
    for (uint64_t c = 1; c < COLS; ++c) {
      const uint64_t pick = (r * 131 + c * 17) % (TEXTS + 40);
      if (pick < TEXTS) f.cell(c == 3 ? CELL_FORMULA : CELL_TEXT, 0, keyOfText(pick % (TEXTS / (c + 1) + 1)));
      else if (pick < TEXTS + 10) f.cell(CELL_TEXT, 0, missing);
      else if (pick < TEXTS + 12) f.cell(CELL_TEXT, 0, large);
      else f.cell(CELL_DOUBLE, 1, 0x4009000000000000ULL);
    }
  }
  for (uint64_t i = 0; i < TEXTS + 50; ++i)  // the last 50 are referred to by nothing
    f.entry(keyOfText(i), textBytes(u"text " + widen(std::to_string(i))), i % 3 == 0 ? 0 : i * 977);
  f.entry(twice, textBytes(u"given again"), 1);
  f.entry(dropped, "", 4);
  f.entry(large, textBytes(std::u16string(3000, u'L')), 2);
  f.entry(script, textBytes(u"script()"), UINT64_MAX);
  return f.s;
}

struct Road {
  const char* what;
  bool parallel;
  unsigned threads;
  size_t blockBytes;
};

const Road ROADS[] = {
    {"four workers", true, 4, 0},
    {"eight workers, 1-byte buffers", true, 8, 1},
    {"three workers, 7-byte buffers", true, 3, 7},
    {"two workers, 64-byte buffers", true, 2, 64},
    {"five workers, 4 KB buffers", true, 5, 4096},
    {"one worker, 16-byte buffers", true, 1, 16},
};

void tune(CDataCore& core, const Road& road) {
  core.mIoTuning.parallel = road.parallel;
  core.mIoTuning.threads = road.threads;
  core.mIoTuning.blockBytes = road.blockBytes;
  core.mIoTuning.minParallelBytes = 0;  // the parallel road for the smallest file
}

// The pool's entries in storage order.
std::vector<std::pair<uint64_t, PoolItem>> storageOf(const CDataCore& core) {
  std::vector<std::pair<uint64_t, PoolItem>> out;
  core.mPool.forEach([&](uint64_t key, const char* bytes, size_t len, uint64_t count) {
    out.push_back({key, PoolItem{std::string(bytes, len), count}});
  });
  return out;
}

TEST(MvtParallelRead, EveryRoadGivesTheSequentialSheet) {
  ScratchDir dir;
  writeBytes(dir.native("tricky.mvt"), trickyDocument());
  CDataCore sequential;
  sequential.mIoTuning.parallel = false;
  ASSERT_TRUE(sequential.read(dir.path("tricky.mvt")));
  // What the sequential road makes of the file's faults.
  EXPECT_EQ(sequential.integrityCheck(), "");
  EXPECT_EQ(sequential.poolText(keyOfText(3)), u"given again");
  EXPECT_EQ(sequential.mPool.find(keyOfText(5)), nullptr);
  EXPECT_EQ(sequential.mPool.find(keyOfText(TEXTS + 20)), nullptr);
  EXPECT_EQ(sequential.mAttrs[ATTR_PYTHON_SCRIPT].value, 0u);
  EXPECT_EQ(sequential.poolText(sequential.mAttrs[ATTR_C_SCRIPT].value), u"script()");
  int64_t bytes = 0;
  sequential.mPool.forEach(
      [&](uint64_t, const char*, size_t len, uint64_t) { bytes += StringPool::accountedBytes(len); });
  EXPECT_EQ(sequential.mPoolBytes, bytes);
  const auto order = storageOf(sequential);

  for (const Road& road : ROADS) {
    SCOPED_TRACE(road.what);
    CDataCore core;
    tune(core, road);
    ASSERT_TRUE(core.read(dir.path("tricky.mvt")));
    expectSameSheet(sequential, core);
    EXPECT_TRUE(storageOf(core) == order) << "the pool's storage order differs";
    EXPECT_EQ(core.integrityCheck(), "");
  }
}

// A document saved by the program, with many shared texts, read back on every road.
TEST(MvtParallelRead, SavedDocumentReadsTheSameOnEveryRoad) {
  ScratchDir dir;
  CDataCore source;
  source.resize(5000, 5);
  for (int32_t r = 1; r < 5000; ++r)
    for (int32_t c = 1; c < 5; ++c) source.setText(r, c, u"v" + widen(std::to_string((r * c) % 997)));
  source.setText(0, 2, u"header text");
  ASSERT_TRUE(source.write(dir.path("saved.mvt"), true));
  CDataCore sequential;
  sequential.mIoTuning.parallel = false;
  ASSERT_TRUE(sequential.read(dir.path("saved.mvt")));
  expectSameSheet(source, sequential);
  for (const Road& road : ROADS) {
    SCOPED_TRACE(road.what);
    CDataCore core;
    tune(core, road);
    ASSERT_TRUE(core.read(dir.path("saved.mvt")));
    expectSameSheet(source, core);
    EXPECT_TRUE(storageOf(core) == storageOf(sequential));
  }
}

// Cut in the head, among the cells, at the start of the pool (a document without texts,
// whose references are all emptied), in an entry's head, among the entries, in the
// large entry and one byte before the end: every road does what the sequential one
// does, and a refused file leaves an empty sheet.
TEST(MvtParallelRead, CutFilesReadAsOnTheSequentialRoad) {
  ScratchDir dir;
  const std::string whole = trickyDocument();
  const size_t poolStart = 496 + ROWS * COLS * 10;
  const size_t cuts[] = {300,
                         496 + 7,
                         496 + ROWS * COLS * 5 + 3,
                         poolStart,
                         poolStart + 9,
                         poolStart + 1000,
                         whole.size() - 6100,
                         whole.size() - 3000,
                         whole.size() - 1};
  for (size_t cut : cuts) {
    SCOPED_TRACE(cut);
    writeBytes(dir.native("cut.mvt"), whole.substr(0, cut));
    CDataCore sequential;
    sequential.mIoTuning.parallel = false;
    const bool read = sequential.read(dir.path("cut.mvt"));
    EXPECT_EQ(read, cut == poolStart);
    for (const Road& road : ROADS) {
      SCOPED_TRACE(road.what);
      CDataCore core;
      tune(core, road);
      core.resize(2, 2);
      core.setText(1, 1, u"before");
      ASSERT_EQ(core.read(dir.path("cut.mvt")), read);
      if (read) expectSameSheet(sequential, core);
      else EXPECT_TRUE(isEmptySheet(core));
      EXPECT_EQ(core.integrityCheck(), "");
    }
  }
}

}  // namespace
