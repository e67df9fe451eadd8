// SPDX-License-Identifier: MIT
// One lane's search of a row: its candidates in slot order, each against
// the best before it. A candidate that a bound shows cannot beat that best
// is passed over; the rest are scored exactly. The first block is taken in
// slot order, and its best soon makes a threshold that lists few of the
// rest; then blocks of the listed candidates follow, each larger and listed
// anew. Under -b every slot is swept from its candidate's first bytes.
#pragma once

#include <cstdint>

#include "engine/candidate_bounds.h"
#include "engine/gram_index.h"
#include "engine/lanes.h"
#include "engine/prepared_records.h"
#include "engine/row_candidate.h"
#include "engine/slot_prefixes.h"
#include "records/record_index.h"
#include "scoring/row_search.h"

namespace vexaro {

class LaneSearch {
 public:
  // `grams` may be null (no gram index); `prefixes` is set under -b.
  LaneSearch(const RecordIndex& index, const PreparedRecords& records,
             const CandidateBounds& bounds, GramIndex* grams, LaneSchedule& lanes,
             bool longest_substrings)
      : index_(index),
        records_(records),
        bounds_(bounds),
        grams_(grams),
        lanes_(lanes),
        longest_substrings_(longest_substrings) {}

  void use_prefixes(const SlotPrefixes* prefixes) { prefixes_ = prefixes; }

  // Searches lane `index` of the row's `lanes_used` lanes; the lane keeps
  // what it took.
  void search(int index, int lanes_used, const Slots& slots, int32_t row);

 private:
  // Inlined into search: they run for every candidate a row looks at.
  void sweep(Lane& lane, int index, int lanes_used);
  [[gnu::always_inline]] bool seen_twin(Lane& lane, int32_t record, int32_t row) const;
  [[gnu::always_inline]] int32_t evaluate(Lane& lane, int32_t j, int32_t record, int32_t best,
                                          int32_t row);
  [[gnu::always_inline]] void list(Lane& lane, int32_t first, int32_t best);
  [[gnu::always_inline]] bool owns(const Lane& lane, int32_t record) const;
  RowCandidate candidate(int32_t record) const { return {records_, index_, grams_, record}; }

  const RecordIndex& index_;
  const PreparedRecords& records_;
  const CandidateBounds& bounds_;
  GramIndex* const grams_;
  LaneSchedule& lanes_;
  const bool longest_substrings_;
  const SlotPrefixes* prefixes_ = nullptr;
};

}  // namespace vexaro
