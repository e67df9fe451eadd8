// SPDX-License-Identifier: MIT
#include "engine/row_bounds.h"

#include <algorithm>
#include <climits>

#include "engine/grams.h"
#include "scoring/score_formula.h"

namespace vexaro {
namespace {

// Sums the bytes that shared q-gram windows cover, given in ascending order.
class CoverageRuns {
 public:
  void add(int32_t start) {
    if (start > reach_) run_start_ = start;
    covered_ += start + kGram - std::max(start, reach_);
    reach_ = start + kGram;
    longest_ = std::max(longest_, reach_ - run_start_);
  }
  int32_t covered() const { return covered_; }
  int32_t longest() const { return longest_; }

 private:
  int32_t covered_ = 0, longest_ = 0, run_start_ = 0, reach_ = 0;
};

}  // namespace

RowBounds::RowBounds(const Measure& measure, const RecordIndex& index,
                     const PreparedRecords& records, const GramIndex* grams)
    : measure_(measure),
      index_(index),
      records_(records),
      grams_(grams),
      grams_bound_(pieces_hold_grams(measure)) {}

void RowBounds::load_reference(int32_t record) {
  reference_ = records_.reference(record);
  if (!measure_.byte_difference()) {
    reference_signature_ = sign(measure_, reference_);
    const auto& bits = reference_signature_.grams.bits;
    std::copy(bits.begin(), bits.end(), reference_grams_.begin());
  }
  Sleni_ = index_.stored_lengths[record];
  window_bits_.clear();
  // Only single mode walks the reference's windows against a candidate's filter.
  if (!grams_bound_ || !measure_.longest_substrings()) return;
  for_each_window(reference_, [&](int32_t start, bool clean) {
    window_bits_.push_back(clean ? static_cast<int32_t>(gram_bit(reference_.bytes + start)) : -1);
  });
}

bool RowBounds::cannot_beat(int32_t record, int32_t threshold, CoverageTrials& trials) const {
  const PairLengths lengths = pair_lengths(reference_.length, records_.candidate_length(record));
  const int32_t pattern_length = lengths.pattern_length, searched_length = lengths.searched_length;
  const BeatingSum beating = beating_sum(measure_, index_.stats, threshold, pattern_length,
                                         searched_length, Sleni_, index_.stored_lengths[record]);
  auto cannot = [&](Coverage c) { return falls_short(measure_, c, searched_length, beating); };
  // The gram count refuses most candidates on its own: test the least of
  // the counts once rather than each in turn.
  int32_t covered = std::min(reference_signature_.counted, records_.counted(record));
  if (grams_ != nullptr) covered = std::min(covered, grams_->covered(record));
  if (cannot({covered, covered})) return true;
  if (!grams_bound_) return cannot(coverage(record));
  if (!trials.worth_it()) return false;
  // Hits cover as many candidate bytes as reference bytes.
  Coverage c = candidate_coverage(record);
  c.covered = std::min(c.covered, covered);
  c.longest = std::min(c.longest, c.covered);
  const bool refused = cannot(c);
  trials.note(refused);
  return refused;
}

bool RowBounds::cannot_be_longer(int32_t record, int32_t longest) const {
  if (grams_ != nullptr && grams_->covered(record) <= longest) return true;
  return coverage(record).longest <= longest;
}

int32_t RowBounds::least_coverage(int32_t word, int32_t threshold) const {
  if (measure_.longest_substrings()) return threshold + 1;
  if (threshold < 0) return 0;
  const PairLengths lengths = pair_lengths(reference_.length, grams_->shortest(word));
  const int32_t pattern_length = lengths.pattern_length, searched_length = lengths.searched_length;
  const BeatingSum beating = beating_sum(measure_, index_.stats, threshold, pattern_length,
                                         searched_length, Sleni_, grams_->longest_read(word));
  return least_covered_reaching(measure_, beating, reference_.length,
                                static_cast<uint32_t>(searched_length));
}

// Bytes the reference shares with the candidate by value, then by q-gram:
// every q-gram of a counted piece occurs in both items.
Coverage RowBounds::coverage(int32_t record) const {
  const int32_t shared = shared_bytes(reference_signature_.counts, records_.counts(record));
  if (!grams_bound_ || shared == 0) return {shared, shared};
  const GramFilter& grams = records_.grams(record);
  CoverageRuns runs;
  for (int32_t w = 0; w < static_cast<int32_t>(window_bits_.size()); ++w) {
    const int32_t bit = window_bits_[w];
    if (bit >= 0 && grams.holds(bit)) runs.add(w);
  }
  const int32_t covered = std::min(runs.covered(), shared);
  return {covered, std::min(runs.longest(), covered)};
}

// The candidate's bytes that q-grams in the reference's filter cover.
Coverage RowBounds::candidate_coverage(int32_t record) const {
  const bool runs = measure_.by_length();
  if (const uint16_t* bits = records_.window_bits(record))
    return window_coverage(bits, records_.candidate_length(record), reference_grams_.data(), runs);
  return item_coverage(records_.candidate(record), reference_grams_.data(), runs);
}

}  // namespace vexaro
