#include "store/RecentTexts.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>
#include <limits>

#include "store/StringPool.h"
#include "store/TextKey.h"

RecentTexts::RecentTexts(StringPool& pool, uint64_t cells)
    : mPool(pool),
      mMask(std::clamp<uint64_t>(std::bit_ceil(std::max<uint64_t>(cells, 1) * 2), FEWEST_SLOTS, SLOTS) - 1),
      mSlots(new Slot[mMask + 1]) {
  for (size_t i = 0; i <= mMask; ++i) {
    mSlots[i].key = 0;
    mSlots[i].pending = 0;
  }
}

RecentTexts::~RecentTexts() { flush(); }

uint64_t RecentTexts::intern(std::u16string_view text) {
  assert(!text.empty());
  if (text.size() > MAX_UNITS) return mPool.internText(textKey(text), text);
  const size_t bytes = text.size() * sizeof(char16_t);
  const uint64_t hash = bytesHash(reinterpret_cast<const char*>(text.data()), bytes);
  Slot& slot = mSlots[hash & mMask];
  if (slot.key != 0 && slot.hash == hash && slot.length == text.size() &&
      std::memcmp(slot.units, text.data(), bytes) == 0) {
    if (++slot.pending == std::numeric_limits<uint32_t>::max()) handOver(slot);
    return slot.key;
  }
  const uint64_t key = mPool.internText(textKey(text), text);  // first: a failure changes nothing
  handOver(slot);
  slot.hash = hash;
  slot.key = key;
  slot.length = static_cast<uint32_t>(text.size());
  std::memcpy(slot.units, text.data(), bytes);
  slot.units[text.size()] = 0;
  return key;
}

// The slot's counted references go to its entry, which holds them without
// growing: nothing can fail here.
void RecentTexts::handOver(Slot& slot) {
  if (slot.pending == 0) return;
  bool collided = false;
  mPool.addCounted(slot.key, slot.units, (slot.length + 1) * sizeof(char16_t), slot.pending, collided);
  assert(!collided);
  slot.pending = 0;
}

void RecentTexts::flush() {
  for (size_t i = 0; i <= mMask; ++i) handOver(mSlots[i]);
}
