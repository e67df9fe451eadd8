// SPDX-License-Identifier: MIT
#include "engine/pair_scorer.h"

#include <algorithm>

#include "common/check.h"
#include "engine/byte_runs.h"
#include "scoring/score_formula.h"

namespace vexaro {

PairScorer::PairScorer(const ItemRules& items, const Measure& measure, const RecordStats& stats,
                       Use use)
    : measure_(measure),
      items_hold_blanks_(items.blanks_bytes()),
      stats_(stats),
      shortest_piece_(measure.shortest_piece),
      narrow_(shortest_piece_),
      wide_(shortest_piece_),
      automaton_(shortest_piece_, use == Use::rows),
      scan_(measure, stats) {}

template <class Visit>
inline int32_t PairScorer::with_lookup(const ArrangedPair& a, Visit&& visit) {
  if (a.searched.length <= NarrowBitLookup::kLongestItem) return visit(narrow_);
  if (a.searched.length <= WideBitLookup::kLongestItem) return visit(wide_);
  return visit(automaton_);
}

template <class Lookup>
inline int32_t PairScorer::measure_statistics(const ArrangedPair& a, Lookup& lookup) {
  statistics_.measure_blank_free(a.pattern, items_hold_blanks_);
  const int32_t longest = lookup.statistics(a, statistics_);
  return start_length_from_lcs(a.pattern.length, shortest_piece_, longest);
}

namespace {

[[maybe_unused]] bool fits(ItemView item) {
  return item.length >= 0 && item.length <= kMaxPrepared;
}

}  // namespace

int32_t PairScorer::score(ItemView reference, ItemView candidate, int32_t reference_stored,
                          int32_t candidate_stored, int32_t threshold) {
  VEXARO_ASSERT(fits(reference) && fits(candidate));
  const ArrangedPair a = arrange(reference, candidate);
  if (measure_.byte_difference()) {
    const int32_t pattern_length = a.pattern.length, searched_length = a.searched.length;
    return byte_difference_score(
        byte_differences(a.searched.bytes, a.pattern.bytes, pattern_length), searched_length,
        pattern_length, stats_.min_byte, stats_.max_byte);
  }
  return with_lookup(a, [&](auto& lookup) {
    const int32_t start = measure_statistics(a, lookup);
    return scan_.score(a, statistics_, lookup, start, reference_stored, candidate_stored,
                       threshold);
  });
}

// The scan's first hit is the leftmost of the longest windows that occur.
LongestHit PairScorer::longest_hit(ItemView reference, ItemView candidate) {
  VEXARO_ASSERT(fits(reference) && fits(candidate));
  const ArrangedPair a = arrange(reference, candidate);
  const int32_t start = with_lookup(a, [&](auto& lookup) { return measure_statistics(a, lookup); });
  statistics_.ensure_starts(a.pattern.length);
  LongestHit hit;
  for (int32_t P = 0; P < a.pattern.length; ++P) {
    const int32_t longest = statistics_.longest_window(P, start);
    if (longest > hit.length) hit = {longest, a.pattern.bytes + P};
  }
  if (hit.length < shortest_piece_) return {};
  return hit;
}

}  // namespace vexaro
