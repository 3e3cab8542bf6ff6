// Named pipes for tests of what opens files, and a watchdog for a call that may wait on
// one for ever: past its time limit the watchdog keeps opening and closing the pipe's
// write end, so that every open of the read end returns and every read ends, and the
// test fails instead of hanging.
#pragma once
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace testsupport {

// Makes a named pipe at `nativePath`; false when it cannot.
inline bool makeFifo(const std::string& nativePath) { return ::mkfifo(nativePath.c_str(), 0600) == 0; }

// Runs call() on this thread. True when it returned within `limit`; false when it had
// to be set free by writers coming to the pipe at `fifo`.
template <class F>
bool returnsWithoutAWriter(const std::string& fifo, F&& call,
                           std::chrono::milliseconds limit = std::chrono::seconds(3)) {
  std::mutex mutex;
  std::condition_variable returned;
  bool done = false, hung = false;
  std::thread watchdog([&] {
    std::unique_lock<std::mutex> lock(mutex);
    if (returned.wait_for(lock, limit, [&] { return done; })) return;
    hung = true;
    while (!done) {
      lock.unlock();
      const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);  // fails while nobody reads
      if (fd >= 0) ::close(fd);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      lock.lock();
    }
  });
  call();
  {
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
  }
  returned.notify_all();
  watchdog.join();
  return !hung;
}

}  // namespace testsupport
