#include "store/KeyCounts.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include "store/Alloc.h"
#include "store/StringPool.h"

KeyCounts::KeyCounts(const StringPool& pool) {
  uint64_t slots = 16;
  while (slots * 7 < uint64_t(pool.size()) * 10) slots *= 2;  // at most 70% full
  if (!allocfail::inject(allocfail::COUNTS)) mSlots.reset(static_cast<Slot*>(std::calloc(slots, sizeof(Slot))));
  if (!mSlots) throw std::bad_alloc();
  mMask = slots - 1;
  pool.forEach([&](uint64_t key, const char*, size_t len, uint64_t) {
    uint64_t i = StringPool::mixKey(key) & mMask;
    while (mSlots[i].key != 0) i = (i + 1) & mMask;
    mSlots[i].key = key;
    mSlots[i].len = len;
  });
}

const KeyCounts::Slot* KeyCounts::find(uint64_t key) const {
  if (key == 0) return nullptr;
  for (uint64_t i = StringPool::mixKey(key) & mMask;; i = (i + 1) & mMask) {
    if (mSlots[i].key == key) return &mSlots[i];
    if (mSlots[i].key == 0) return nullptr;
  }
}

void KeyCounts::add(uint64_t key) {
  if (const Slot* s = find(key))
    std::atomic_ref<uint64_t>(const_cast<Slot*>(s)->count).fetch_add(1, std::memory_order_relaxed);
}

uint64_t KeyCounts::get(uint64_t key) const {
  const Slot* s = find(key);
  return s ? std::atomic_ref<uint64_t>(const_cast<Slot*>(s)->count).load(std::memory_order_relaxed) : 0;
}

size_t KeyCounts::counted(int64_t& accountedBytes) const {
  size_t keys = 0;
  accountedBytes = 0;
  for (uint64_t i = 0; i <= mMask; ++i) {
    if (mSlots[i].count == 0) continue;
    ++keys;
    accountedBytes += StringPool::accountedBytes(size_t(mSlots[i].len));
  }
  return keys;
}
