// Reference counts per text key over a fixed set of keys (the keys of a pool), for
// recounting the references that part of a sheet holds. The table is made once with
// every key, so counting never inserts: several threads may count at once.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

class StringPool;

class KeyCounts {
 public:
  // A table holding every key of `pool`, each with a count of 0.
  explicit KeyCounts(const StringPool& pool);

  // Counts one reference to `key`; a key outside the set (0 included) is ignored.
  // Safe to call from several threads at once.
  void add(uint64_t key);
  // True when `key` is one of the set.
  bool has(uint64_t key) const { return find(key) != nullptr; }
  // The references counted for `key`; 0 for a key outside the set.
  uint64_t get(uint64_t key) const;
  // The number of keys counted at least once, and the sum of StringPool::accountedBytes
  // over their entries (the head's pool bytes of a file holding just those entries).
  size_t counted(int64_t& accountedBytes) const;

 private:
  struct Slot {
    uint64_t key;  // 0: empty
    uint64_t count;
    uint64_t len;  // the entry's length in the pool
  };
  const Slot* find(uint64_t key) const;

  struct Free {
    void operator()(Slot* p) const { std::free(p); }
  };
  std::unique_ptr<Slot[], Free> mSlots;  // a power of two of slots, at most 70% full
  uint64_t mMask = 0;
};
