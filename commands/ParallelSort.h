// Sorting on several threads: a stable sort whose result is exactly that of
// std::stable_sort (equal elements keep their order), whatever the number of threads,
// and the merge of runs sorted apart into one.
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
    bi[i] = i == threads ? size_t(bEnd - b) : size_t(std::lower_bound(b, bEnd, a[ai[i]], less) - b);
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
    for (size_t i = first; i < last; ++i) std::stable_sort(v.begin() + bounds[i], v.begin() + bounds[i + 1], less);
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

// A sorted run of elements: data[begin, begin + count).
struct SortRun {
  size_t begin, count;
};

// Merges `runs` of `data` (each sorted by `less`, in order of position) into one
// sequence sorted by `less`, stably (on ties the earlier run's elements first), on up to
// `threads` threads. The runs may leave gaps between them. The result lies compacted
// either in `data` or in `buffer` (room for the sum of the counts); returns its first
// element. `buffer` is needed only for more than one run.
template <class T, class Less>
T* mergeRuns(T* data, T* buffer, std::vector<SortRun> runs, unsigned threads, Less less) {
  if (runs.empty()) return data;
  T* from = data;
  T* to = buffer;
  while (runs.size() > 1) {
    std::vector<SortRun> merged;
    size_t at = 0;
    for (size_t i = 0; i < runs.size(); i += 2) {
      const SortRun a = runs[i];
      const SortRun b = i + 1 < runs.size() ? runs[i + 1] : SortRun{a.begin + a.count, 0};
      parallel_sort_detail::merge(from + a.begin, from + a.begin + a.count, from + b.begin,
                                  from + b.begin + b.count, to + at, threads, less);
      merged.push_back({at, a.count + b.count});
      at += a.count + b.count;
    }
    runs.swap(merged);
    std::swap(from, to);
  }
  return from + runs[0].begin;
}
