// The texts a sequential reading met lately, in front of the sheet's pool: a
// text met again costs a hash and a compare instead of a text key and a pool
// probe.
//
// Direct-mapped: a text has one slot, picked by its hash, and a text new to
// the slot displaces the one there. A text enters with the reference that
// pool.internText gives it; the references of its later meetings are counted
// in the slot and handed to the pool when it is displaced or on flush(). The
// pool therefore gets the entries in the order and under the keys of one
// internText per cell, and after flush() the same counts.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

class StringPool;

class RecentTexts {
 public:
  // A table for a reading of about `cells` cells: no more slots than twice that,
  // and at most SLOTS (a small page costs a small table).
  RecentTexts(StringPool& pool, uint64_t cells);
  // Flushes: a reading that stops early leaves the pool the counts its cells hold.
  ~RecentTexts();
  RecentTexts(const RecentTexts&) = delete;
  RecentTexts& operator=(const RecentTexts&) = delete;

  // What pool.internText(textKey(text), text) returns for a text that is not
  // empty: its key, one more reference taken (the pool's or the slot's). A
  // failed intern (out of memory) leaves every count as it was.
  uint64_t intern(std::u16string_view text);
  // Hands every counted reference to the pool.
  void flush();

  static constexpr size_t SLOTS = 8192;  // the most slots; a power of two
  static constexpr size_t FEWEST_SLOTS = 64;
  static constexpr size_t MAX_UNITS = 31;  // longer texts go straight to the pool

 private:
  struct Slot {
    uint64_t hash;
    uint64_t key;                   // 0: the slot is empty
    uint32_t pending;               // references taken here and not yet handed to the pool
    uint32_t length;                // units of the text
    char16_t units[MAX_UNITS + 1];  // the text and a NUL: the bytes the pool holds
  };
  void handOver(Slot& slot);

  StringPool& mPool;
  size_t mMask;  // the slot count (a power of two) less one
  std::unique_ptr<Slot[]> mSlots;
};
