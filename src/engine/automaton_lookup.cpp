// SPDX-License-Identifier: MIT
#include "engine/automaton_lookup.h"

#include <algorithm>
#include <cstring>

#include "common/check.h"
#include "engine/byte_runs.h"
#include "engine/grams.h"
#include "engine/matching_statistics.h"

namespace vexaro {

int32_t AutomatonLookup::statistics(const ArrangedPair& a, MatchingStatistics& stats) {
  stats_ = &stats;
  through_pattern_ = a.reference_is_pattern && shortest_piece_ >= kGram;
  const ItemView indexed = through_pattern_ ? a.pattern : a.searched;
  if (!automaton_.holds(indexed)) {
    automaton_.build(indexed);
    automaton_chains_.build(indexed);
  }
  // Only the reference's automaton serves enough walks to repay completing it.
  if (completes_ && (through_pattern_ || !a.reference_is_pattern)) automaton_.complete();
  if (!through_pattern_) return automaton_.statistics_of(a.pattern, stats);
  searched_chained_ = false;
  return automaton_.statistics_through(a.searched, stats);
}

void AutomatonLookup::start_scan(const ArrangedPair& a) {
  std::memcpy(searched_.data(), a.searched.bytes, a.searched.length + 1);
  automaton_chains_.restore();  // the last pair's blanking took places out
  std::fill_n(missed_.begin(), a.pattern.length, Piece{});
}

WindowFound AutomatonLookup::find(const ArrangedPair& a, int32_t P, int32_t L) {
  VEXARO_ASSERT(P >= 0 && L >= 1 && P + L <= a.pattern.length);
  if (L < kGram) return {short_window(a, P, L), L};
  return chained(a, P, L);
}

void AutomatonLookup::blank(int32_t H, int32_t L) {
  VEXARO_ASSERT(H >= 0 && L >= 1 && H + L <= kMaxPrepared);
  std::memset(searched_.data() + H, kBlank, L);
}

// A window as long as a q-gram. Its first occurrence in the unblanked item
// is the leftmost if blanking has not touched it; so is the place a miss at
// this start remembered, for a window as long as the piece found there (it
// was the leftmost of the longest). Otherwise the places that begin with
// the same q-gram are searched, which also tells the longest piece from P
// that still occurs: P is not tried again before the scan reaches that
// length.
WindowFound AutomatonLookup::chained(const ArrangedPair& a, int32_t P, int32_t L) {
  if (missed_[P].length == L && missed_[P].at >= 0) {
    if (!holds_blank(searched_.data() + missed_[P].at, L)) return {missed_[P].at, L};
  } else if (!through_pattern_) {
    const int32_t H = automaton_.first_occurrence(stats_->end_state[P + L - 1], L);
    if (!holds_blank(searched_.data() + H, L)) return {H, L};
  }
  if (through_pattern_ && !searched_chained_) chain_searched(a);
  GramChains& chains = through_pattern_ ? searched_chains_ : automaton_chains_;
  const uint8_t* window = a.pattern.bytes + P;
  const int32_t first = through_pattern_ ? chains.first_of_class(automaton_.gram_class_at(P))
                                         : chains.first_of(gram_key(window));
  const Piece piece = chains.longest_piece(first, searched_.data(), a.searched.length, window, L);
  if (piece.length == L) return {piece.at, L};
  // No piece as long as a q-gram: shorter windows from P are not chained.
  if (piece.length < kGram) {
    missed_[P] = {};
    return {-1, kGram - 1};
  }
  missed_[P] = piece;
  return {-1, piece.length};
}

// Chained when first needed: single mode and scans that stop early never
// ask. The walk through the pattern's automaton told which pattern q-gram
// ends at each searched byte, so the chains need no hashing; q-grams the
// pattern lacks are left out, as no window starts with them.
void AutomatonLookup::chain_searched(const ArrangedPair& a) {
  searched_chains_.build_by_class(a.searched.length, automaton_.gram_classes(), [&](int32_t end) {
    return automaton_.gram_class_of(stats_->end_state[end]);
  });
  searched_chained_ = true;
}

// A window shorter than a q-gram: its first occurrence, or the next one
// after it that blanking left.
int32_t AutomatonLookup::short_window(const ArrangedPair& a, int32_t P, int32_t L) const {
  const int32_t H = automaton_.first_occurrence(stats_->end_state[P + L - 1], L);
  if (!holds_blank(searched_.data() + H, L)) return H;
  const int32_t searched_length = a.searched.length;
  const void* later =
      memmem(searched_.data() + H + 1, searched_length - H - 1, a.pattern.bytes + P, L);
  return later == nullptr
             ? -1
             : static_cast<int32_t>(static_cast<const uint8_t*>(later) - searched_.data());
}

}  // namespace vexaro
