// Every allocation of an operation failing in turn: the store's hook fails the first,
// then the second, ... until a run completes without reaching the failure. Each failed
// run must leave the sheet (or pool) exactly as it was, or have completed the operation:
// never half of it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "store/Alloc.h"
#include "store/DataCore.h"
#include "store/StringPool.h"
#include "tests/store/MvtSupport.h"
#include "tests/support/SheetSnapshot.h"

using namespace mvttest;

namespace {

// Calls `setup` (nothing fails), then `run` with the n-th store allocation failing, for
// n = 1, 2, ... until a run ends with the failure not reached; `check(threw)` after each
// run. Returns the runs made.
int64_t failEachAllocation(const std::function<void()>& setup, const std::function<void()>& run,
                           const std::function<void(bool threw)>& check) {
  for (int64_t n = 1; n < 100000; ++n) {
    setup();
    allocfail::failNth(n);
    bool threw = false;
    try {
      run();
    } catch (const std::bad_alloc&) {
      threw = true;
    } catch (const std::string&) {
      threw = true;
    } catch (const char*) {
      threw = true;
    }
    const bool reached = !allocfail::armed();
    allocfail::failNth(0);
    check(threw);
    if (!reached) return n;
  }
  ADD_FAILURE() << "the operation never completed";
  return 0;
}

// A sheet holding shared texts, a long text, a formula, a script slot and a filter.
void fill(CDataCore& core) {
  buildSheet(core, {{u"name", u"n", u"note"}, {u"a", u"1", u"=A1"}, {u"b", u"2.5", u"a"}, {u"a", u"x", u""}});
  core.setText(4, 3, std::u16string(70000, u'w'));  // an entry with a chunk of its own
  for (int32_t r = 0; r < 40; ++r) core.setText(2, 3, u"t" + std::u16string(1, char16_t(u'A' + r)));
  core.setAttrText(ATTR_C_SCRIPT, u"int main(){}");
  core.mFilter.mColumns[cellPos(1, 1)] = FilterColumn{cellPos(1, 1), {3}};
}

struct PoolOp {
  const char* name;
  std::function<void(StringPool&)> setup;
  std::function<void(StringPool&)> op;
};

std::map<uint64_t, std::pair<std::string, uint64_t>> entries(const StringPool& pool) {
  std::map<uint64_t, std::pair<std::string, uint64_t>> out;
  pool.forEach([&](uint64_t key, const char* b, size_t len, uint64_t count) {
    out[key] = {std::string(b, len), count};
  });
  return out;
}

TEST(AllocFailureLoop, PoolInternAndReleaseAreWholeOrNothing) {
  auto many = [](StringPool& p) {
    for (int i = 0; i < 2000; ++i)
      p.internText(uint64_t(i) * 7919 + 1, u"text " + std::u16string(1, char16_t(0x4E00 + i)));
  };
  const PoolOp ops[] = {
      {"the first text", [](StringPool&) {}, [](StringPool& p) { p.internText(5, u"first"); }},
      {"a text that grows a table", many, [](StringPool& p) { p.internText(99999, u"one more"); }},
      {"a text of its own chunk", many, [](StringPool& p) { p.internText(7, std::u16string(40000, u'z')); }},
      {"a key held by another text", many, [](StringPool& p) { p.internText(1, u"not text 0"); }},
      {"releases that compact", many,
       [](StringPool& p) {
         for (int i = 0; i < 2000; i += 2) p.release(uint64_t(i) * 7919 + 1);
       }},
      {"counted texts", many,
       [](StringPool& p) {
         bool collided = false;
         p.addCounted(123456789, "abc", 3, 4, collided);
       }},
  };
  for (const PoolOp& c : ops) {
    SCOPED_TRACE(c.name);
    int64_t bytes = 0;
    std::unique_ptr<StringPool> pool;
    std::map<uint64_t, std::pair<std::string, uint64_t>> before;
    int64_t bytesBefore = 0;
    failEachAllocation(
        [&] {
          pool.reset();
          bytes = 0;
          pool = std::make_unique<StringPool>(&bytes);
          c.setup(*pool);
          before = entries(*pool);
          bytesBefore = bytes;
        },
        [&] { c.op(*pool); },
        [&](bool threw) {
          if (threw) {
            EXPECT_EQ(entries(*pool), before);
            EXPECT_EQ(bytes, bytesBefore);
          }
          int64_t sum = 0;
          pool->forEach(
              [&](uint64_t, const char*, size_t len, uint64_t) { sum += StringPool::accountedBytes(len); });
          EXPECT_EQ(sum, bytes);
        });
  }
}

// A save that fails leaves the sheet as it was and no file it created; a read that
// fails leaves an empty sheet (as a damaged file does); an append that fails leaves the
// sheet as it was. Otherwise each completes.
TEST(AllocFailureLoop, DocumentWriteReadAndAppendAreWholeOrNothing) {
  ScratchDir dir;
  CDataCore source;
  fill(source);
  for (bool all : {true, false}) {
    SCOPED_TRACE(all ? "whole save" : "shown rows only");
    CDataCore core;
    SheetSnapshot before;
    const std::u16string path = dir.path("new.mvt");
    failEachAllocation(
        [&] {
          core.resize(0, 0);
          fill(core);
          core.mAttrs[ATTR_FILTER].value = 0;
          std::filesystem::remove(dir.native("new.mvt"));
          before = SheetSnapshot::take(core);
        },
        [&] {
          if (!core.write(path, all)) throw std::string("failed");
        },
        [&](bool threw) {
          EXPECT_EQ(core.integrityCheck(), "");
          if (threw) {
            EXPECT_SAME_SHEET(before, SheetSnapshot::take(core));
            EXPECT_FALSE(std::filesystem::exists(dir.native("new.mvt"))) << "a cut file was left";
          } else {
            CDataCore back;
            ASSERT_TRUE(back.read(path));
            EXPECT_EQ(back.getText(4, 3).size(), 70000u);
          }
        });
  }
  ASSERT_TRUE(source.write(dir.path("doc.mvt"), true));
  CDataCore read;
  failEachAllocation(
      [&] {
        read.resize(3, 3);
        read.setText(1, 1, u"old");
      },
      [&] { ASSERT_TRUE(read.read(dir.path("doc.mvt"))); },
      [&](bool threw) {
        EXPECT_EQ(read.integrityCheck(), "");
        if (threw) {
          EXPECT_TRUE(isEmptySheet(read));
        } else {
          EXPECT_EQ(read.getText(3, 3), source.getText(3, 3));
        }
      });
  CDataCore target;
  SheetSnapshot before;
  failEachAllocation(
      [&] {
        target.resize(0, 0);
        buildSheet(target, {{u"a", u"here"}, {u"x", u"a"}});
        before = SheetSnapshot::take(target);
      },
      [&] { ASSERT_TRUE(target.appendMvt(dir.path("doc.mvt"), 0, 100)); },
      [&](bool threw) {
        EXPECT_EQ(target.integrityCheck(), "");
        if (threw) {
          EXPECT_SAME_SHEET(before, SheetSnapshot::take(target));
        } else {
          EXPECT_EQ(target.mRowCount, 3u + 4u);
        }
      });
}

}  // namespace
