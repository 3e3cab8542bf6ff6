// The one thread fan-out of the program: how many workers a piece of work gets, and how
// they are started and joined. Readers, writers, the document file and the edit
// commands all go through it, so they share one policy and one failure rule: when a
// thread cannot be started, the threads already started are stopped and joined before
// the failure is raised, and never left running or unjoined.
#pragma once
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The thread policy. `requested` threads (0: one per core), at most MAX_WORKERS, and no
// more than one per `minEach` items (at least one in all).
constexpr unsigned MAX_WORKERS = 64;
inline unsigned threadCount(size_t items, size_t minEach, unsigned requested = 0) {
  unsigned n = requested ? requested : std::max(1u, std::thread::hardware_concurrency());
  n = std::min(n, MAX_WORKERS);
  const size_t byWork = minEach ? items / minEach : items;
  return static_cast<unsigned>(std::max<size_t>(1, std::min<size_t>(n, byWork)));
}

// A group of worker threads running body(i), i = 0 .. n - 1, each on its own thread.
// The first exception a body throws is kept and raised by join(); the others finish.
// When a thread cannot be started, `stop` is called (so the bodies already running can
// return early), those are joined, and the start failure is raised from the constructor.
// The destructor joins whatever join() has not.
class WorkerThreads {
 public:
  WorkerThreads(unsigned n, std::function<void(unsigned)> body, const std::function<void()>& stop = {})
      : mBody(std::move(body)) {
    mThreads.reserve(n);
    try {
      for (unsigned i = 0; i < n; ++i) {
        mThreads.emplace_back([this, i] {
          try {
            mBody(i);
          } catch (...) {
            keep(std::current_exception());
          }
          std::lock_guard<std::mutex> guard(mLock);
          ++mFinished;
          mAllFinished.notify_all();
        });
      }
    } catch (...) {
      if (stop) stop();
      joinAll();
      throw;
    }
  }
  ~WorkerThreads() { joinAll(); }
  WorkerThreads(const WorkerThreads&) = delete;
  WorkerThreads& operator=(const WorkerThreads&) = delete;

  // Waits until every body has returned or `timeout` has passed; true in the first case
  // (at once when they already have).
  bool waitFinished(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> guard(mLock);
    return mAllFinished.wait_for(guard, timeout, [this] { return mFinished == mThreads.size(); });
  }
  // Joins every thread; raises the first exception a body threw.
  void join() {
    joinAll();
    if (mError) std::rethrow_exception(mError);
  }

 private:
  void keep(std::exception_ptr e) {
    std::lock_guard<std::mutex> guard(mLock);
    if (!mError) mError = e;
  }
  void joinAll() {
    for (std::thread& t : mThreads)
      if (t.joinable()) t.join();
  }

  std::function<void(unsigned)> mBody;
  std::vector<std::thread> mThreads;
  std::mutex mLock;                      // guards mFinished and mError
  size_t mFinished = 0;                  // bodies returned
  std::condition_variable mAllFinished;  // told at each return
  std::exception_ptr mError;
};

// Calls f(part, begin, end) for `parts` consecutive chunks of [0, n), chunk 0 on the
// calling thread. The first exception thrown by any chunk is raised once all are joined.
// Each chunk writes only its own part of the output, so results do not depend on the
// number of parts.
template <class F>
void parallelChunks(size_t n, unsigned parts, F&& f) {
  if (parts <= 1 || n < 2) {
    f(0u, size_t(0), n);
    return;
  }
  auto chunk = [&](unsigned p) { f(p, n * p / parts, n * (p + 1) / parts); };
  WorkerThreads others(parts - 1, [&](unsigned i) { chunk(i + 1); });
  std::exception_ptr first;
  try {
    chunk(0);
  } catch (...) {
    first = std::current_exception();
  }
  if (!first) {
    others.join();
    return;
  }
  try {
    others.join();
  } catch (...) {  // chunk 0's exception comes first
  }
  std::rethrow_exception(first);
}
