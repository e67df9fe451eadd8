// SPDX-License-Identifier: MIT
// A fixed set of threads that run one job together, fork-join style. Rows
// are searched back to back, so waiting threads spin briefly before they
// sleep: a row's blocks follow each other within microseconds. A pool that
// serves calls as they come (the index of choices) sleeps at once instead.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vexaro {

class WorkerPool {
 public:
  enum class Waiting { spin_first, sleep };
  explicit WorkerPool(int threads, Waiting waiting = Waiting::spin_first);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int size() const { return static_cast<int>(workers_.size()) + 1; }
  // Runs job(t) for every thread index t, 0 on the calling thread, and
  // returns when every call has returned.
  void run(const std::function<void(int)>& job);
  // The same in two steps: start runs job(t) for every t but 0 on the
  // workers and returns at once; wait returns when those calls have.
  void start(std::function<void(int)> job);
  void wait();

 private:
  void work(int index);
  void spin_for_job(uint64_t seen) const;

  const bool sleeps_;
  std::vector<std::thread> workers_;
  std::function<void(int)> job_;
  std::atomic<uint64_t> generation_{0};
  std::atomic<int> pending_{0};
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;  // a sleeping pool's wait
};

// The thread count: VEXARO_THREADS when it holds a positive number, else the
// machine's cores.
int default_thread_count();

}  // namespace vexaro
