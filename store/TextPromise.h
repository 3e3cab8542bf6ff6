// A promise of texts: one pool reference taken ahead of a change to each text the change
// will write, so that writing the cells afterwards finds every entry in place and needs
// no allocation of the pool: a change that could fail for want of memory fails while
// taking the promise, before anything else has changed.
#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/DataCore.h"
#include "store/TextMap.h"

class TextPromise {
 public:
  // Takes one reference to each text (key, bytes) of `texts`; texts with no bytes are
  // skipped. On failure the references taken are given back and the exception goes on.
  TextPromise(CDataCore& core, const TextMap& texts) : mCore(core) {
    mKeys.reserve(texts.size());
    try {
      for (const auto& [key, bytes] : texts) add(key, bytes);
    } catch (...) {
      giveBack();
      throw;
    }
  }
  // The same for texts given one by one (`add`), starting empty.
  explicit TextPromise(CDataCore& core) : mCore(core) {}
  // Gives the references back: the entries stay while cells hold them.
  ~TextPromise() { giveBack(); }
  TextPromise(const TextPromise&) = delete;
  TextPromise& operator=(const TextPromise&) = delete;

  // Room for `count` more references, so that that many adds need no growth.
  void reserve(size_t count) { mKeys.reserve(mKeys.size() + count); }

  // Takes one more reference (may throw; the references taken so far stay promised).
  // The room for its key is made first, doubling, so a failure to grow takes no
  // reference and a run of adds stays linear.
  void add(uint64_t key, std::string_view bytes) {
    if (bytes.empty()) return;
    if (mKeys.size() == mKeys.capacity()) mKeys.reserve(std::max<size_t>(16, mKeys.capacity() * 2));
    mKeys.push_back(mCore.internBytes(key, bytes));
  }

 private:
  void giveBack() {
    for (uint64_t key : mKeys) mCore.release(key);
    mKeys.clear();
  }

  CDataCore& mCore;
  std::vector<uint64_t> mKeys;  // the keys the texts were counted under
};
