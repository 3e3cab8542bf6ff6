#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "store/Parallel.h"

// waitFinished() answers false while a body still runs and true as soon as the last
// one returns, without waiting out its timeout.
TEST(WorkerThreads, WaitFinishedReturnsWhenTheLastBodyReturns) {
  std::promise<void> release;
  std::shared_future<void> gate = release.get_future().share();
  WorkerThreads workers(3, [&](unsigned i) {
    if (i == 2) gate.wait();
  });
  EXPECT_FALSE(workers.waitFinished(std::chrono::milliseconds(5)));
  release.set_value();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(workers.waitFinished(std::chrono::seconds(30)));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_TRUE(workers.waitFinished(std::chrono::milliseconds(0)));
  workers.join();
}
