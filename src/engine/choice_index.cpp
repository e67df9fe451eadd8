// SPDX-License-Identifier: MIT
#include "engine/choice_index.h"

#include <algorithm>
#include <atomic>
#include <exception>

namespace vexaro {

ChoiceIndex::ChoiceIndex(const ItemRules& items, const Measure& measure, const RecordStats& stats,
                         const std::vector<std::string_view>& choices, int threads)
    : choices_(items, measure, stats, choices),
      threads_(std::max(threads, 1)),
      pool_(threads_, WorkerPool::Waiting::sleep) {}

void ChoiceIndex::QueryDeleter::operator()(ChoiceQuery* query) const {
  std::lock_guard<std::mutex> lock(index->shelf_mutex_);
  index->shelf_.emplace_back(query);
}

ChoiceIndex::HeldQuery ChoiceIndex::hold_query() const {
  {
    std::lock_guard<std::mutex> lock(shelf_mutex_);
    if (!shelf_.empty()) {
      ChoiceQuery* query = shelf_.back().release();
      shelf_.pop_back();
      return HeldQuery(query, QueryDeleter{this});
    }
  }
  return HeldQuery(new ChoiceQuery(choices_), QueryDeleter{this});
}

std::vector<ChoiceMatch> ChoiceIndex::matches_of(ChoiceQuery& query,
                                                 const std::vector<ChoiceScore>& found) const {
  std::vector<ChoiceMatch> matches;
  matches.reserve(found.size());
  for (const ChoiceScore& each : found) {
    matches.push_back({each.index, each.score, {}});
    if (choices_.measure().longest_substrings())
      matches.back().substring = query.substring(static_cast<int32_t>(each.index));
  }
  return matches;
}

std::vector<ChoiceMatch> ChoiceIndex::top(std::string_view query, size_t limit) const {
  if (limit == 0 || size() == 0) return {};
  const HeldQuery held = hold_query();
  held->load(query);
  TopChoices top(std::min(limit, size()));
  held->rank(top);
  return matches_of(*held, top.sorted());
}

std::vector<ChoiceMatch> ChoiceIndex::above(std::string_view query, int32_t min_score) const {
  if (size() == 0) return {};
  const HeldQuery held = hold_query();
  held->load(query);
  std::vector<ChoiceScore> found;
  held->gather_above(min_score, found);
  std::sort(found.begin(), found.end(), [](const ChoiceScore& a, const ChoiceScore& b) {
    return a.score != b.score ? a.score > b.score : a.index < b.index;
  });
  return matches_of(*held, found);
}

std::optional<ChoiceMatch> ChoiceIndex::best_of(ChoiceQuery& query, std::string_view text) const {
  if (size() == 0) return std::nullopt;
  query.load(text);
  TopChoices top(1);
  query.rank(top);
  std::vector<ChoiceMatch> best = matches_of(query, top.sorted());
  return std::move(best.front());
}

std::vector<std::optional<ChoiceMatch>> ChoiceIndex::best_of_each(
    const std::vector<std::string_view>& queries, int threads) const {
  const int working = threads > 0 ? std::min(threads, threads_) : threads_;
  std::vector<std::optional<ChoiceMatch>> found(queries.size());
  std::atomic<size_t> next{0};
  std::exception_ptr failure;
  std::mutex failure_mutex;
  auto lane = [&](int thread) {
    if (thread >= working) return;  // woken with the pool, but not asked for
    try {
      const HeldQuery held = hold_query();
      for (size_t q; (q = next.fetch_add(1, std::memory_order_relaxed)) < queries.size();)
        found[q] = best_of(*held, queries[q]);
    } catch (...) {
      std::lock_guard<std::mutex> lock(failure_mutex);
      if (!failure) failure = std::current_exception();
      next.store(queries.size());
    }
  };
  std::unique_lock<std::mutex> pool(pool_mutex_, std::try_to_lock);
  if (pool.owns_lock() && working > 1 && queries.size() > 1) {
    pool_.run(lane);
  } else {
    lane(0);
  }
  if (failure) std::rethrow_exception(failure);
  return found;
}

}  // namespace vexaro
