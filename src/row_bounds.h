// What a row knows of its reference, and the upper bounds of candidate
// scores it draws from that, cheapest first. A candidate is passed over only
// when a bound shows that it cannot beat the row's best so far.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "fast_scorer.h"
#include "gram_index.h"
#include "prepared_records.h"

namespace vexaro {

// What the hits of a pair could make up.
struct Coverage {
  int32_t covered;  // bytes that hits could cover
  int32_t longest;  // the longest hit there could be
};

// Whether a pair whose hits make up at most `c` cannot score above
// `threshold`; LA and LB are the pattern and searched lengths. Not for -b
// scores, which coverage does not bound.
inline bool coverage_cannot_beat(const Settings& settings, const RecordStats& stats, Coverage c,
                                 int32_t LA, int32_t LB, int32_t Sleni, int32_t Slenj,
                                 int32_t threshold) {
  if (settings.adapt == 0 && !settings.linlencor) {
    // The score is 2000 C / (LA + LB).
    return int64_t{2000} * c.covered < (int64_t{threshold} + 1) * (LA + LB);
  }
  const uint64_t sum = match_sum_bound(settings, c.covered, c.longest, LB);
  return final_score(settings, stats, sum, LA, LB, Sleni, Slenj) <= threshold;
}

// The bytes of a candidate that q-grams held in a reference's filter
// `grams` cover, from `bits`, per q-gram window of the candidate its filter
// bit or PreparedRecords::kNoBit; `grams` has one more, clear, word for
// those. The longest run of covered bytes is found only when `runs` asks
// (only length-weighted scores read it); otherwise it is the covered count.
Coverage window_coverage(const uint16_t* bits, int32_t length, int32_t q, const uint64_t* grams,
                         bool runs);

class RowBounds {
 public:
  // `grams` may be null: rows are then bounded by byte counts and filters.
  RowBounds(const Settings& settings, const RecordIndex& index, const PreparedRecords& records,
            const GramIndex* grams);

  void load_reference(int32_t record);
  ItemView reference() const { return reference_; }
  int32_t Sleni() const { return Sleni_; }

  // Whether the candidate's score cannot exceed `threshold`. Not for -b
  // scores, which coverage does not bound.
  bool cannot_beat(int32_t record, int32_t threshold) const;
  // Single mode: whether the candidate's first hit cannot be longer.
  bool cannot_be_longer(int32_t record, int32_t longest) const;
  // The least coverage count with which a candidate of the index's bitset
  // word could beat `threshold`.
  int32_t least_coverage(int32_t word, int32_t threshold) const;

 private:
  int32_t shared_bytes(int32_t record) const;
  Coverage coverage(int32_t record) const;
  Coverage candidate_coverage(int32_t record) const;

  const Settings& settings_;
  const RecordIndex& index_;
  const PreparedRecords& records_;
  const GramIndex* grams_;
  const int32_t gram_;
  const bool plain_;  // no weighting and no correlation: the score is 2000 C / (LA + LB)
  ItemView reference_{nullptr, 0};
  Signature reference_signature_;
  // The reference's q-gram filter and a clear word, which the windows
  // holding a blank point into.
  std::array<uint64_t, GramFilter::kBits / 64 + 1> reference_grams_{};
  std::vector<int32_t> window_bits_;  // single mode: per q-gram start its filter bit, -1 if blank
  int32_t Sleni_ = 0;
};

}  // namespace vexaro
