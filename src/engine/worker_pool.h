// SPDX-License-Identifier: MIT
// A fixed set of threads that run one job together, fork-join style. Rows
// are searched back to back, so waiting threads spin briefly before they
// sleep: a row's blocks follow each other within microseconds. A pool that
// serves calls as they come (the index of choices) sleeps at once instead.
// Nothing waits by yielding in a loop: on a loaded machine that takes the
// cores from the thread being waited for. And no job waits for a worker
// that has not woken yet: whichever thread comes first takes it, the
// caller included once its own share is done.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
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
  // The same in two steps: start offers job(t) for every t but 0 to the
  // workers and returns at once; wait runs those no worker has taken yet
  // and returns when every one has returned. Each t runs once, on any
  // thread, so jobs must not wait for each other.
  void start(std::function<void(int)> job);
  void wait();

 private:
  void work();
  // Runs the offered jobs no thread has taken yet, one at a time.
  void take_jobs();
  // Returns once `value` no longer holds `old`: spinning first unless the
  // pool sleeps at once, then asleep until a notify.
  template <class Value>
  void wait_while(const std::atomic<Value>& value, Value old) const;

  const bool spins_;
  std::vector<std::thread> workers_;
  std::function<void(int)> job_;
  // 32-bit, so that waits sleep on the value itself; only equality is asked.
  std::atomic<uint32_t> generation_{0};
  std::atomic<int32_t> next_job_{0};  // the next job to take; past the last once all are taken
  std::atomic<int32_t> finished_{0};  // jobs of the latest start that have returned
  std::atomic<bool> stopping_{false};
};

// The thread count: VEXARO_THREADS when it holds a positive number, else the
// machine's cores.
int default_thread_count();

}  // namespace vexaro
