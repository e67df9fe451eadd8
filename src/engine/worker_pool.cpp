// SPDX-License-Identifier: MIT
#include "engine/worker_pool.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <utility>

namespace vexaro {
namespace {
// Waits begin with plain loads for up to this long: on a virtual machine a
// pause or a yield may hand the core to the host, and waking a sleeper costs
// more than a short row. The clock is read once in so many loads.
constexpr std::chrono::microseconds kSpin{1000};
constexpr int kLoadsPerClockRead = 1024;
}  // namespace

WorkerPool::WorkerPool(int threads, Waiting waiting) : spins_(waiting == Waiting::spin_first) {
  for (int t = 1; t < threads; ++t) workers_.emplace_back([this] { work(); });
}

WorkerPool::~WorkerPool() {
  stopping_.store(true, std::memory_order_relaxed);
  generation_.fetch_add(1, std::memory_order_release);
  generation_.notify_all();
  for (auto& worker : workers_) worker.join();
}

void WorkerPool::run(const std::function<void(int)>& job) {
  start(job);
  job(0);
  wait();
}

void WorkerPool::start(std::function<void(int)> job) {
  if (workers_.empty()) return;
  job_ = std::move(job);
  finished_.store(0, std::memory_order_relaxed);
  next_job_.store(1, std::memory_order_release);
  generation_.fetch_add(1, std::memory_order_release);
  generation_.notify_all();
}

void WorkerPool::wait() {
  if (workers_.empty()) return;
  take_jobs();
  const int32_t jobs = size() - 1;
  for (int32_t done; (done = finished_.load(std::memory_order_acquire)) != jobs;)
    wait_while(finished_, done);
}

void WorkerPool::work() {
  uint32_t seen = 0;
  for (;;) {
    wait_while(generation_, seen);
    seen = generation_.load(std::memory_order_acquire);
    if (stopping_.load(std::memory_order_relaxed)) return;
    take_jobs();
  }
}

// A worker that wakes late finds every job taken, or takes one of a later
// start: either way it runs only the job that start offered.
void WorkerPool::take_jobs() {
  const int32_t jobs = size() - 1;
  for (int32_t job; (job = next_job_.fetch_add(1, std::memory_order_acq_rel)) <= jobs;) {
    job_(job);
    if (finished_.fetch_add(1, std::memory_order_acq_rel) + 1 == jobs) finished_.notify_one();
  }
}

template <class Value>
void WorkerPool::wait_while(const std::atomic<Value>& value, Value old) const {
  if (spins_) {
    const auto until = std::chrono::steady_clock::now() + kSpin;
    do {
      for (int load = 0; load < kLoadsPerClockRead; ++load) {
        if (value.load(std::memory_order_acquire) != old) return;
      }
    } while (std::chrono::steady_clock::now() < until);
  }
  value.wait(old, std::memory_order_acquire);
}

int default_thread_count() {
  if (const char* text = std::getenv("VEXARO_THREADS")) {
    const long wanted = std::strtol(text, nullptr, 10);
    if (wanted > 0) return static_cast<int>(std::min<long>(wanted, 256));
  }
  return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace vexaro
