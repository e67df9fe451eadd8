// SPDX-License-Identifier: MIT
// The fast exact pair scorer. It gives the literal scorer's scores, but from
// an index of the searched item instead of a byte-string search for every
// window: the matching statistics give, for every pattern start, the longest
// piece from there that occurs in the searched item. The doubling probe
// that picks the start length only asks whether some piece of each probe
// length occurs, so the longest common substring decides it; the descending
// scan then visits only the windows whose piece occurs at all.
//
// Searched items of up to 64 and 128 bytes are indexed by bit lookups, longer
// ones by a suffix automaton with q-gram chains: the searched length chooses
// the lookup, which then serves the statistics and the scan of that pair.
#pragma once

#include <cstdint>

#include "engine/automaton_lookup.h"
#include "engine/bit_lookup.h"
#include "engine/descending_scan.h"
#include "engine/longest_hit.h"
#include "engine/matching_statistics.h"
#include "records/record_index.h"
#include "scoring/item.h"
#include "scoring/item_rules.h"
#include "scoring/measure.h"

namespace vexaro {

class PairScorer {
 public:
  // How often a reference is scored: a row's reference meets many
  // candidates, which repays completing its automaton for quick walks; a
  // single pair is scored without that step and its table.
  enum class Use { rows, single_pair };
  // Reads of the item rules whether items may hold blanks.
  PairScorer(const ItemRules& items, const Measure& measure, const RecordStats& stats,
             Use use = Use::rows);
  PairScorer(const PairScorer&) = delete;
  PairScorer& operator=(const PairScorer&) = delete;

  // The literal scorer's score of `candidate` against `reference` when that
  // score is above `threshold`; otherwise some value not above `threshold`.
  // reference_stored and candidate_stored are the stored lengths of the two records.
  int32_t score(ItemView reference, ItemView candidate, int32_t reference_stored,
                int32_t candidate_stored, int32_t threshold);

  // Longest substrings: the first hit the literal scan would make.
  LongestHit longest_hit(ItemView reference, ItemView candidate);

 private:
  // Calls visit(lookup) with the lookup that fits the pair's searched item.
  template <class Visit>
  int32_t with_lookup(const ArrangedPair& a, Visit&& visit);
  // Fills the statistics with `lookup`; returns the start length of the scan.
  template <class Lookup>
  int32_t measure_statistics(const ArrangedPair& a, Lookup& lookup);

  const Measure measure_;
  const bool items_hold_blanks_;
  const RecordStats& stats_;
  const int32_t shortest_piece_;
  MatchingStatistics statistics_;
  NarrowBitLookup narrow_;
  WideBitLookup wide_;
  AutomatonLookup automaton_;
  DescendingScan scan_;
};

}  // namespace vexaro
