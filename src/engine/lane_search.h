// SPDX-License-Identifier: MIT
// One lane's search of a row: its candidates in slot order, each against
// the best before it. A candidate that a bound shows cannot beat that best
// is passed over; the rest are scored exactly. The first block is taken in
// slot order, and its best soon makes a threshold that lists few of the
// rest; then blocks of the listed candidates follow, each larger and listed
// anew. Under -b every slot is swept from its candidate's first bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/candidate_bounds.h"
#include "engine/gram_index.h"
#include "engine/lane.h"
#include "engine/lanes.h"
#include "engine/prepared_records.h"
#include "engine/row_candidate.h"
#include "engine/slot_prefixes.h"
#include "records/record_index.h"
#include "scoring/item_rules.h"
#include "scoring/measure.h"
#include "scoring/row_search.h"

namespace vexaro {

class LaneSearch {
 public:
  // One lane for each of the schedule's. `grams` may be null (no gram
  // index); `prefixes` is given for the byte difference alone.
  LaneSearch(const ItemRules& items, const Measure& measure, const RecordIndex& index,
             const PreparedRecords& records, const CandidateBounds& bounds, GramIndex* grams,
             const SlotPrefixes* prefixes, LaneSchedule& schedule);

  // Searches lane `index` of the row's `lanes_used` lanes; the lane keeps
  // what may change the row.
  void search(int index, int lanes_used, const Slots& slots, int32_t row);

  // Calls take(lane, i) for the i-th candidate each of the first `lanes`
  // lanes kept, in slot order.
  template <class Take>
  void merge(int lanes, Take&& take);

 private:
  // Inlined into search: they run for every candidate a row looks at.
  void sweep(Lane& lane, const Share& share, int index, int lanes_used);
  [[gnu::always_inline]] bool seen_twin(Lane& lane, int32_t record, int32_t row) const;
  [[gnu::always_inline]] int32_t evaluate(Lane& lane, int32_t j, int32_t record, int32_t best,
                                          int32_t row);
  [[gnu::always_inline]] void list(Lane& lane, const Share& share, int32_t first, int32_t best);
  [[gnu::always_inline]] bool owns(const Share& share, int32_t record) const;
  RowCandidate candidate(int32_t record) const { return {records_, index_, grams_, record}; }

  const RecordIndex& index_;
  const PreparedRecords& records_;
  const CandidateBounds& bounds_;
  GramIndex* const grams_;
  const SlotPrefixes* const prefixes_;
  LaneSchedule& schedule_;
  const bool longest_substrings_;
  std::vector<std::unique_ptr<Lane>> lanes_;
  std::vector<size_t> next_;  // merge: per lane, its next candidate
};

template <class Take>
void LaneSearch::merge(int lanes, Take&& take) {
  next_.assign(lanes, 0);
  for (;;) {
    int first = -1;
    for (int lane = 0; lane < lanes; ++lane) {
      const Lane& l = *lanes_[lane];
      if (next_[lane] < l.kept() &&
          (first < 0 || l.kept_slot(next_[lane]) < lanes_[first]->kept_slot(next_[first])))
        first = lane;
    }
    if (first < 0) return;
    take(static_cast<const Lane&>(*lanes_[first]), next_[first]++);
  }
}

}  // namespace vexaro
