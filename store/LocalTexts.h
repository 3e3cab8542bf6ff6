// One import worker's table of texts (LocalTexts), keyed by the fields' raw
// bytes, and the raw-byte helpers that the table and the worker's typing
// share: finding the first NUL or non-ASCII byte, decoding a field as
// the sequential road does, comparing short byte runs.
//
// Invariants of the table: the slot count is a power of two; a slot is free
// when its count is 0, and at least half the slots stay free (add flushes at
// half), so a probe always ends; every used slot is listed in mUsed and its
// raw bytes lie in mArena at its offset (the fields handed over without the
// table: in mOnce and mOnceArena). Every count taken here reaches the pool by
// flush(true).
//
// Included by the parallel import alone, and in an unnamed namespace on
// purpose: find, add and addOnce run once per text field, and with internal
// linkage the compiler inlines them into the worker's loop as it does code
// written in that file (with external linkage it leaves addOnce out of line).
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"
#include "store/RowReader.h"
#include "store/StringPool.h"

namespace {

// Decodes n bytes of `codePage` text into `out`, which holds n units; returns the units.
size_t decodeBytes(UINT codePage, const char* p, size_t n, char16_t* out) {
  if (n <= size_t(INT32_MAX)) return size_t(MultiByteToWideChar(codePage, 0, p, int(n), out, int(n)));
  const std::u16string text = codePage == CP_UTF8 ? utf8ToWide({p, n}) : ansiToWide({p, n});
  std::memcpy(out, text.data(), text.size() * sizeof(char16_t));
  return text.size();
}

// The index of the first byte of p[0, n) that is NUL or 0x80 and above; n
// when there is none. Eight bytes at a time: in (w - 0x01..) | w the high bit
// of a byte is set when the byte is 0 (its borrow may mark higher bytes too)
// or 0x80 and above, so the lowest marked byte is the first such byte.
inline __attribute__((always_inline)) size_t nulOrHigh(const char* p, size_t n) {
  constexpr uint64_t ONES = 0x0101010101010101ULL, HIGHS = 0x8080808080808080ULL;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    const uint64_t marked = ((w - ONES) | w) & HIGHS;
    if (marked != 0) return i + static_cast<size_t>(__builtin_ctzll(marked)) / 8;
  }
  while (i < n && static_cast<unsigned char>(p[i]) - 1u < 0x7Fu) ++i;
  return i;
}

// Decodes a field's raw bytes as the sequential road does (utf8ToWide or
// ansiToWide, or the UTF-16 units themselves in the machine's order, then
// read as a C string): into `out`, NUL-terminated; returns the number of
// units before the first NUL. `out` holds n + 1 units.
size_t decodeField(int kind, const char* p, size_t n, char16_t* out) {
  size_t m;
  switch (kind) {
    case RowReader::KIND_UTF8:
    case RowReader::KIND_ANSI:
      if (nulOrHigh(p, n) == n) {  // 7-bit ASCII decodes to itself in both
        for (size_t i = 0; i < n; ++i) out[i] = static_cast<unsigned char>(p[i]);
        out[n] = 0;
        return n;
      }
      m = decodeBytes(kind == RowReader::KIND_UTF8 ? CP_UTF8 : CP_ACP, p, n, out);
      break;
    default:
      m = n / 2;
      std::memcpy(out, p, m * 2);
      break;
  }
  const size_t nul = std::u16string_view(out, m).find(u'\0');
  if (nul != std::u16string_view::npos) m = nul;
  out[m] = 0;
  return m;
}

// memcmp(a, b, n) == 0, without a call for the short texts most fields are.
bool sameBytes(const char* a, const char* b, size_t n) {
  if (n > 16) return std::memcmp(a, b, n) == 0;
  if (n >= 8) {
    uint64_t a0, b0, a1, b1;
    std::memcpy(&a0, a, 8);
    std::memcpy(&b0, b, 8);
    std::memcpy(&a1, a + n - 8, 8);
    std::memcpy(&b1, b + n - 8, 8);
    return ((a0 ^ b0) | (a1 ^ b1)) == 0;
  }
  if (n >= 4) {
    uint32_t a0, b0, a1, b1;
    std::memcpy(&a0, a, 4);
    std::memcpy(&b0, b, 4);
    std::memcpy(&a1, a + n - 4, 4);
    std::memcpy(&b1, b + n - 4, 4);
    return ((a0 ^ b0) | (a1 ^ b1)) == 0;
  }
  // 0 to 3 bytes: the first, middle and last cover them all.
  return n == 0 || (a[0] == b[0] && a[n / 2] == b[n / 2] && a[n - 1] == b[n - 1]);
}

// One thread's texts and their counts, keyed by the fields' raw bytes (a
// repeated field costs a hash and a compare: no decoding, no text key). When
// the table fills, the fields met only once go to the pool and the others
// stay, so hot texts cost the pool one call in all and the table's memory
// stays bounded. Two raw forms of one text (e.g. two invalid bytes that both
// decode to U+FFFD) are two entries with the same key and bytes; the pool adds
// their counts. The table's size is chosen per import from a sample of the
// file (ImportJob::localSlots).
class LocalTexts {
 public:
  LocalTexts(StringPool& pool, int kind, size_t firstShard, size_t slots)
      : mPool(pool), mKind(kind), mFirstShard(firstShard % StringPool::SHARD_COUNT), mSlotCount(slots),
        mArenaBytes(std::max<size_t>(slots * 32, std::min<size_t>(slots * 64, size_t{1} << 20))), mSlots(slots) {
    mArena.reserve(mArenaBytes + 65536);
    mUsed.reserve(slots / 2);
  }

  // Counts the field when it is in the table; its key then goes to `key`.
  bool find(const char* raw, size_t n, uint64_t hash, uint64_t& key) {
    for (size_t i = hash & (mSlotCount - 1);; i = (i + 1) & (mSlotCount - 1)) {
      Slot& s = mSlots[i];
      if (s.count == 0) return false;
      if (s.hash == hash && s.length == n && sameBytes(mArena.data() + s.offset, raw, n)) {
        ++s.count;
        key = s.key;
        return true;
      }
    }
  }

  // Adds a field that find() did not know, with its text key.
  void add(const char* raw, size_t n, uint64_t hash, uint64_t key) {
    size_t i = hash & (mSlotCount - 1);
    while (mSlots[i].count != 0) i = (i + 1) & (mSlotCount - 1);
    mSlots[i] = Slot{hash, key, 1, static_cast<uint32_t>(mArena.size()), static_cast<uint32_t>(n)};
    mArena.append(raw, n);
    mUsed.push_back(i);
    if (mUsed.size() >= mSlotCount / 2 || mArena.size() >= mArenaBytes) flush();
  }

  // Hands a field over without looking for it in the table: for columns
  // whose texts are nearly all new, where the table could only miss. The
  // pool adds its count to any other hand-over of the same text.
  void addOnce(const char* raw, size_t n, uint64_t key) {
    mOnce.push_back(Slot{0, key, 1, static_cast<uint32_t>(mOnceArena.size()), static_cast<uint32_t>(n)});
    mOnceArena.append(raw, n);
    if (mOnce.size() >= mSlotCount / 2 || mOnceArena.size() >= mArenaBytes) flushOnce();
  }

  // Hands counts to the pool; a key held there by another text sets
  // collided(). A partial flush (the table is full) keeps the fields seen more
  // than once since they came in, so hot texts stay here and cost the pool
  // one call in all; the final flush hands over everything.
  void flush(bool all = false) {
    if (all) flushOnce();
    std::vector<Slot> kept, handed;
    size_t keptBytes = 0;
    handed.reserve(mUsed.size());
    for (size_t i : mUsed) {
      Slot& s = mSlots[i];
      if (!all && s.count >= 2 && kept.size() < mSlotCount / 4 && keptBytes + s.length <= mArenaBytes / 2) {
        kept.push_back(s);
        keptBytes += s.length;
      } else {
        handed.push_back(s);
      }
      s = Slot{};
    }
    mUsed.clear();
    handOver(handed, mArena.data());
    mKeptArena.clear();
    for (Slot& k : kept) {
      mKeptArena.append(mArena, k.offset, k.length);
      k.offset = static_cast<uint32_t>(mKeptArena.size() - k.length);
    }
    mArena.swap(mKeptArena);
    for (const Slot& k : kept) {
      size_t i = k.hash & (mSlotCount - 1);
      while (mSlots[i].count != 0) i = (i + 1) & (mSlotCount - 1);
      mSlots[i] = k;
      mUsed.push_back(i);
    }
  }

  bool collided() const { return mCollided; }

 private:
  struct Slot {
    uint64_t hash = 0;
    uint64_t key = 0;
    uint64_t count = 0;   // 0: the slot is free
    uint32_t offset = 0;  // of the raw bytes in mArena
    uint32_t length = 0;
  };

  // Adds the entries to the pool one shard at a time (one lock each), in the
  // order of the pool's shards starting at a shard of this thread's own, so
  // that threads handing over at the same time mostly take different shards.
  void flushOnce() {
    handOver(mOnce, mOnceArena.data());
    mOnce.clear();
    mOnceArena.clear();
  }

  // Entries whose raw bytes lie in `arena` at their offsets.
  void handOver(const std::vector<Slot>& entries, const char* arena) {
    const size_t shards = StringPool::SHARD_COUNT;
    std::vector<size_t> start(shards + 1, 0);
    std::vector<size_t> shardOf(entries.size());
    for (size_t k = 0; k < entries.size(); ++k) {
      shardOf[k] = (StringPool::shardIndex(entries[k].key) + shards - mFirstShard) % shards;
      ++start[shardOf[k] + 1];
    }
    for (size_t i = 0; i < shards; ++i) start[i + 1] += start[i];
    std::vector<StringPool::CountedText> order(entries.size());
    size_t wideUnits = 0;
    for (const Slot& e : entries) wideUnits += e.length + 1;
    if (mWide.size() < wideUnits) mWide.resize(wideUnits);
    size_t at = 0;
    for (size_t k = 0; k < entries.size(); ++k) {
      const Slot& e = entries[k];
      const size_t m = decodeField(mKind, arena + e.offset, e.length, mWide.data() + at);
      order[start[shardOf[k]]++] = StringPool::CountedText{e.key, mWide.data() + at, (m + 1) * 2, e.count};
      at += m + 1;
    }
    size_t from = 0;
    while (from < order.size()) {
      size_t to = from + 1;
      const size_t shard = StringPool::shardIndex(order[from].key);
      while (to < order.size() && StringPool::shardIndex(order[to].key) == shard) ++to;
      mPool.addCountedBatch(order.data() + from, to - from, mCollided);
      from = to;
    }
  }

  StringPool& mPool;
  int mKind;
  size_t mFirstShard;
  size_t mSlotCount;   // a power of two
  size_t mArenaBytes;  // raw bytes kept before a flush
  std::vector<Slot> mSlots;
  std::vector<size_t> mUsed;
  std::string mArena;
  std::string mKeptArena;
  std::vector<Slot> mOnce;  // fields handed over without the table (addOnce)
  std::string mOnceArena;   // their raw bytes
  std::vector<char16_t> mWide;
  bool mCollided = false;
};

}  // namespace
