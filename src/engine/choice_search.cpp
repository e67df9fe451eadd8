// SPDX-License-Identifier: MIT
#include "engine/choice_search.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "common/check.h"

namespace vexaro {
namespace {

// Choices a thread takes at a time: enough that taking them costs nothing
// beside scoring them, few enough that the threads finish together.
constexpr size_t kChunk = 64;
// Choices of fewer bytes than this are scored on the calling thread alone.
// One thread scores the megabyte of 16000 package summaries in about 2 ms
// here, while starting a thread and waiting for it costs 60 us on an idle
// machine and some hundreds when the cores are busy.
constexpr size_t kFewestBytesToShare = size_t{256} << 10;

bool is_record(std::string_view choice) {
  return !choice.empty() && std::memchr(choice.data(), 0, choice.size()) == nullptr;
}

}  // namespace

ChoiceList::ChoiceList(const ItemRules& items, const Measure& measure, const RecordStats& stats,
                       std::span<const std::string> choices)
    : items_(items), measure_(measure), stats_(stats), choices_(choices) {
  VEXARO_ASSERT(choices.size() < UINT32_MAX);  // the best's key holds an index
}

int ChoiceSearch::lanes_for(const ChoiceList& choices, int threads) {
  const size_t chunks = (choices.size() + kChunk - 1) / kChunk;
  if (threads > 0) return static_cast<int>(std::max<size_t>(std::min<size_t>(threads, chunks), 1));
  size_t bytes = 0;
  for (size_t i = 0; i < choices.size() && bytes < kFewestBytesToShare; ++i) {
    bytes += choices[i].size();
  }
  if (bytes < kFewestBytesToShare) return 1;
  return static_cast<int>(std::min<size_t>(default_thread_count(), chunks));
}

ChoiceSearch::ChoiceSearch(const ChoiceList& choices, std::string_view query, int lanes)
    : choices_(choices) {
  VEXARO_ASSERT(lanes >= 1);
  for (int lane = 0; lane < lanes; ++lane) {
    scorers_.push_back(std::make_unique<ReferenceScorer>(choices.items(), choices.measure(),
                                                         choices.stats(), query));
  }
}

template <class Visit>
void ChoiceSearch::run(WorkerPool& pool, Visit&& visit) {
  VEXARO_ASSERT(lanes() == 1 || pool.size() >= lanes());
  const size_t count = choices_.size();
  std::atomic<size_t> next{0}, refused{SIZE_MAX};
  auto lane_work = [&](int lane) {
    if (lane >= lanes()) return;
    ReferenceScorer& scorer = *scorers_[lane];
    for (;;) {
      const size_t first = next.fetch_add(kChunk, std::memory_order_relaxed);
      if (first >= count) return;
      for (size_t i = first; i < std::min(first + kChunk, count); ++i) {
        if (is_record(choices_[i])) {
          visit(scorer, i, lane);
        } else {
          size_t seen = refused.load(std::memory_order_relaxed);
          while (i < seen && !refused.compare_exchange_weak(seen, i)) {
          }
        }
      }
    }
  };
  if (lanes() == 1) {
    lane_work(0);
  } else {
    pool.run(lane_work);
  }
  first_refused_ = refused.load();
}

std::optional<ChoiceScore> ChoiceSearch::best(WorkerPool& pool) {
  std::atomic<uint64_t> best{0};
  run(pool, [&](ReferenceScorer& scorer, size_t index, int) {
    uint64_t seen = best.load(std::memory_order_relaxed);
    const int32_t cutoff = cutoff_against(seen, index);
    const int32_t score = scorer.score(choices_[index], cutoff);
    if (score <= cutoff) return;
    const uint64_t key = choice_key(score, index);
    while (key > seen && !best.compare_exchange_weak(seen, key, std::memory_order_relaxed)) {
    }
  });
  const uint64_t found = best.load();
  if (found == 0) return std::nullopt;
  return ChoiceScore{key_index(found), key_score(found)};
}

std::vector<ChoiceScore> ChoiceSearch::above(int32_t min_score, WorkerPool& pool) {
  std::vector<std::vector<ChoiceScore>> found(scorers_.size());
  run(pool, [&](ReferenceScorer& scorer, size_t index, int lane) {
    const int32_t score = scorer.score(choices_[index], min_score);
    if (score > min_score) found[lane].push_back({index, score});
  });
  std::vector<ChoiceScore> all;
  for (const auto& lane : found) all.insert(all.end(), lane.begin(), lane.end());
  std::sort(all.begin(), all.end(), [](const ChoiceScore& a, const ChoiceScore& b) {
    return a.score != b.score ? a.score > b.score : a.index < b.index;
  });
  return all;
}

// Each thread keeps its own best `limit`, whose worst is the cutoff of its
// later choices: a choice that is not among the best of its own thread's
// cannot be among the best of all.
std::vector<ChoiceScore> ChoiceSearch::top(size_t limit, WorkerPool& pool) {
  std::vector<TopChoices> kept(scorers_.size(), TopChoices(limit));
  run(pool, [&](ReferenceScorer& scorer, size_t index, int lane) {
    TopChoices& best = kept[lane];
    const int32_t cutoff = best.cutoff(index);
    if (cutoff == INT32_MAX) return;
    const int32_t score = scorer.score(choices_[index], cutoff);
    if (score > cutoff) best.offer(score, index);
  });
  TopChoices all(limit);
  for (const TopChoices& lane : kept) {
    for (const ChoiceScore& choice : lane.sorted()) all.offer(choice.score, choice.index);
  }
  return all.sorted();
}

}  // namespace vexaro
