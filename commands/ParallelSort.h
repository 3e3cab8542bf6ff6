// A stable sort on several threads: the result is exactly that of std::stable_sort
// (equal elements keep their order), whatever the number of threads.
#pragma once
#include <algorithm>
#include <vector>

#include "store/Parallel.h"

namespace parallel_sort_detail {

// Merges the sorted runs a and b into out, stably (on ties a's elements first), with
// `threads` threads: a is cut into equal parts and each part's partner in b is found by
// binary search, so each part merges on its own.
template <class It, class Out, class Less>
void merge(It a, It aEnd, It b, It bEnd, Out out, unsigned threads, Less less) {
  const size_t na = size_t(aEnd - a);
  if (threads <= 1 || na < 4096) {
    std::merge(a, aEnd, b, bEnd, out, less);
    return;
  }
  std::vector<size_t> ai(threads + 1), bi(threads + 1);
  for (unsigned i = 0; i <= threads; ++i) {
    ai[i] = na * i / threads;
    // b's elements before ai[i]'s element: those strictly less than it.
    bi[i] = i == threads ? size_t(bEnd - b)
                         : size_t(std::lower_bound(b, bEnd, a[ai[i]], less) - b);
  }
  bi[0] = 0;
  parallelChunks(threads, threads, [&](unsigned, size_t first, size_t last) {
    for (size_t i = first; i < last; ++i)
      std::merge(a + ai[i], a + ai[i + 1], b + bi[i], b + bi[i + 1], out + ai[i] + bi[i], less);
  });
}

}  // namespace parallel_sort_detail

// Sorts v stably by `less` on up to 8 threads.
template <class T, class Less>
void parallelStableSort(std::vector<T>& v, Less less) {
  const size_t n = v.size();
  unsigned threads = threadCount(n, 65536);
  if (threads <= 1) {
    std::stable_sort(v.begin(), v.end(), less);
    return;
  }
  unsigned runs = 1;
  while (runs * 2 <= threads) runs *= 2;
  std::vector<size_t> bounds(runs + 1);
  for (unsigned i = 0; i <= runs; ++i) bounds[i] = n * i / runs;
  parallelChunks(runs, runs, [&](unsigned, size_t first, size_t last) {
    for (size_t i = first; i < last; ++i)
      std::stable_sort(v.begin() + bounds[i], v.begin() + bounds[i + 1], less);
  });
  std::vector<T> buffer(n);
  std::vector<T>* from = &v;
  std::vector<T>* to = &buffer;
  for (unsigned width = 1; width < runs; width *= 2) {
    for (unsigned i = 0; i < runs; i += 2 * width) {
      auto a = from->begin() + bounds[i];
      auto m = from->begin() + bounds[i + width];
      auto e = from->begin() + bounds[i + 2 * width];
      parallel_sort_detail::merge(a, m, m, e, to->begin() + bounds[i], threads, less);
    }
    std::swap(from, to);
  }
  if (from != &v) v.swap(*from);
}
