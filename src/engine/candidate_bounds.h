// SPDX-License-Identifier: MIT
// The upper bounds of a candidate's score against one reference, cheapest
// first: the bytes both items count, then the bytes of the candidate that
// q-grams of the reference cover (or, where pieces need not hold q-grams,
// the bytes the two share by value). A candidate is passed over only when a
// bound shows that it cannot beat a threshold. The row search and the
// one-reference scorer both ask here, each knowing its candidates its own
// way; a new bound belongs here too.
#pragma once

#include <algorithm>
#include <array>
#include <concepts>
#include <cstdint>
#include <vector>

#include "engine/coverage.h"
#include "engine/signature.h"
#include "records/record_index.h"
#include "scoring/item.h"
#include "scoring/measure.h"
#include "scoring/score_formula.h"

namespace vexaro {

// What the bounds read of a candidate.
template <class C>
concept BoundedCandidate = requires(const C& c, const uint64_t* grams, bool runs) {
  { c.length() } -> std::same_as<int32_t>;                   // its prepared length
  { c.stored() } -> std::same_as<int32_t>;                   // its stored length
  { c.most_matched() } -> std::same_as<int32_t>;             // at most its bytes that are not blank
  { c.counts() } -> std::convertible_to<const ByteCounts&>;  // its bytes by value
  // Its bytes that q-grams held in the filter bits `grams` cover; the
  // longest run of them only when `runs` asks.
  { c.coverage(grams, runs) } -> std::same_as<Coverage>;
};

// In longest-substrings mode the bounds also read the candidate's own q-gram filter.
template <class C>
concept FilteredCandidate = BoundedCandidate<C> && requires(const C& c) {
  { c.grams() } -> std::convertible_to<const GramFilter&>;
};

class CandidateBounds {
 public:
  // `stats` must outlive the bounds.
  CandidateBounds(const Measure& measure, const RecordStats& stats);

  // The reference from now on, a prepared item that must outlive its use;
  // signed unless the measure is the byte difference, which no bound reads.
  void load_reference(ItemView reference, int32_t reference_stored);
  ItemView reference() const { return reference_; }
  int32_t reference_stored() const { return reference_stored_; }

  // Whether the candidate's score cannot exceed `threshold`. Not for byte
  // differences, which coverage does not bound. `trials`, when given, may
  // leave out the candidate-side coverage where it keeps failing.
  template <BoundedCandidate C>
  bool cannot_beat(const C& candidate, int32_t threshold, CoverageTrials* trials) const;

  // Longest substrings: whether the candidate's first hit cannot be longer
  // than `longest` bytes.
  template <FilteredCandidate C>
  bool cannot_be_longer(const C& candidate, int32_t longest) const {
    if (candidate.most_matched() <= longest) return true;
    return reference_windows_coverage(candidate.counts(), candidate.grams()).longest <= longest;
  }

  // The least count of reference bytes covered by a candidate's q-grams
  // with which some candidate of at least `shortest` prepared bytes and at
  // most `longest_stored` stored bytes could beat `threshold`: a bound for
  // a group of candidates at once. In longest-substrings mode the threshold
  // is a hit's length.
  int32_t least_coverage(int32_t shortest, int32_t longest_stored, int32_t threshold) const;

 private:
  // Bytes the reference shares with the candidate by value, then those its
  // q-gram windows held by the candidate's filter cover.
  Coverage reference_windows_coverage(const ByteCounts& counts, const GramFilter& grams) const;

  const Measure measure_;
  const RecordStats& stats_;
  const bool grams_bound_;  // every counted piece holds a q-gram
  ItemView reference_{nullptr, 0};
  int32_t reference_stored_ = 0;
  ByteCounts counts_;
  int32_t counted_ = 0;  // reference bytes that are not blank
  // The reference's q-gram filter and a clear word, which the candidate's
  // windows holding a blank point into.
  std::array<uint64_t, GramFilter::kWords + 1> grams_{};
  // Longest substrings: per q-gram window of the reference its filter bit, -1 if blank.
  std::vector<int32_t> window_bits_;
};

template <BoundedCandidate C>
inline bool CandidateBounds::cannot_beat(const C& candidate, int32_t threshold,
                                         CoverageTrials* trials) const {
  const PairLengths lengths = pair_lengths(reference_.length, candidate.length());
  const int32_t searched_length = lengths.searched_length;
  const BeatingSum beating = beating_sum(measure_, stats_, threshold, lengths.pattern_length,
                                         searched_length, reference_stored_, candidate.stored());
  auto cannot = [&](Coverage c) { return falls_short(measure_, c, searched_length, beating); };
  // The count of matchable bytes refuses most candidates on its own.
  const int32_t most = std::min(counted_, candidate.most_matched());
  if (cannot({most, most})) return true;
  if (!grams_bound_) {
    const int32_t shared = shared_bytes(counts_, candidate.counts());
    return cannot({shared, shared});
  }
  if (trials != nullptr && !trials->worth_it()) return false;
  // Hits cover as many candidate bytes as reference bytes.
  Coverage c = candidate.coverage(grams_.data(), measure_.by_length());
  c.covered = std::min(c.covered, most);
  c.longest = std::min(c.longest, c.covered);
  const bool refused = cannot(c);
  if (trials != nullptr) trials->note(refused);
  return refused;
}

}  // namespace vexaro
