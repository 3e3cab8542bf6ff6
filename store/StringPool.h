// The sheet's string pool: every text-like value of a sheet, stored once under a 64-bit
// text key with a reference count.
//
// Model: a map from key to entry; an entry is the stored bytes (a wide text's UTF-16LE
// code units with their 2-byte NUL, or a raw byte string) followed by a 64-bit count.
// The size the document head records for an entry is (bytes + 8) + 8, and the pool keeps
// the head's mPoolBytes equal to the sum of that over all entries.
//
// Storage: 64 shards chosen by the top bits of the mixed key; each shard is a flat
// open-addressing table of 4-byte arena references (linear probing, load at most 0.7,
// backward-shift deletion), held 14 to a 64-byte line with a 4-bit tag of hash bits
// per slot so that a probe passes other entries without reading them, over a chunked
// arena of entries laid out as
// [key 8][count << 24 | length 8][length 8, only for entries of 16 MB or more][bytes],
// each starting on a 4-byte boundary. Released entries leave dead arena bytes that are
// reclaimed by compacting the shard once they outweigh the live ones.
//
// Threads: only addCounted(), releaseCounted() and reserve() may run concurrently, and only with each other
// (each shard has its own lock). Every other operation needs the pool to itself.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class StringPool {
 public:
  // `poolBytes` points at the counter the pool keeps exact (the document head's
  // mPoolBytes, 8-byte aligned); null keeps no counter.
  explicit StringPool(int64_t* poolBytes = nullptr);
  ~StringPool();
  StringPool(const StringPool&) = delete;
  StringPool& operator=(const StringPool&) = delete;

  // One entry as stored: its bytes (valid until the pool changes) and its count.
  struct Entry {
    const char* bytes = nullptr;
    size_t len = 0;
    uint64_t count = 0;
  };

  // Stores the bytes with a count of 1, or counts them once more when `key` holds the
  // same bytes; when another text holds `key`, tries key + 1, key + 2, ... (wrapping,
  // skipping 0). Returns the key under which the bytes are stored; 0 for len 0.
  uint64_t intern(uint64_t key, const void* bytes, size_t len);
  // The same for a wide text: its UTF-16LE code units and a 2-byte NUL are stored, so it
  // shares its entry with a byte string of those bytes. Empty text returns 0.
  uint64_t internText(uint64_t key, std::u16string_view text);

  // Bulk entry point for parallel importers, safe to call from several threads at once.
  // Adds `count` (>= 1) references to the entry under exactly `key` holding these bytes,
  // creating it when `key` is free, and returns `key`. When `key` is held by different
  // bytes, sets `collided` and returns 0 without changing anything (no probing: the
  // caller then redoes its work sequentially through intern()). `collided` is never
  // cleared here. len 0 or count 0 returns 0 and changes nothing.
  uint64_t addCounted(uint64_t key, const void* bytes, size_t len, uint64_t count, bool& collided);
  // addCounted for a batch of texts that all lie in one shard (shardIndex of every key
  // the same): the shard's lock is taken once and the byte counter changed once. A text
  // whose key is held by different bytes sets `collided` and is skipped.
  struct CountedText {
    uint64_t key;
    const void* bytes;
    size_t len;
    uint64_t count;
  };
  void addCountedBatch(const CountedText* texts, size_t n, bool& collided);
  // Merging another pool (an appended file's texts) shard by shard on up to `threads`
  // threads; both pools must be left to the caller meanwhile. clashesWith() tells
  // whether a key of `other` is held here by different bytes (the merge could not keep
  // both); addAll() then adds every entry of `other` as addCounted would, counts
  // summed and the byte counter following.
  bool clashesWith(const StringPool& other, unsigned threads) const;
  void addAll(const StringPool& other, unsigned threads);
  // The 64-bit finalizer of MurmurHash3 that places keys: the top bits of the mixed key
  // pick the shard, the low bits the slot. Code that walks keys in this order walks the
  // pool's tables in order.
  static constexpr uint64_t mixKey(uint64_t key) {
    key ^= key >> 33;
    key *= 0xff51afd7ed558ccdULL;
    key ^= key >> 33;
    key *= 0xc4ceb9fe1a85ec53ULL;
    key ^= key >> 33;
    return key;
  }
  // The shard that holds `key` (0 .. SHARD_COUNT - 1).
  static size_t shardIndex(uint64_t key) { return size_t(mixKey(key) >> (64 - SHARD_BITS)); }

  // Drops one reference; removes the entry when none is left. An absent key does nothing.
  void release(uint64_t key);
  // Bulk counterpart for parallel commands, safe to call from several threads at once
  // (with each other and with addCounted only): drops `count` references to `key`,
  // removing the entry when that leaves none. An absent key does nothing.
  void releaseCounted(uint64_t key, uint64_t count);

  // Address of the entry's first stored byte, or null. Valid until the pool changes.
  const char* find(uint64_t key) const;
  // Fills `out` and returns true when `key` is stored.
  bool lookup(uint64_t key, Entry& out) const;
  // Asks the processor for the table line where a look-up of `key` starts, so that
  // the look-ups of many keys made next overlap their waits for memory. Changes nothing.
  void prefetch(uint64_t key) const;

  // Stores an entry exactly as given (document reader): replaces whatever `key` held and
  // leaves the byte counter alone. len 0 or count 0 stores nothing (and removes `key`).
  void put(uint64_t key, const void* bytes, size_t len, uint64_t count);

  // Counting the references a sheet holds into the entries themselves (the document
  // reader makes every count the references held, whatever a file stated).
  // beginRecount() sets every count to 0; countInShard() adds one reference for each of
  // keys[0..n), which all lie in shard `shard` (shardIndex), and returns how many of
  // them are not stored (a count stops at MAX_COUNT); endRecount() removes the entries
  // still at 0, the byte counter following. In between only countInShard() may run,
  // concurrently only for different shards.
  // `scratch`, when given, has room for n keys: the keys are then taken in the order of
  // their home slots, so that a long run walks the table and the arena forward instead
  // of at random (the counts come out the same).
  // beginRecount() and endRecount() walk the shards on up to `threads` threads.
  void beginRecount(unsigned threads = 1);
  size_t countInShard(size_t shard, const uint64_t* keys, size_t n, uint64_t* scratch = nullptr);
  void endRecount(unsigned threads = 1);

  // Drops every entry; the byte counter is left to the caller (the head is zeroed).
  void clear();

  // Makes room for about `entries` more distinct entries spread over the shards, on up
  // to `threads` threads when the tables are large.
  void reserve(size_t entries, unsigned threads = 1);

  // The faults of the pool's storage against the invariants stated above (each entry
  // reachable from its home slot and held in its shard, the slot tags its hash bits, a
  // count of 1 .. MAX_COUNT, the arena's live bytes those of its entries), one line
  // each; empty when there are none. Needs the pool to itself; not during a recount.
  std::string structureCheck() const;

  size_t size() const;  // number of entries
  // Bytes in use by the tables and the written part of the arena chunks (a chunk's
  // untouched tail is not counted: large chunks are mapped lazily).
  size_t memoryBytes() const;

  // Calls f(key, bytes, len, count) for every entry, in storage order.
  template <class F>
  void forEach(F&& f) const;

  // The size an entry adds to mPoolBytes: bytes + 8 (the count) + 8.
  static int64_t accountedBytes(size_t len) { return static_cast<int64_t>(len) + 16; }
  static constexpr uint64_t MAX_COUNT = (uint64_t(1) << 40) - 1;  // largest count stored

  struct Shard;
  static constexpr int SHARD_BITS = 6;
  static constexpr int SHARD_COUNT = 1 << SHARD_BITS;

 private:
  Shard& shardOf(uint64_t key) const;
  uint64_t internTail(uint64_t key, const void* bytes, size_t len, size_t zeroTail);
  void forEachRaw(void (*fn)(void*, uint64_t, const char*, size_t, uint64_t), void* ctx) const;
  void addCounter(int64_t delta, bool atomic);

  int64_t* mPoolBytes;
  std::unique_ptr<Shard[]> mShards;
};

template <class F>
void StringPool::forEach(F&& f) const {
  using Fn = std::remove_reference_t<F>;
  forEachRaw([](void* ctx, uint64_t key, const char* bytes, size_t len,
                uint64_t count) { (*static_cast<Fn*>(ctx))(key, bytes, len, count); },
             const_cast<void*>(static_cast<const void*>(&f)));
}
