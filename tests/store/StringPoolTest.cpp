// String pool and text keys: counts, collisions, byte accounting, the concurrent bulk
// entry point, and the flat table's deletion and compaction against a plain model.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <thread>

#include "store/StringPool.h"
#include "store/TextKey.h"
#include "tests/store/SheetFixture.h"

namespace {

std::string wideBytes(std::u16string_view text) {
  std::string b(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  b.append(2, '\0');
  return b;
}

TEST(TextKey, MatchesFnv1aOverUtf16LeWithNul) {
  EXPECT_EQ(textKey(u""), 0u);
  // FNV-1a 64 of the bytes 'a' 00 00 00, computed independently.
  const unsigned char a[] = {'a', 0, 0, 0};
  EXPECT_EQ(textKey(u"a"), fnv1a64(a, 4));
  // Units with and without a high byte, mixed in every order.
  for (std::u16string_view text : {u"北京", u"ab北京x", u"\u00ff\u0100z\u00ff", u"0123456789abcdef"}) {
    const std::string bytes = wideBytes(text);
    EXPECT_EQ(textKey(text), fnv1a64(bytes.data(), bytes.size()));
  }
  EXPECT_EQ(fnv1a64("", 0), FNV_OFFSET_BASIS);
  EXPECT_EQ(fnv1a64("a", 1), 0xaf63dc4c8601ec8cULL);  // published FNV-1a 64 vector
}

TEST(StringPool, InternTwiceCountsAndReleaseRestoresBytes) {
  CDataCore s;
  const int64_t before = s.mPoolBytes;
  uint64_t k1 = s.intern(textKey(u"hello"), u"hello");
  uint64_t k2 = s.intern(textKey(u"hello"), u"hello");
  EXPECT_EQ(k1, textKey(u"hello"));
  EXPECT_EQ(k1, k2);
  StringPool::Entry e;
  ASSERT_TRUE(s.mPool.lookup(k1, e));
  EXPECT_EQ(e.count, 2u);
  EXPECT_EQ(s.mPoolBytes, before + 12 + 16);
  s.release(k1);
  EXPECT_EQ(s.poolText(k1), u"hello");
  s.release(k1);
  EXPECT_EQ(s.poolFind(k1), nullptr);
  EXPECT_EQ(s.mPoolBytes, before);
}

TEST(StringPool, OneCodeUnitEntryAddsTwenty) {
  CDataCore s;
  uint64_t k = s.intern(textKey(u"x"), u"x");
  EXPECT_EQ(s.mPoolBytes, 20);
  EXPECT_EQ(s.poolBytes(k), std::string("x\0\0\0", 4));
}

TEST(StringPool, CollisionProbesToNextKeyAndEntriesStayApart) {
  CDataCore s;
  const uint64_t chosen = 0x1234;
  uint64_t a = s.intern(chosen, u"first");
  uint64_t b = s.intern(chosen, u"second");
  uint64_t c = s.intern(chosen, u"third");
  EXPECT_EQ(a, chosen);
  EXPECT_EQ(b, chosen + 1);
  EXPECT_EQ(c, chosen + 2);
  EXPECT_EQ(s.intern(chosen, u"second"), chosen + 1);  // found again along the probe
  s.release(a);
  EXPECT_EQ(s.poolText(b), u"second");
  EXPECT_EQ(s.poolText(c), u"third");
  EXPECT_EQ(s.poolFind(a), nullptr);
  // The freed key is taken by the next different text interned under it.
  EXPECT_EQ(s.intern(chosen, u"fourth"), chosen);
}

TEST(StringPool, ProbingWrapsAndSkipsKeyZero) {
  CDataCore s;
  const uint64_t last = ~uint64_t(0);
  EXPECT_EQ(s.intern(last, u"p"), last);
  EXPECT_EQ(s.intern(last, u"q"), 1u);  // wraps past 2^64 - 1 and never uses key 0
  EXPECT_EQ(s.poolText(1), u"q");
}

TEST(StringPool, EmptyAndAbsent) {
  CDataCore s;
  EXPECT_EQ(s.intern(textKey(u""), u""), 0u);
  EXPECT_EQ(s.internBytes(5, ""), 0u);
  EXPECT_EQ(s.mPool.size(), 0u);
  s.release(0);
  s.release(99);
  EXPECT_EQ(s.poolText(0), u"");
  EXPECT_EQ(s.poolBytes(0), "");
  EXPECT_EQ(s.poolText(99), u"");
  EXPECT_EQ(s.mPoolBytes, 0);
}

TEST(StringPool, WideTextAndByteStringShareOneEntry) {
  CDataCore s;
  uint64_t k = s.intern(textKey(u"ab"), u"ab");
  EXPECT_EQ(s.internBytes(k, wideBytes(u"ab")), k);
  StringPool::Entry e;
  ASSERT_TRUE(s.mPool.lookup(k, e));
  EXPECT_EQ(e.count, 2u);
  EXPECT_EQ(s.mPool.size(), 1u);
  // A byte entry without a NUL: poolText stops at the end of the bytes.
  uint64_t raw = s.internBytes(77, std::string("h\0i", 3));
  EXPECT_EQ(s.poolBytes(raw), std::string("h\0i", 3));
  EXPECT_EQ(s.poolText(raw), u"h");
  EXPECT_EQ(s.mPoolBytes, (6 + 16) + (3 + 16));
}

TEST(StringPool, PoolTextStopsAtEmbeddedNul) {
  CDataCore s;
  std::u16string text(u"ab\0cd", 5);
  uint64_t k = s.intern(textKey(text), text);
  EXPECT_EQ(s.poolText(k), u"ab");
  EXPECT_EQ(s.poolBytes(k).size(), 12u);
}

TEST(StringPool, LargeEntriesRoundTrip) {
  // Sizes around the dedicated-chunk threshold and beyond the 16 MB length escape.
  for (size_t units : {size_t(1), size_t(32 * 1024 - 20), size_t(32 * 1024), size_t(9 << 20)}) {
    CDataCore s;
    std::u16string text(units, u'z');
    text[units / 2] = u'中';
    uint64_t k = s.intern(textKey(text), text);
    EXPECT_EQ(s.poolText(k), text) << units;
    EXPECT_EQ(s.mPoolBytes, int64_t(units * 2 + 2 + 16));
    s.release(k);
    EXPECT_EQ(s.mPool.size(), 0u);
    EXPECT_EQ(s.mPoolBytes, 0);
  }
}

TEST(StringPool, AddCountedCreatesCountsAndReportsCollisions) {
  int64_t bytes = 0;
  StringPool pool(&bytes);
  bool collided = false;
  EXPECT_EQ(pool.addCounted(10, "abcd", 4, 3, collided), 10u);
  EXPECT_EQ(pool.addCounted(10, "abcd", 4, 2, collided), 10u);
  EXPECT_FALSE(collided);
  StringPool::Entry e;
  ASSERT_TRUE(pool.lookup(10, e));
  EXPECT_EQ(e.count, 5u);
  EXPECT_EQ(bytes, 4 + 16);
  EXPECT_EQ(pool.addCounted(10, "abce", 4, 1, collided), 0u);
  EXPECT_TRUE(collided);
  ASSERT_TRUE(pool.lookup(10, e));
  EXPECT_EQ(e.count, 5u);
  EXPECT_FALSE(pool.lookup(11, e));  // no probing in the bulk path
  EXPECT_EQ(bytes, 4 + 16);
  EXPECT_EQ(pool.addCounted(12, "", 0, 1, collided), 0u);
  EXPECT_EQ(pool.addCounted(12, "x", 1, 0, collided), 0u);
  EXPECT_EQ(pool.size(), 1u);
}

TEST(StringPool, AddCountedFromManyThreadsMatchesSequentialInterning) {
  constexpr int kThreads = 8, kTexts = 5000, kRepeats = 3;
  int64_t bytes = 0;
  StringPool pool(&bytes);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&pool, t] {
      bool collided = false;
      for (int rep = 0; rep < kRepeats; ++rep)
        for (int i = 0; i < kTexts; ++i) {
          std::u16string text = u"t" + utf8ToWide(std::to_string((i * 7 + t) % kTexts));
          std::string b = wideBytes(text);
          pool.addCounted(textKey(text), b.data(), b.size(), 1, collided);
        }
      EXPECT_FALSE(collided);
    });
  }
  for (auto& th : threads) th.join();
  int64_t sequentialBytes = 0;
  StringPool sequential(&sequentialBytes);
  for (int n = 0; n < kThreads * kRepeats; ++n)
    for (int i = 0; i < kTexts; ++i) {
      std::u16string text = u"t" + utf8ToWide(std::to_string(i));
      sequential.internText(textKey(text), text);
    }
  EXPECT_EQ(pool.size(), sequential.size());
  EXPECT_EQ(bytes, sequentialBytes);
  sequential.forEach([&](uint64_t key, const char* b, size_t len, uint64_t count) {
    StringPool::Entry e;
    ASSERT_TRUE(pool.lookup(key, e));
    EXPECT_EQ(e.count, count);
    EXPECT_EQ(std::string(e.bytes, e.len), std::string(b, len));
  });
}

// Bulk release from several threads: each thread drops its share of every
// text's references; texts whose references all go are removed and the byte
// counter comes back exactly.
TEST(StringPool, ReleaseCountedFromManyThreadsDropsExactlyTheGivenReferences) {
  constexpr int kThreads = 8, kTexts = 4000;
  int64_t bytes = 0;
  StringPool pool(&bytes);
  bool collided = false;
  for (int i = 0; i < kTexts; ++i) {
    std::u16string text = u"r" + utf8ToWide(std::to_string(i));
    std::string b = wideBytes(text);
    pool.addCounted(textKey(text), b.data(), b.size(), kThreads + (i % 2), collided);
  }
  const int64_t before = bytes;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&pool] {
      for (int i = 0; i < kTexts; ++i) pool.releaseCounted(textKey(u"r" + utf8ToWide(std::to_string(i))), 1);
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(pool.size(), size_t(kTexts / 2)) << "even texts had exactly kThreads references";
  int64_t left = 0;
  pool.forEach([&](uint64_t, const char*, size_t len, uint64_t count) {
    EXPECT_EQ(count, 1u);
    left += StringPool::accountedBytes(len);
  });
  EXPECT_EQ(bytes, left);
  EXPECT_LT(bytes, before);
  pool.releaseCounted(textKey(u"r1"), 5);  // more than it holds: the entry goes
  pool.releaseCounted(12345, 1);           // absent: nothing
  EXPECT_EQ(pool.size(), size_t(kTexts / 2 - 1));
}

TEST(StringPool, PutReplacesWithoutTouchingTheCounter) {
  int64_t bytes = 123;
  StringPool pool(&bytes);
  pool.put(5, "old", 3, 2);
  pool.put(5, "newer", 5, 7);
  StringPool::Entry e;
  ASSERT_TRUE(pool.lookup(5, e));
  EXPECT_EQ(std::string(e.bytes, e.len), "newer");
  EXPECT_EQ(e.count, 7u);
  EXPECT_EQ(pool.size(), 1u);
  EXPECT_EQ(bytes, 123);
}

// Random interns and releases against a std::map model: exercises growth, backward-shift
// deletion, dedicated chunks and compaction (entries must survive being moved).
TEST(StringPool, RandomOperationsMatchModel) {
  int64_t bytes = 0;
  StringPool pool(&bytes);
  std::map<uint64_t, std::pair<std::string, uint64_t>> model;
  std::mt19937_64 rng(42);
  std::vector<uint64_t> keys;
  for (int step = 0; step < 60000; ++step) {
    if (step % 5000 == 0) ASSERT_EQ(pool.structureCheck(), "") << "step " << step;
    int op = int(rng() % 10);
    if (op < 6 || keys.empty()) {
      // Keys drawn from a small range so that collisions and probe chains are common.
      uint64_t key = rng() % 512;
      size_t len = (rng() % 50 == 0) ? 70000 + rng() % 10 : 1 + rng() % 40;
      std::string b(len, char('a' + rng() % 3));
      uint64_t got = pool.intern(key, b.data(), b.size());
      uint64_t expect = key;
      for (;; ++expect) {
        if (expect == 0) continue;
        auto it = model.find(expect);
        if (it == model.end() || it->second.first == b) break;
      }
      ASSERT_EQ(got, expect);
      auto& m = model[got];
      if (m.second == 0) {
        m.first = b;
        keys.push_back(got);
      }
      ++m.second;
    } else {
      size_t at = rng() % keys.size();
      uint64_t key = keys[at];
      pool.release(key);
      if (--model[key].second == 0) {
        model.erase(key);
        keys[at] = keys.back();
        keys.pop_back();
      }
    }
  }
  int64_t expectBytes = 0;
  for (const auto& [key, m] : model) {
    StringPool::Entry e;
    ASSERT_TRUE(pool.lookup(key, e)) << key;
    EXPECT_EQ(std::string(e.bytes, e.len), m.first);
    EXPECT_EQ(e.count, m.second);
    expectBytes += int64_t(m.first.size()) + 16;
  }
  EXPECT_EQ(pool.size(), model.size());
  EXPECT_EQ(bytes, expectBytes);
  EXPECT_EQ(pool.structureCheck(), "");
  // Release everything: the pool gives back all its memory.
  for (const auto& [key, m] : model)
    for (uint64_t i = 0; i < m.second; ++i) pool.release(key);
  EXPECT_EQ(pool.size(), 0u);
  EXPECT_EQ(bytes, 0);
  EXPECT_EQ(pool.memoryBytes(), 0u);
}

TEST(StringPool, ReleasingMostEntriesCompactsAndKeepsTheRest) {
  int64_t bytes = 0;
  StringPool pool(&bytes);
  constexpr int kTexts = 100000;
  auto textOf = [](int i) { return u"compact-" + utf8ToWide(std::to_string(i)) + u"-padding-padding"; };
  for (int i = 0; i < kTexts; ++i) pool.internText(textKey(textOf(i)), textOf(i));
  const size_t full = pool.memoryBytes();
  for (int i = 0; i < kTexts; ++i)
    if (i % 20 != 0) pool.release(textKey(textOf(i)));
  EXPECT_LT(pool.memoryBytes(), full / 2);  // dead arena bytes were given back
  EXPECT_EQ(pool.structureCheck(), "");
  EXPECT_EQ(pool.size(), size_t(kTexts / 20));
  int64_t expect = 0;
  for (int i = 0; i < kTexts; i += 20) {
    std::u16string t = textOf(i);
    StringPool::Entry e;
    ASSERT_TRUE(pool.lookup(textKey(t), e)) << i;
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(e.bytes), t.size()), t);
    EXPECT_EQ(e.count, 1u);
    expect += StringPool::accountedBytes(t.size() * 2 + 2);
  }
  EXPECT_EQ(bytes, expect);
  // The compacted pool keeps working: new texts, counts, releases.
  for (int i = 0; i < kTexts; i += 20) pool.internText(textKey(textOf(i)), textOf(i));
  pool.internText(textKey(u"new"), u"new");
  StringPool::Entry e;
  ASSERT_TRUE(pool.lookup(textKey(textOf(20)), e));
  EXPECT_EQ(e.count, 2u);
}

TEST(StringPool, CostPerDistinctTextStaysSmall) {
  StringPool pool;
  constexpr size_t kTexts = 200000;
  size_t textBytes = 0;
  for (size_t i = 0; i < kTexts; ++i) {
    std::u16string text = u"name" + utf8ToWide(std::to_string(i * 2654435761u));
    textBytes += text.size() * 2;
    pool.internText(textKey(text), text);
  }
  double perText = double(pool.memoryBytes() - textBytes) / kTexts;
  EXPECT_LE(perText, 32.0);
}

TEST(StringPool, SetProgressInstallsSlotThree) {
  CDataCore s;
  std::vector<std::pair<uint64_t, int64_t>> calls;
  s.reportProgress(5);  // no callable: skipped
  s.setProgress([&](uint64_t who, int64_t p) { calls.emplace_back(who, p); });
  s.reportProgress(0);
  s.reportProgress(100);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].first, reinterpret_cast<uint64_t>(&s));
  EXPECT_EQ(calls[1].second, 100);
  s.setProgress(ProgressFn());
  s.reportProgress(50);
  EXPECT_EQ(calls.size(), 2u);
}

}  // namespace
