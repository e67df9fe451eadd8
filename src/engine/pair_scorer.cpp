// SPDX-License-Identifier: MIT
#include "engine/pair_scorer.h"

#include <algorithm>

#include "engine/byte_runs.h"
#include "scoring/score_formula.h"

namespace vexaro {

PairScorer::PairScorer(const Settings& settings, const RecordStats& stats, Use use)
    : settings_(settings),
      stats_(stats),
      minscan_(shortest_counted(settings.shortest_piece)),
      narrow_(minscan_),
      wide_(minscan_),
      automaton_(minscan_, use == Use::rows),
      scan_(settings, stats) {}

int32_t PairScorer::statistics(const ArrangedPair& a) {
  statistics_.measure_blank_free(a.pattern, settings_.omit_in_use);
  if (a.searched.length <= NarrowBitLookup::kLongestItem) {
    lookup_ = Lookup::narrow;
    return narrow_.statistics(a, statistics_);
  }
  if (a.searched.length <= WideBitLookup::kLongestItem) {
    lookup_ = Lookup::wide;
    return wide_.statistics(a, statistics_);
  }
  lookup_ = Lookup::automaton;
  return automaton_.statistics(a, statistics_);
}

int32_t PairScorer::score(ItemView reference, ItemView candidate, int32_t reference_stored,
                          int32_t candidate_stored, int32_t threshold) {
  const ArrangedPair a = arrange(reference, candidate);
  if (settings_.byte_difference) {
    const int32_t pattern_length = a.pattern.length, searched_length = a.searched.length;
    return byte_difference_score(
        byte_differences(a.searched.bytes, a.pattern.bytes, pattern_length), searched_length,
        pattern_length, stats_.min_byte, stats_.max_byte);
  }
  const int32_t start = start_length_from_lcs(a.pattern.length, minscan_, statistics(a));
  switch (lookup_) {
    case Lookup::narrow:
      return scan_.score(a, statistics_, narrow_, start, reference_stored, candidate_stored,
                         threshold);
    case Lookup::wide:
      return scan_.score(a, statistics_, wide_, start, reference_stored, candidate_stored,
                         threshold);
    case Lookup::automaton:
      break;
  }
  return scan_.score(a, statistics_, automaton_, start, reference_stored, candidate_stored,
                     threshold);
}

// The scan's first hit is the leftmost of the longest windows that occur.
SingleHit PairScorer::single_hit(ItemView reference, ItemView candidate) {
  const ArrangedPair a = arrange(reference, candidate);
  const int32_t start = start_length_from_lcs(a.pattern.length, minscan_, statistics(a));
  statistics_.ensure_starts(a.pattern.length);
  SingleHit hit;
  for (int32_t P = 0; P < a.pattern.length; ++P) {
    const int32_t longest = statistics_.longest_window(P, start);
    if (longest > hit.length) hit = {longest, a.pattern.bytes + P};
  }
  if (hit.length < minscan_) return {};
  return hit;
}

}  // namespace vexaro
