// Splitting a loop over consecutive chunks run on several threads. The operations that
// use it give results that do not depend on the number of threads: each chunk writes
// only its own part of the output, and the parts are combined in chunk order.
#pragma once
#include <algorithm>
#include <cstddef>
#include <exception>
#include <thread>
#include <vector>

// How many threads to use for n items when each thread should get at least `minEach`.
inline unsigned threadCount(size_t n, size_t minEach) {
  unsigned hw = std::max(1u, std::thread::hardware_concurrency());
  hw = std::min(hw, 8u);
  size_t byWork = minEach ? n / minEach : n;
  return static_cast<unsigned>(std::max<size_t>(1, std::min<size_t>(hw, byWork)));
}

// Calls f(part, begin, end) for `parts` consecutive chunks of [0, n), chunk 0 on the
// calling thread. The first exception thrown by any chunk is rethrown after all joined.
template <class F>
void parallelChunks(size_t n, unsigned parts, F&& f) {
  if (parts <= 1 || n < 2) {
    f(0u, size_t(0), n);
    return;
  }
  std::vector<std::exception_ptr> errors(parts);
  std::vector<std::thread> threads;
  threads.reserve(parts - 1);
  auto run = [&](unsigned p) {
    size_t begin = n * p / parts, end = n * (p + 1) / parts;
    try {
      f(p, begin, end);
    } catch (...) {
      errors[p] = std::current_exception();
    }
  };
  for (unsigned p = 1; p < parts; ++p) threads.emplace_back(run, p);
  run(0);
  for (std::thread& t : threads) t.join();
  for (auto& e : errors)
    if (e) std::rethrow_exception(e);
}
