// The cache of recent texts in front of the pool: the pool it leaves is the
// pool of one internText per cell (entries, keys, counts and byte count), with
// texts displacing each other, texts too long to be cached, keys probed past
// another text's, and a reading stopped early.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "store/RecentTexts.h"
#include "store/StringPool.h"
#include "store/TextKey.h"

namespace {

using PoolDump = std::map<uint64_t, std::pair<std::string, uint64_t>>;

PoolDump dump(const StringPool& pool) {
  PoolDump out;
  pool.forEach([&](uint64_t key, const char* bytes, size_t len, uint64_t count) {
    out[key] = {std::string(bytes, len), count};
  });
  return out;
}

// Texts as a reading meets them: a few hot ones again and again, many met
// once (more than the cache has slots), some longer than it keeps.
std::vector<std::u16string> meetings() {
  std::mt19937 rng(11);
  std::vector<std::u16string> out;
  for (int i = 0; i < 60000; ++i) {
    switch (rng() % 4) {
      case 0: out.push_back(u"hot" + std::u16string(1, char16_t(u'a' + rng() % 20))); break;
      case 1: out.push_back(u"北京" + std::u16string(1, char16_t(u'0' + rng() % 10))); break;
      case 2:
        out.push_back(u"once" + std::u16string(1, char16_t(0x4E00 + i % 20000)) + char16_t(u'a' + i % 26));
        break;
      default: out.push_back(std::u16string(RecentTexts::MAX_UNITS + rng() % 3, char16_t(u'x' + rng() % 2))); break;
    }
  }
  return out;
}

TEST(RecentTexts, LeavesThePoolOfOneInternPerMeeting) {
  const std::vector<std::u16string> texts = meetings();
  // "hota" is probed past in both pools: another text holds its key.
  const uint64_t taken = textKey(u"hota");
  // The largest table, and the smallest, whose slots change hands all the time.
  for (const auto& [cells, stopEarly] :
       {std::pair<uint64_t, bool>{texts.size(), false}, {texts.size(), true}, {1, false}, {1, true}}) {
    SCOPED_TRACE(cells);
    int64_t directBytes = 0, cachedBytes = 0;
    StringPool direct(&directBytes), cached(&cachedBytes);
    for (StringPool* pool : {&direct, &cached}) pool->intern(taken, "other", 5);
    const size_t n = stopEarly ? texts.size() / 3 : texts.size();
    {
      RecentTexts recent(cached, cells);
      for (size_t i = 0; i < n; ++i) {
        const uint64_t want = direct.internText(textKey(texts[i]), texts[i]);
        ASSERT_EQ(recent.intern(texts[i]), want) << i;
      }
      if (!stopEarly) {
        recent.flush();
        EXPECT_EQ(dump(cached), dump(direct));
      }
    }  // a reading stopped early hands its counts over as the cache goes
    EXPECT_EQ(dump(cached), dump(direct)) << (stopEarly ? "stopped early" : "flushed");
    EXPECT_EQ(cachedBytes, directBytes);
    EXPECT_EQ(cached.structureCheck(), "");
  }
}

}  // namespace
