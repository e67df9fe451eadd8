// SPDX-License-Identifier: MIT
#include "engine/worker_pool.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <utility>

namespace vexaro {
namespace {
constexpr std::chrono::microseconds kSpin{1000};
// Waits begin with this many plain loads, some tens of microseconds: on a
// virtual machine a pause or a yield may hand the core to the host, and
// getting it back costs more than a short row.
constexpr int kBusySpins = 1 << 16;

template <class Waiting>
void spin_while(Waiting&& waiting) {
  for (int spin = 0; spin < kBusySpins && waiting(); ++spin) {
  }
}
}  // namespace

WorkerPool::WorkerPool(int threads, Waiting waiting) : sleeps_(waiting == Waiting::sleep) {
  for (int t = 1; t < threads; ++t) workers_.emplace_back([this, t] { work(t); });
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    generation_.fetch_add(1);
  }
  wake_.notify_all();
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
  pending_.store(static_cast<int>(workers_.size()));
  {
    std::lock_guard<std::mutex> lock(mutex_);
    generation_.fetch_add(1, std::memory_order_release);
  }
  wake_.notify_all();
}

void WorkerPool::wait() {
  if (sleeps_) {
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [&] { return pending_.load(std::memory_order_acquire) == 0; });
    return;
  }
  spin_while([&] { return pending_.load(std::memory_order_acquire) != 0; });
  while (pending_.load(std::memory_order_acquire) != 0) std::this_thread::yield();
}

void WorkerPool::work(int index) {
  uint64_t seen = 0;
  for (;;) {
    // Spin for a while before sleeping: waking a sleeper costs more than the
    // gap between one row's job and the next.
    if (!sleeps_) spin_for_job(seen);
    if (generation_.load(std::memory_order_acquire) == seen) {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [&] { return generation_.load() != seen; });
    }
    seen = generation_.load(std::memory_order_acquire);
    if (stopping_) return;
    job_(index);
    if (pending_.fetch_sub(1, std::memory_order_acq_rel) == 1 && sleeps_) {
      std::lock_guard<std::mutex> lock(mutex_);
      done_.notify_all();
    }
  }
}

void WorkerPool::spin_for_job(uint64_t seen) const {
  spin_while([&] { return generation_.load(std::memory_order_acquire) == seen; });
  const auto spin_until = std::chrono::steady_clock::now() + kSpin;
  for (int spin = 1; generation_.load(std::memory_order_acquire) == seen; ++spin) {
    if (spin % 64 == 0 && std::chrono::steady_clock::now() > spin_until) break;
    std::this_thread::yield();
  }
}

int default_thread_count() {
  if (const char* text = std::getenv("VEXARO_THREADS")) {
    const long wanted = std::strtol(text, nullptr, 10);
    if (wanted > 0) return static_cast<int>(std::min<long>(wanted, 256));
  }
  return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace vexaro
