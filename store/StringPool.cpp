#include "store/StringPool.h"

#include "store/Alloc.h"
#include "store/LargeBlock.h"
#include "store/Parallel.h"
#include "store/RowSlab.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Arena references: chunk index in the high 14 bits, offset in 4-byte units in the low
// 18 (so a normal chunk holds at most 1 MB). Unit 0 of every chunk is never used, so a
// reference is never 0 and 0 marks an empty table slot.
constexpr int UNIT_BITS = 18;
constexpr uint32_t UNIT_MASK = (1u << UNIT_BITS) - 1;
constexpr size_t MAX_CHUNKS = size_t(1) << (32 - UNIT_BITS);
constexpr size_t UNIT = 4;
constexpr size_t FIRST_CHUNK_BYTES = 4096;
constexpr size_t MAX_CHUNK_BYTES = size_t(1) << (UNIT_BITS + 2);
// The largest normal chunk: a little under MAX_CHUNK_BYTES, so that four fill a row slab.
constexpr size_t LARGEST_CHUNK_BYTES = MAX_CHUNK_BYTES - 64;
constexpr size_t DEDICATED_FROM = 64 * 1024;  // entries this large get a chunk of their own

// Entry head: [key][count << 24 | length code]; a length code of LONG_LEN means that the
// real length follows as a third 64-bit word.
constexpr size_t HEAD = 16;
constexpr uint64_t LONG_LEN = 0xFFFFFF;
constexpr int COUNT_SHIFT = 24;

inline uint64_t mix(uint64_t key) { return StringPool::mixKey(key); }

inline uint64_t load64(const char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline void store64(char* p, uint64_t v) { std::memcpy(p, &v, 8); }

inline size_t entrySize(size_t len) {
  size_t head = HEAD + (len >= LONG_LEN ? 8 : 0);
  return (head + len + UNIT - 1) / UNIT * UNIT;
}

// Normal chunks come from the row slabs (and so from large pages where the system has
// them), except under AddressSanitizer, which then still sees a read past a chunk;
// dedicated chunks from the C library.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSlabChunks = false;
#else
constexpr bool kSlabChunks = true;
#endif

char* chunkMemory(size_t bytes, bool dedicated) {
  if (kSlabChunks && !dedicated && bytes <= rowslab::SLAB_BLOCK_LIMIT)
    return static_cast<char*>(rowslab::allocateBlock(bytes));
  return static_cast<char*>(std::malloc(bytes));
}

void freeChunkMemory(char* data) {
  if (rowslab::owns(data)) rowslab::release(data);
  else std::free(data);
}

struct Chunk {
  char* data = nullptr;
  size_t bytes = 0;    // capacity
  size_t used = UNIT;  // next free byte; unit 0 stays unused
  bool dedicated = false;
};

// The chunks of one shard. Entries never move except when a shard is compacted.
struct Arena {
  std::vector<Chunk> chunks;
  std::vector<uint32_t> freeChunks;  // indices of empty chunk records
  int64_t current = -1;              // the normal chunk that takes new entries
  size_t liveBytes = 0;              // bytes of entries in normal chunks
  size_t deadBytes = 0;              // bytes of removed entries in normal chunks

  void freeAll() {
    for (Chunk& c : chunks) freeChunkMemory(c.data);
    *this = Arena{};
  }

  char* at(uint32_t ref) const { return chunks[ref >> UNIT_BITS].data + size_t(ref & UNIT_MASK) * UNIT; }

  uint32_t takeIndex() {
    allocfail::check(allocfail::POOL);
    if (!freeChunks.empty()) {
      uint32_t i = freeChunks.back();
      freeChunks.pop_back();
      return i;
    }
    if (chunks.size() >= MAX_CHUNKS) throw std::bad_alloc();
    chunks.emplace_back();
    return uint32_t(chunks.size() - 1);
  }

  uint32_t newChunk(size_t bytes, bool dedicated) {
    char* data = allocfail::inject(allocfail::POOL) ? nullptr : chunkMemory(bytes, dedicated);
    if (!data) throw std::bad_alloc();
    uint32_t i;
    try {
      i = takeIndex();
    } catch (...) {
      freeChunkMemory(data);
      throw;
    }
    chunks[i] = Chunk{data, bytes, UNIT, dedicated};
    return i;
  }

  // Space for an entry of `size` bytes (a multiple of UNIT); returns its reference.
  uint32_t allocate(size_t size) {
    if (size + UNIT > DEDICATED_FROM) {
      uint32_t i = newChunk(size + UNIT, true);
      chunks[i].used = size + UNIT;
      return i << UNIT_BITS | 1u;
    }
    if (current < 0 || chunks[current].used + size > chunks[current].bytes) {
      size_t bytes = current < 0 ? FIRST_CHUNK_BYTES : std::min(chunks[current].bytes * 2, LARGEST_CHUNK_BYTES);
      current = newChunk(std::max(bytes, size + UNIT), false);
    }
    Chunk& c = chunks[current];
    uint32_t ref = uint32_t(current) << UNIT_BITS | uint32_t(c.used / UNIT);
    c.used += size;
    liveBytes += size;
    return ref;
  }

  // Gives back an entry's space: a dedicated chunk at once, normal space as dead bytes.
  void discard(uint32_t ref, size_t size) {
    Chunk& c = chunks[ref >> UNIT_BITS];
    if (c.dedicated) {
      freeChunkMemory(c.data);
      c = Chunk{};
      freeChunks.push_back(ref >> UNIT_BITS);
    } else {
      liveBytes -= size;
      deadBytes += size;
    }
  }

  size_t memory() const {
    size_t m = 0;
    for (const Chunk& c : chunks) m += c.data ? c.used : 0;
    return m;
  }
};

}  // namespace

// The slot table of a shard: slot i lies in line i / SLOTS_PER_LINE, which holds the
// arena references of its SLOTS_PER_LINE slots and a 4-bit tag for each (0: the slot
// is empty; else drawn from hash bits that do not choose the slot). A probe reads the
// line and goes to the arena only for a slot whose tag matches, so passing other
// entries and finding a text absent cost no arena access.
constexpr size_t SLOTS_PER_LINE = 14;
struct alignas(64) SlotLine {
  uint32_t refs[SLOTS_PER_LINE];  // 0 exactly where the tag is 0
  uint64_t tags;                  // slot p's tag in bits 4p .. 4p + 3
};
static_assert(sizeof(SlotLine) == 64, "a line of slots is one cache line");

// The tag of a mixed key, 1 .. 15, from bits 40 .. 55 (a slot index uses the low bits,
// the shard the top ones).
inline unsigned tagOf(uint64_t mixed) { return unsigned(((mixed >> 40) & 0xFFFF) * 15 >> 16) + 1; }

inline size_t lineCount(uint64_t slots) { return size_t((slots + SLOTS_PER_LINE - 1) / SLOTS_PER_LINE); }

struct StringPool::Shard {
  mutable std::mutex lock;
  SlotLine* lines = nullptr;  // the lines of mask + 1 slots (a power of two)
  uint64_t mask = 0;          // 0 while no table is allocated
  size_t used = 0;            // occupied slots == entries
  Arena arena;

  ~Shard() { reset(); }

  void reset() {
    arena.freeAll();
    largeblock::release(lines, mask ? lineCount(mask + 1) * sizeof(SlotLine) : 0);
    lines = nullptr;
    mask = 0;
    used = 0;
  }

  char* at(uint32_t ref) const { return arena.at(ref); }
  static uint64_t keyOf(const char* e) { return load64(e); }
  static uint64_t countOf(const char* e) { return load64(e + 8) >> COUNT_SHIFT; }
  static size_t lenOf(const char* e) {
    uint64_t code = load64(e + 8) & LONG_LEN;
    return code == LONG_LEN ? size_t(load64(e + HEAD)) : size_t(code);
  }
  static const char* bytesOf(const char* e) { return e + HEAD + ((load64(e + 8) & LONG_LEN) == LONG_LEN ? 8 : 0); }
  static void setCount(char* e, uint64_t count) {
    store64(e + 8, (count << COUNT_SHIFT) | (load64(e + 8) & LONG_LEN));
  }

  static unsigned tagIn(const SlotLine* lines, uint64_t i) {
    return unsigned(lines[i / SLOTS_PER_LINE].tags >> (4 * (i % SLOTS_PER_LINE))) & 15;
  }
  // Fills slot i of a table (tag 0 with ref 0 empties it).
  static void setIn(SlotLine* lines, uint64_t i, uint32_t ref, unsigned tag) {
    assert((ref == 0) == (tag == 0));
    SlotLine& line = lines[i / SLOTS_PER_LINE];
    const unsigned shift = unsigned(4 * (i % SLOTS_PER_LINE));
    line.refs[i % SLOTS_PER_LINE] = ref;
    line.tags = (line.tags & ~(uint64_t(15) << shift)) | uint64_t(tag) << shift;
  }
  uint32_t refAt(uint64_t i) const { return lines[i / SLOTS_PER_LINE].refs[i % SLOTS_PER_LINE]; }
  unsigned tagAt(uint64_t i) const { return tagIn(lines, i); }
  void setSlot(uint64_t i, uint32_t ref, unsigned tag) { setIn(lines, i, ref, tag); }
  // Asks for the line where a probe for a key of this mixed value starts.
  void prefetch(uint64_t mixed) const {
    if (mask) __builtin_prefetch(&lines[(mixed & mask) / SLOTS_PER_LINE]);
  }

  // Slot holding `key` (whose mixed value is `mixed`), or the empty slot where it would
  // go (a table must exist).
  uint64_t probe(uint64_t key, uint64_t mixed) const {
    const unsigned tag = tagOf(mixed);
    for (uint64_t i = mixed & mask;; i = (i + 1) & mask) {
      const SlotLine& line = lines[i / SLOTS_PER_LINE];
      const size_t p = i % SLOTS_PER_LINE;
      const unsigned t = unsigned(line.tags >> (4 * p)) & 15;
      if (t == 0 || (t == tag && keyOf(at(line.refs[p])) == key)) return i;
    }
  }
  uint64_t probe(uint64_t key) const { return probe(key, mix(key)); }
  const char* findEntry(uint64_t key) const {
    if (used == 0) return nullptr;
    uint32_t ref = refAt(probe(key));
    return ref ? at(ref) : nullptr;
  }

  // Makes the table large enough for `want` entries at a load of at most 0.7.
  void growTable(size_t want) {
    uint64_t cap = mask ? mask + 1 : 16;
    while (want * 10 > cap * 7) cap *= 2;
    if (mask && cap == mask + 1) return;
    const size_t bytes = lineCount(cap) * sizeof(SlotLine);
    auto* fresh = allocfail::inject(allocfail::POOL) ? nullptr
                                                     : static_cast<SlotLine*>(largeblock::allocate(bytes));
    if (!fresh) throw std::bad_alloc();
    largeblock::touchForWrite(fresh, bytes);  // the probes below read it before they write
    SlotLine* old = lines;
    const uint64_t oldCap = mask ? mask + 1 : 0;
    for (uint64_t i = 0; i < oldCap; ++i) {
      const uint32_t ref = old[i / SLOTS_PER_LINE].refs[i % SLOTS_PER_LINE];
      if (ref == 0) continue;
      const uint64_t mixed = mix(keyOf(at(ref)));
      uint64_t j = mixed & (cap - 1);
      while (tagIn(fresh, j) != 0) j = (j + 1) & (cap - 1);
      setIn(fresh, j, ref, tagOf(mixed));
    }
    largeblock::release(old, oldCap ? lineCount(oldCap) * sizeof(SlotLine) : 0);
    lines = fresh;
    mask = cap - 1;
  }

  // Creates an entry for `key`, which must be absent. Throws std::bad_alloc with the
  // shard unchanged.
  // The entry's bytes are `bytes` (len) followed by `zeroTail` zero bytes.
  void create(uint64_t key, const void* bytes, size_t len, uint64_t count, size_t zeroTail = 0) {
    growTable(used + 1);
    const uint64_t mixed = mix(key);
    createAt(probe(key, mixed), key, mixed, bytes, len, count, zeroTail);
  }

  // Whether the table takes one entry more without growing (create() would
  // keep it as it is).
  bool roomForOne() const { return mask != 0 && (used + 1) * 10 <= (mask + 1) * 7; }

  // create() where a probe for the absent `key` (of mixed value `mixed`) ended,
  // at the empty `slot`, when roomForOne(): the new text's path probes once.
  void createAt(uint64_t slot, uint64_t key, uint64_t mixed, const void* bytes, size_t len, uint64_t count,
                size_t zeroTail = 0) {
    assert(roomForOne() && refAt(slot) == 0);
    const size_t total = len + zeroTail;
    uint32_t ref = arena.allocate(entrySize(total));
    char* e = at(ref);
    store64(e, key);
    size_t code = total >= LONG_LEN ? LONG_LEN : total;
    store64(e + 8, (count << COUNT_SHIFT) | code);
    if (code == LONG_LEN) store64(e + HEAD, total);
    char* dst = const_cast<char*>(bytesOf(e));
    std::memcpy(dst, bytes, len);
    std::memset(dst + len, 0, zeroTail);
    setSlot(slot, ref, tagOf(mixed));
    ++used;
  }

  // Removes the entry in slot `i`, closing the probe gap by backward shifting.
  void erase(uint64_t i) {
    arena.discard(refAt(i), entrySize(lenOf(at(refAt(i)))));
    uint64_t j = i;
    for (;;) {
      j = (j + 1) & mask;
      if (tagAt(j) == 0) break;
      uint64_t home = mix(keyOf(at(refAt(j)))) & mask;
      // slot j may fill the hole at i unless its home lies cyclically in (i, j].
      bool stays = (i <= j) ? (home > i && home <= j) : (home > i || home <= j);
      if (!stays) {
        setSlot(i, refAt(j), tagAt(j));
        i = j;
      }
    }
    setSlot(i, 0, 0);
    --used;
    if (used == 0) {
      reset();
    } else if (arena.deadBytes > arena.liveBytes && arena.deadBytes >= FIRST_CHUNK_BYTES) {
      compact();
    }
  }

  // Copies the live entries of normal chunks into fresh chunks. Out of memory leaves the
  // shard as it was (the dead bytes stay until a later attempt).
  void compact() {
    Arena fresh;
    fresh.chunks.resize(arena.chunks.size());
    for (size_t i = 0; i < arena.chunks.size(); ++i) {
      if (arena.chunks[i].dedicated) fresh.chunks[i] = arena.chunks[i];
      else fresh.freeChunks.push_back(uint32_t(i));
    }
    std::reverse(fresh.freeChunks.begin(), fresh.freeChunks.end());  // low indices first
    std::vector<uint32_t> refs;
    try {
      refs.resize(mask + 1);
      for (uint64_t i = 0; i <= mask; ++i) refs[i] = refAt(i);
      for (uint32_t& ref : refs) {
        if (ref == 0 || arena.chunks[ref >> UNIT_BITS].dedicated) continue;
        const char* src = at(ref);
        size_t size = entrySize(lenOf(src));
        uint32_t moved = fresh.allocate(size);
        std::memcpy(fresh.at(moved), src, size);
        ref = moved;
      }
    } catch (const std::bad_alloc&) {
      for (Chunk& c : fresh.chunks)
        if (c.data && !c.dedicated) freeChunkMemory(c.data);
      return;
    }
    for (Chunk& c : arena.chunks)
      if (c.data && !c.dedicated) freeChunkMemory(c.data);
    arena = std::move(fresh);
    for (uint64_t i = 0; i <= mask; ++i)
      if (refs[i] != 0) lines[i / SLOTS_PER_LINE].refs[i % SLOTS_PER_LINE] = refs[i];
  }

  size_t memory() const { return (mask ? lineCount(mask + 1) * sizeof(SlotLine) : 0) + arena.memory(); }
};

StringPool::StringPool(int64_t* poolBytes) : mPoolBytes(poolBytes), mShards(new Shard[SHARD_COUNT]) {
  assert(!poolBytes || reinterpret_cast<uintptr_t>(poolBytes) % alignof(int64_t) == 0);
}

StringPool::~StringPool() = default;

StringPool::Shard& StringPool::shardOf(uint64_t key) const { return mShards[shardIndex(key)]; }

void StringPool::addCounter(int64_t delta, bool atomic) {
  if (!mPoolBytes) return;
  if (atomic) std::atomic_ref<int64_t>(*mPoolBytes).fetch_add(delta, std::memory_order_relaxed);
  else *mPoolBytes += delta;
}

uint64_t StringPool::intern(uint64_t key, const void* bytes, size_t len) { return internTail(key, bytes, len, 0); }

uint64_t StringPool::internText(uint64_t key, std::u16string_view text) {
  if (text.empty()) return 0;
  return internTail(key, text.data(), text.size() * 2, 2);
}

// intern() of `len` bytes followed by `zeroTail` (0..8) zero bytes.
uint64_t StringPool::internTail(uint64_t key, const void* bytes, size_t len, size_t zeroTail) {
  static const char kZeros[8] = {};
  const size_t total = len + zeroTail;
  if (total == 0) return 0;
  for (;; ++key) {
    if (key == 0) continue;  // 0 means "no text"; probing passes over it
    Shard& s = shardOf(key);
    const char* e = s.findEntry(key);
    if (!e) {
      s.create(key, bytes, len, 1, zeroTail);
      addCounter(accountedBytes(total), false);
      return key;
    }
    const char* stored = Shard::bytesOf(e);
    if (Shard::lenOf(e) == total && std::memcmp(stored, bytes, len) == 0 &&
        std::memcmp(stored + len, kZeros, zeroTail) == 0) {
      uint64_t count = Shard::countOf(e);
      assert(count < MAX_COUNT);
      Shard::setCount(const_cast<char*>(e), count + 1);
      return key;
    }
  }
}

uint64_t StringPool::addCounted(uint64_t key, const void* bytes, size_t len, uint64_t count, bool& collided) {
  if (len == 0 || count == 0) return 0;
  Shard& s = shardOf(key);
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.mask == 0) s.growTable(1);
  const uint64_t mixed = mix(key);
  uint64_t i = s.probe(key, mixed);
  if (s.refAt(i) == 0) {
    assert(count <= MAX_COUNT);
    if (s.roomForOne()) s.createAt(i, key, mixed, bytes, len, count);
    else s.create(key, bytes, len, count);
    addCounter(accountedBytes(len), true);
    return key;
  }
  char* e = s.at(s.refAt(i));
  if (Shard::lenOf(e) != len || std::memcmp(Shard::bytesOf(e), bytes, len) != 0) {
    collided = true;
    return 0;
  }
  uint64_t total = Shard::countOf(e) + count;
  assert(total <= MAX_COUNT);
  Shard::setCount(e, total);
  return key;
}

void StringPool::addCountedBatch(const CountedText* texts, size_t n, bool& collided) {
  if (n == 0) return;
  Shard& s = shardOf(texts[0].key);
  int64_t added = 0;
  try {
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.mask == 0) s.growTable(n);
    constexpr size_t AHEAD = 8;  // lines asked for ahead of the probe that reads them
    for (size_t k = 0; k < std::min(n, AHEAD); ++k) s.prefetch(mix(texts[k].key));
    for (size_t k = 0; k < n; ++k) {
      const CountedText& t = texts[k];
      assert(&shardOf(t.key) == &s);
      if (k + AHEAD < n) s.prefetch(mix(texts[k + AHEAD].key));
      if (t.len == 0 || t.count == 0) continue;
      const uint64_t mixed = mix(t.key);
      uint64_t i = s.probe(t.key, mixed);
      if (s.refAt(i) == 0) {
        assert(t.count <= MAX_COUNT);
        if (s.roomForOne()) s.createAt(i, t.key, mixed, t.bytes, t.len, t.count);
        else s.create(t.key, t.bytes, t.len, t.count);
        added += accountedBytes(t.len);
        continue;
      }
      char* e = s.at(s.refAt(i));
      if (Shard::lenOf(e) != t.len || std::memcmp(Shard::bytesOf(e), t.bytes, t.len) != 0) {
        collided = true;
        continue;
      }
      const uint64_t total = Shard::countOf(e) + t.count;
      assert(total <= MAX_COUNT);
      Shard::setCount(e, total);
    }
  } catch (...) {  // out of memory: the entries made so far are counted
    addCounter(added, true);
    throw;
  }
  if (added) addCounter(added, true);
}

void StringPool::release(uint64_t key) {
  Shard& s = shardOf(key);
  if (s.used == 0) return;
  uint64_t i = s.probe(key);
  if (s.refAt(i) == 0) return;
  char* e = s.at(s.refAt(i));
  uint64_t count = Shard::countOf(e);
  if (count > 1) {
    Shard::setCount(e, count - 1);
    return;
  }
  addCounter(-accountedBytes(Shard::lenOf(e)), false);
  s.erase(i);
}

void StringPool::releaseCounted(uint64_t key, uint64_t count) {
  if (count == 0) return;
  Shard& s = shardOf(key);
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.used == 0) return;
  uint64_t i = s.probe(key);
  if (s.refAt(i) == 0) return;
  char* e = s.at(s.refAt(i));
  uint64_t have = Shard::countOf(e);
  if (have > count) {
    Shard::setCount(e, have - count);
    return;
  }
  addCounter(-accountedBytes(Shard::lenOf(e)), true);
  s.erase(i);
}

const char* StringPool::find(uint64_t key) const {
  const char* e = shardOf(key).findEntry(key);
  return e ? Shard::bytesOf(e) : nullptr;
}

bool StringPool::lookup(uint64_t key, Entry& out) const {
  const char* e = shardOf(key).findEntry(key);
  if (!e) return false;
  out.bytes = Shard::bytesOf(e);
  out.len = Shard::lenOf(e);
  out.count = Shard::countOf(e);
  return true;
}

void StringPool::prefetch(uint64_t key) const {
  const uint64_t mixed = mixKey(key);
  mShards[mixed >> (64 - SHARD_BITS)].prefetch(mixed);
}

void StringPool::put(uint64_t key, const void* bytes, size_t len, uint64_t count) {
  Shard& s = shardOf(key);
  if (s.used != 0) {
    uint64_t i = s.probe(key);
    if (s.refAt(i) != 0) s.erase(i);
  }
  if (len == 0 || count == 0) return;
  if (count > MAX_COUNT) count = MAX_COUNT;
  s.create(key, bytes, len, count);
}

void StringPool::clear() {
  for (int i = 0; i < SHARD_COUNT; ++i) mShards[i].reset();
}

void StringPool::reserve(size_t entries, unsigned threads) {
  const size_t per = entries / SHARD_COUNT + entries / (SHARD_COUNT * 8) + 16;
  // Large tables are zeroed, and their pages first touched, on several threads.
  if (per < 65536) threads = 1;
  parallelChunks(SHARD_COUNT, std::min<unsigned>(threads, SHARD_COUNT), [&](unsigned, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
      std::lock_guard<std::mutex> guard(mShards[i].lock);
      mShards[i].growTable(mShards[i].used + per);
    }
  });
}

std::string StringPool::structureCheck() const {
  std::string faults;
  auto fault = [&](int shard, const std::string& what) {
    if (faults.size() < 2000) faults += "pool shard " + std::to_string(shard) + ": " + what + "\n";
  };
  for (int si = 0; si < SHARD_COUNT; ++si) {
    const Shard& s = mShards[si];
    if (s.mask == 0) {
      if (s.used != 0) fault(si, "entries without a table");
      continue;
    }
    size_t occupied = 0, live = 0;
    for (uint64_t i = 0; i <= s.mask; ++i) {
      const uint32_t ref = s.refAt(i);
      if ((ref == 0) != (s.tagAt(i) == 0)) fault(si, "slot " + std::to_string(i) + " half empty");
      if (ref == 0) continue;
      ++occupied;
      const char* e = s.at(ref);
      const uint64_t key = Shard::keyOf(e), mixed = mix(key);
      if (shardIndex(key) != size_t(si)) fault(si, "key " + std::to_string(key) + " of another shard");
      if (s.tagAt(i) != tagOf(mixed)) fault(si, "slot " + std::to_string(i) + " tagged wrong");
      for (uint64_t j = mixed & s.mask; j != i; j = (j + 1) & s.mask) {
        if (s.refAt(j) == 0) {
          fault(si, "key " + std::to_string(key) + " cut off from its home slot");
          break;
        }
      }
      const uint64_t count = Shard::countOf(e);
      if (count == 0 || count > MAX_COUNT)
        fault(si, "key " + std::to_string(key) + " counts " + std::to_string(count));
      if (!s.arena.chunks[ref >> UNIT_BITS].dedicated) live += entrySize(Shard::lenOf(e));
    }
    if (occupied != s.used)
      fault(si, std::to_string(s.used) + " entries, " + std::to_string(occupied) + " slots held");
    if (live != s.arena.liveBytes)
      fault(si, "live arena bytes " + std::to_string(s.arena.liveBytes) + ", entries hold " + std::to_string(live));
  }
  return faults;
}

size_t StringPool::size() const {
  size_t n = 0;
  for (int i = 0; i < SHARD_COUNT; ++i) n += mShards[i].used;
  return n;
}

size_t StringPool::memoryBytes() const {
  size_t n = 0;
  for (int i = 0; i < SHARD_COUNT; ++i) n += mShards[i].memory();
  return n;
}

void StringPool::forEachRaw(void (*fn)(void*, uint64_t, const char*, size_t, uint64_t), void* ctx) const {
  for (int si = 0; si < SHARD_COUNT; ++si) {
    const Shard& s = mShards[si];
    if (s.used == 0) continue;
    for (uint64_t i = 0; i <= s.mask; ++i) {
      if (s.refAt(i) == 0) continue;
      const char* e = s.at(s.refAt(i));
      fn(ctx, Shard::keyOf(e), Shard::bytesOf(e), Shard::lenOf(e), Shard::countOf(e));
    }
  }
}

bool StringPool::clashesWith(const StringPool& other, unsigned threads) const {
  std::atomic<bool> clash{false};
  parallelChunks(SHARD_COUNT, threads, [&](unsigned, size_t from, size_t to) {
    for (size_t si = from; si < to && !clash; ++si) {
      const Shard& mine = mShards[si];
      const Shard& theirs = other.mShards[si];  // a key lies in the same shard of every pool
      if (mine.used == 0 || theirs.used == 0) continue;
      for (uint64_t i = 0; i <= theirs.mask; ++i) {
        if (theirs.refAt(i) == 0) continue;
        const char* e = theirs.at(theirs.refAt(i));
        const char* held = mine.findEntry(Shard::keyOf(e));
        if (held != nullptr && (Shard::lenOf(held) != Shard::lenOf(e) ||
                                std::memcmp(Shard::bytesOf(held), Shard::bytesOf(e), Shard::lenOf(e)) != 0)) {
          clash = true;
          break;
        }
      }
    }
  });
  return clash;
}

void StringPool::addAll(const StringPool& other, unsigned threads) {
  parallelChunks(SHARD_COUNT, threads, [&](unsigned, size_t from, size_t to) {
    std::vector<CountedText> batch;
    for (size_t si = from; si < to; ++si) {
      const Shard& theirs = other.mShards[si];
      batch.clear();
      for (uint64_t i = 0; theirs.used && i <= theirs.mask; ++i) {
        if (theirs.refAt(i) == 0) continue;
        const char* e = theirs.at(theirs.refAt(i));
        batch.push_back({Shard::keyOf(e), Shard::bytesOf(e), Shard::lenOf(e), Shard::countOf(e)});
      }
      bool collided = false;  // clashesWith() has ruled it out
      addCountedBatch(batch.data(), batch.size(), collided);
      assert(!collided);
    }
  });
}

void StringPool::beginRecount(unsigned threads) {
  parallelChunks(SHARD_COUNT, threads, [&](unsigned, size_t from, size_t to) {
    for (size_t si = from; si < to; ++si) {
      Shard& s = mShards[si];
      for (uint64_t i = 0; s.used && i <= s.mask; ++i)
        if (s.refAt(i) != 0) Shard::setCount(s.at(s.refAt(i)), 0);
    }
  });
}

namespace {

// Puts keys[0..n) into `out` grouped by the top bits of their home slots in a table of
// mask + 1 slots (at most 2048 groups, in slot order), each group in the order given.
void groupByHome(const uint64_t* keys, size_t n, uint64_t mask, uint64_t* out) {
  constexpr int GROUP_BITS = 11;
  int bits = 0;
  while ((uint64_t(1) << bits) <= mask) ++bits;
  const int shift = bits > GROUP_BITS ? bits - GROUP_BITS : 0;
  size_t at[(size_t(1) << GROUP_BITS) + 1] = {};
  const size_t groups = size_t(mask >> shift) + 1;
  for (size_t k = 0; k < n; ++k) ++at[((mix(keys[k]) & mask) >> shift) + 1];
  for (size_t g = 0; g < groups; ++g) at[g + 1] += at[g];
  for (size_t k = 0; k < n; ++k) out[at[(mix(keys[k]) & mask) >> shift]++] = keys[k];
}

}  // namespace

size_t StringPool::countInShard(size_t shard, const uint64_t* keys, size_t n, uint64_t* scratch) {
  assert(shard < size_t(SHARD_COUNT));
  Shard& s = mShards[shard];
  if (s.used == 0) return n;
  constexpr size_t GROUP_FROM = 4096;  // shorter runs fit the caches as they come
  if (scratch && n >= GROUP_FROM) {
    groupByHome(keys, n, s.mask, scratch);
    keys = scratch;
  }
  size_t absent = 0;
  constexpr size_t AHEAD = 8;  // lines asked for ahead of the probe that reads them
  for (size_t k = 0; k < std::min(n, AHEAD); ++k) s.prefetch(mix(keys[k]));
  for (size_t k = 0; k < n; ++k) {
    assert(shardIndex(keys[k]) == shard);
    if (k + AHEAD < n) s.prefetch(mix(keys[k + AHEAD]));
    const uint32_t ref = s.refAt(s.probe(keys[k]));
    if (ref == 0) {
      ++absent;
      continue;
    }
    char* e = s.at(ref);
    const uint64_t count = Shard::countOf(e);
    if (count < MAX_COUNT) Shard::setCount(e, count + 1);
  }
  return absent;
}

void StringPool::endRecount(unsigned threads) {
  std::atomic<int64_t> dropped{0};  // accounted bytes of the entries removed
  auto walk = [&](unsigned, size_t from, size_t to) {
    std::vector<uint64_t> unused;
    int64_t bytes = 0;
    try {
      for (size_t si = from; si < to; ++si) {
        Shard& s = mShards[si];
        if (s.used == 0) continue;
        unused.clear();
        for (uint64_t i = 0; i <= s.mask; ++i) {
          if (s.refAt(i) == 0) continue;
          const char* e = s.at(s.refAt(i));
          if (Shard::countOf(e) == 0) unused.push_back(Shard::keyOf(e));
        }
        for (uint64_t key : unused) {
          const uint64_t i = s.probe(key);
          bytes += accountedBytes(Shard::lenOf(s.at(s.refAt(i))));
          s.erase(i);
        }
      }
    } catch (...) {
      dropped += bytes;
      throw;
    }
    dropped += bytes;
  };
  try {
    parallelChunks(SHARD_COUNT, threads, walk);
  } catch (...) {  // the entries removed before the failure stay counted out
    addCounter(-dropped.load(), false);
    throw;
  }
  addCounter(-dropped.load(), false);
}
