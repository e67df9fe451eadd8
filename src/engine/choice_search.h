// SPDX-License-Identifier: MIT
// The one-to-many search: one query scored against a list of choices. The
// choices are handed out to the threads of a worker pool in chunks, in
// index order; each thread scores its chunks with its own reference scorer
// of the query, whose cutoff lets the bounds pass over most choices and
// cuts the scan of many others short. The best choice's cutoff is the best
// any thread has found so far: a choice before it must reach that score,
// one after it must pass it, so every choice that could still win is
// scored exactly, and the threads' finds come out as a one-by-one search
// would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/choice_ranking.h"
#include "engine/reference_scorer.h"
#include "engine/worker_pool.h"
#include "records/record_index.h"
#include "scoring/item_rules.h"
#include "scoring/measure.h"

namespace vexaro {

// The choices, with the rules, the measure and the record statistics they
// are scored under. Read-only while searched, so that threads share it;
// each choice is prepared by the scorer of the thread that meets it.
class ChoiceList {
 public:
  // `choices` must outlive the list, and hold fewer than UINT32_MAX.
  ChoiceList(const ItemRules& items, const Measure& measure, const RecordStats& stats,
             std::span<const std::string> choices);

  size_t size() const { return choices_.size(); }
  std::string_view operator[](size_t i) const { return choices_[i]; }
  const ItemRules& items() const { return items_; }
  const Measure& measure() const { return measure_; }
  const RecordStats& stats() const { return stats_; }

 private:
  const ItemRules items_;
  const Measure measure_;
  const RecordStats stats_;
  const std::span<const std::string> choices_;
};

class ChoiceSearch {
 public:
  // How many threads share the choices: `threads` when it is positive (at
  // most one a chunk), else the engine's threads once the choices are
  // worth sharing.
  static int lanes_for(const ChoiceList& choices, int threads);

  // A reference scorer of `query` for each of `lanes` threads, made here,
  // on the calling thread, so that only it can throw. `choices` must
  // outlive the search.
  ChoiceSearch(const ChoiceList& choices, std::string_view query, int lanes);

  int lanes() const { return static_cast<int>(scorers_.size()); }

  // The pool runs the search when there is more than one lane, and then
  // has at least as many threads. A choice that is no record (empty, or
  // holding a zero byte) is passed over, and told by first_refused.
  //
  // The highest score above INT32_MIN, the earliest choice of it.
  std::optional<ChoiceScore> best(WorkerPool& pool);
  // Every choice scoring above `min_score`, the highest first, ties in
  // index order.
  std::vector<ChoiceScore> above(int32_t min_score, WorkerPool& pool);
  // The `limit` best choices, the highest first, ties in index order; a
  // choice is scored exactly only while it could still be among them.
  std::vector<ChoiceScore> top(size_t limit, WorkerPool& pool);
  // The first choice the last search passed over, or SIZE_MAX.
  size_t first_refused() const { return first_refused_; }

 private:
  // Calls visit(scorer, index, lane) for every choice that is a record, the
  // choices of a chunk in index order on one thread.
  template <class Visit>
  void run(WorkerPool& pool, Visit&& visit);

  const ChoiceList& choices_;
  std::vector<std::unique_ptr<ReferenceScorer>> scorers_;  // one a lane
  size_t first_refused_ = SIZE_MAX;
};

}  // namespace vexaro
