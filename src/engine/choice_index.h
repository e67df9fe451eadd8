// SPDX-License-Identifier: MIT
// An index of choices that many queries search: the choices prepared and
// indexed once (indexed_choices.h), a query searched on one thread
// (choice_query.h), and the threads. The index keeps one pool of threads,
// asleep between calls, and the queries' working memory for reuse; a call
// that finds the pool busy with another caller's call runs on its own
// thread, so that any number of threads may search one index at once and
// no more threads than asked ever work for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/choice_query.h"
#include "engine/indexed_choices.h"
#include "engine/worker_pool.h"

namespace vexaro {

// A choice found for a query: its place, its score and, under -a9999, its
// longest common substring with the query.
struct ChoiceMatch {
  size_t index;
  int32_t score;
  std::string substring;
};

class ChoiceIndex {
 public:
  // The choices must be records, at most kLargestRecordLimit of them;
  // `threads` at least 1, the calling thread included.
  ChoiceIndex(const ItemRules& items, const Measure& measure, const RecordStats& stats,
              const std::vector<std::string_view>& choices, int threads);

  size_t size() const { return static_cast<size_t>(choices_.size()); }
  std::string_view text(size_t choice) const { return choices_.text(static_cast<int32_t>(choice)); }
  int threads() const { return threads_; }

  // Queries must be records. The best `limit` choices, best first, ties in
  // the order of the choices.
  std::vector<ChoiceMatch> top(std::string_view query, size_t limit) const;
  // Every choice above `min_score`, best first, ties in the order of the choices.
  std::vector<ChoiceMatch> above(std::string_view query, int32_t min_score) const;
  // The best choice of each query, the queries spread over at most
  // `threads` of the index's threads (all of them when 0 or more).
  std::vector<std::optional<ChoiceMatch>> best_of_each(const std::vector<std::string_view>& queries,
                                                       int threads) const;

 private:
  // A query's working memory, from the shelf or new, back on the shelf
  // when the holder is done.
  struct QueryDeleter {
    const ChoiceIndex* index;
    void operator()(ChoiceQuery* query) const;
  };
  using HeldQuery = std::unique_ptr<ChoiceQuery, QueryDeleter>;
  HeldQuery hold_query() const;
  std::vector<ChoiceMatch> matches_of(ChoiceQuery& query,
                                      const std::vector<ChoiceScore>& found) const;
  std::optional<ChoiceMatch> best_of(ChoiceQuery& query, std::string_view text) const;

  const IndexedChoices choices_;
  const int threads_;
  mutable std::mutex shelf_mutex_;
  mutable std::vector<std::unique_ptr<ChoiceQuery>> shelf_;
  mutable std::mutex pool_mutex_;  // held by the call that runs on the pool
  mutable WorkerPool pool_;
};

}  // namespace vexaro
