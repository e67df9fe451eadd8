// SPDX-License-Identifier: MIT
// The window lookup of searched items longer than a bit lookup takes. The
// suffix automaton gives the matching statistics and each window's first
// occurrence in the unblanked item; once blanking took that place, the
// window is searched along its q-gram chain.
//
// A row's reference meets many candidates, so its automaton is kept. A
// candidate longer than the reference is searched, but rather than build
// the candidate's automaton, the candidate is walked through the
// reference's; its windows are then found through the candidate's q-gram
// chains alone, which serve only windows as long as a q-gram.
#pragma once

#include <array>
#include <cstdint>

#include "engine/arranged_pair.h"
#include "engine/gram_chains.h"
#include "engine/suffix_automaton.h"
#include "engine/window_lookup.h"

namespace vexaro {

class AutomatonLookup {
 public:
  // `completes` whether a reference's automaton is completed for walks:
  // worth it when it meets many candidates.
  AutomatonLookup(int32_t shortest_piece, bool completes)
      : shortest_piece_(shortest_piece), completes_(completes) {}

  int32_t statistics(const ArrangedPair& a, MatchingStatistics& stats);
  void start_scan(const ArrangedPair& a);
  WindowFound find(const ArrangedPair& a, int32_t P, int32_t L);
  void blank(int32_t H, int32_t L);

 private:
  WindowFound chained(const ArrangedPair& a, int32_t P, int32_t L);
  void chain_searched(const ArrangedPair& a);
  int32_t short_window(const ArrangedPair& a, int32_t P, int32_t L) const;

  const int32_t shortest_piece_;
  const bool completes_;
  const MatchingStatistics* stats_ = nullptr;
  SuffixAutomaton automaton_;
  // The q-gram chains of the automaton's item, and of a candidate walked
  // through the reference's automaton, chained when first needed.
  GramChains automaton_chains_, searched_chains_;
  bool searched_chained_ = false;
  // Whether this pair walks the searched item through the pattern's automaton.
  bool through_pattern_ = false;
  // The scan's copy of the searched item, blanked as pieces are found.
  std::array<uint8_t, kItemRoom> searched_;
  // Per window start that missed along its chain: the longest piece from it
  // that still occurred, and where it first stood (-1 if none).
  std::array<Piece, kItemRoom> missed_;
};
static_assert(WindowLookup<AutomatonLookup>);

}  // namespace vexaro
