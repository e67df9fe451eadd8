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
// ones by a suffix automaton with q-gram chains.
#pragma once

#include <cstdint>

#include "engine/automaton_lookup.h"
#include "engine/bit_lookup.h"
#include "engine/descending_scan.h"
#include "engine/matching_statistics.h"
#include "records/record_index.h"
#include "scoring/item.h"
#include "scoring/item_rules.h"
#include "scoring/measure.h"

namespace vexaro {

// Single mode: the first hit of the scan, which is all that mode looks at.
struct SingleHit {
  int32_t length = 0;              // 0 when the scan finds nothing
  const uint8_t* bytes = nullptr;  // its bytes, in one of the two items given
};

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

  // Single mode: the first hit the literal scan would make.
  SingleHit single_hit(ItemView reference, ItemView candidate);

 private:
  enum class Lookup { narrow, wide, automaton };
  // Fills the statistics with the lookup that fits the searched item;
  // returns the longest common substring.
  int32_t statistics(const ArrangedPair& a);

  const Measure measure_;
  const bool items_hold_blanks_;
  const RecordStats& stats_;
  const int32_t minscan_;
  MatchingStatistics statistics_;
  NarrowBitLookup narrow_;
  WideBitLookup wide_;
  AutomatonLookup automaton_;
  Lookup lookup_ = Lookup::narrow;
  DescendingScan scan_;
};

}  // namespace vexaro
