// SPDX-License-Identifier: MIT
#include "engine/candidate_bounds.h"

#include "common/check.h"
#include "engine/grams.h"

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

CandidateBounds::CandidateBounds(const Measure& measure, const RecordStats& stats)
    : measure_(measure), stats_(stats), grams_bound_(pieces_hold_grams(measure)) {}

void CandidateBounds::load_reference(ItemView reference, int32_t reference_stored) {
  VEXARO_ASSERT(reference.length >= 0 && reference.length <= kMaxPrepared);
  VEXARO_ASSERT(reference_stored >= 0 && reference_stored <= kMaxRecordLength);
  reference_ = reference;
  reference_stored_ = reference_stored;
  window_bits_.clear();
  if (measure_.byte_difference()) return;
  const Signature signature = sign(measure_, reference);
  counts_ = signature.counts;
  counted_ = signature.counted;
  std::copy(signature.grams.bits.begin(), signature.grams.bits.end(), grams_.begin());
  // Only longest substrings walk the reference's windows against a candidate's filter.
  if (!grams_bound_ || !measure_.longest_substrings()) return;
  for_each_window(reference, [&](int32_t start, bool clean) {
    window_bits_.push_back(clean ? static_cast<int32_t>(gram_bit(reference.bytes + start)) : -1);
  });
}

int32_t CandidateBounds::least_coverage(int32_t shortest, int32_t longest_stored,
                                        int32_t threshold) const {
  // A first hit longer than the threshold covers more bytes than it.
  if (measure_.longest_substrings()) return threshold + 1;
  if (threshold < 0) return 0;
  const PairLengths lengths = pair_lengths(reference_.length, shortest);
  const BeatingSum beating =
      beating_sum(measure_, stats_, threshold, lengths.pattern_length, lengths.searched_length,
                  reference_stored_, longest_stored);
  return least_covered_reaching(measure_, beating, reference_.length,
                                static_cast<uint32_t>(lengths.searched_length));
}

// Every q-gram of a counted piece occurs in both items.
Coverage CandidateBounds::reference_windows_coverage(const ByteCounts& counts,
                                                     const GramFilter& grams) const {
  const int32_t shared = shared_bytes(counts_, counts);
  if (!grams_bound_ || shared == 0) return {shared, shared};
  CoverageRuns runs;
  for (int32_t w = 0; w < static_cast<int32_t>(window_bits_.size()); ++w) {
    const int32_t bit = window_bits_[w];
    if (bit >= 0 && grams.holds(bit)) runs.add(w);
  }
  const int32_t covered = std::min(runs.covered(), shared);
  return {covered, std::min(runs.longest(), covered)};
}

}  // namespace vexaro
