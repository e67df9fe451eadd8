// SPDX-License-Identifier: MIT
// The worker pool's contract, which the row search and the index rely on:
// every job of a start runs exactly once, on whichever thread takes it
// first (the waiting caller included), and none runs after wait returns.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "engine/worker_pool.h"

namespace vexaro {
namespace {

struct PoolCase {
  int threads;
  WorkerPool::Waiting waiting;
};

class PoolContract : public testing::TestWithParam<PoolCase> {};

TEST_P(PoolContract, EveryJobRunsOnceAndBeforeWaitReturns) {
  const PoolCase& c = GetParam();
  WorkerPool pool(c.threads, c.waiting);
  ASSERT_EQ(pool.size(), c.threads);
  std::vector<std::atomic<int>> runs(c.threads);
  for (int round = 1; round <= 3000; ++round) {
    // Some jobs are slow, so that waits find them taken but not done.
    auto job = [&](int t) {
      if (round % 97 == 0 && t == c.threads - 1)
        std::this_thread::sleep_for(std::chrono::microseconds(300));
      runs[t].fetch_add(1);
    };
    if (round % 2) {
      pool.run(job);
    } else {
      // Waiting at once leaves the caller to take what no worker has yet.
      pool.start(job);
      pool.wait();
      job(0);
    }
    for (int t = 0; t < c.threads; ++t) ASSERT_EQ(runs[t].load(), round) << "job " << t;
  }
}

INSTANTIATE_TEST_SUITE_P(Pools, PoolContract,
                         testing::Values(PoolCase{1, WorkerPool::Waiting::spin_first},
                                         PoolCase{2, WorkerPool::Waiting::spin_first},
                                         PoolCase{3, WorkerPool::Waiting::spin_first},
                                         PoolCase{2, WorkerPool::Waiting::sleep},
                                         PoolCase{4, WorkerPool::Waiting::sleep}));

}  // namespace
}  // namespace vexaro
