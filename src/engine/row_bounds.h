// SPDX-License-Identifier: MIT
// What a row knows of its reference, and the upper bounds of candidate
// scores it draws from that, cheapest first. A candidate is passed over only
// when a bound shows that it cannot beat the row's best so far.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "engine/coverage.h"
#include "engine/gram_index.h"
#include "engine/prepared_records.h"
#include "engine/signature.h"
#include "records/record_index.h"
#include "records/settings.h"
#include "scoring/item.h"

namespace vexaro {

class RowBounds {
 public:
  // `grams` may be null: rows are then bounded by byte counts and filters.
  RowBounds(const Settings& settings, const RecordIndex& index, const PreparedRecords& records,
            const GramIndex* grams);

  void load_reference(int32_t record);
  ItemView reference() const { return reference_; }
  int32_t reference_stored() const { return Sleni_; }

  // Whether the candidate's score cannot exceed `threshold`. Not for -b
  // scores, which coverage does not bound.
  bool cannot_beat(int32_t record, int32_t threshold, CoverageTrials& trials) const;
  // Single mode: whether the candidate's first hit cannot be longer.
  bool cannot_be_longer(int32_t record, int32_t longest) const;
  // The least coverage count with which a candidate of the index's bitset
  // word could beat `threshold`: a bound for all its candidates at once.
  int32_t least_coverage(int32_t word, int32_t threshold) const;

 private:
  Coverage coverage(int32_t record) const;
  Coverage candidate_coverage(int32_t record) const;

  const Settings& settings_;
  const RecordIndex& index_;
  const PreparedRecords& records_;
  const GramIndex* grams_;
  const bool grams_bound_;  // every counted piece holds a q-gram
  ItemView reference_{nullptr, 0};
  Signature reference_signature_;
  // The reference's q-gram filter and a clear word, which the windows
  // holding a blank point into.
  std::array<uint64_t, GramFilter::kWords + 1> reference_grams_{};
  std::vector<int32_t> window_bits_;  // single mode: per q-gram start its filter bit, -1 if blank
  int32_t Sleni_ = 0;
};

}  // namespace vexaro
