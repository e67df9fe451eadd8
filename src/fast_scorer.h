// The fast exact pair scorer. It computes the same score as the literal
// scorer, but from an index of the searched item instead of a byte-string
// search for every window:
//
// A suffix automaton of the searched item gives, for every start P in the
// pattern, the longest piece from P that occurs in the searched item
// (matching statistics). The doubling probe that chooses the start length
// only asks whether some piece of a probe length occurs, so the longest
// common substring decides it. The descending scan then visits only the
// windows (P, L) whose piece can occur at all: blanking found pieces only
// removes occurrences, so the first statistics stay an upper bound. Each
// such window is looked up through the automaton (its first occurrence in
// the unblanked item) and confirmed against the blanked item, exactly as the
// literal scan would find it. The scan stops early once the match sum plus
// what the unmatched bytes could still add cannot beat a given threshold.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "record_index.h"
#include "settings.h"
#include "similarity.h"

namespace vexaro {

// A prepared item as the scorers see it, with its length.
struct PreparedView {
  const uint8_t* bytes;
  int32_t length;
};

// Upper bound of the match sum for hits that cover at most `total` bytes,
// none longer than `longest`, given the searched length LB.
uint64_t match_sum_bound(const Settings& s, uint64_t total, uint64_t longest, uint32_t LB);

// The start length the doubling probe gives for pattern length n, MINSCAN m
// and a longest common substring of `lcs` bytes.
int32_t start_length_from_lcs(int32_t n, int32_t m, int32_t lcs);

class PairScorer {
 public:
  PairScorer(const Settings& settings, const RecordStats& stats);

  // The exact score of `candidate` against `reference` when it is above
  // `threshold`; otherwise some value not above it.
  int32_t score(PreparedView reference, PreparedView candidate, int32_t Sleni, int32_t Slenj,
                int32_t threshold);

  // Single mode: the length and bytes of the first hit the literal scan
  // would make (0 when there is none).
  int32_t single_hit(PreparedView reference, PreparedView candidate, std::vector<uint8_t>& window);

 private:
  struct Arranged {
    int32_t LA, LB;  // pattern and searched lengths
  };
  Arranged arrange(PreparedView reference, PreparedView candidate);
  void build_automaton(const uint8_t* text, int32_t length);
  int32_t matching_statistics(int32_t LA);  // returns the longest common substring
  int32_t common_substring_score(Arranged a, int32_t Sleni, int32_t Slenj, int32_t threshold);
  int32_t first_occurrence(int32_t P, int32_t L, int32_t LB);
  void blank_pattern(int32_t P, int32_t L);

  static constexpr int kRoom = kMaxPrepared + 4;
  static constexpr int kStates = 2 * kRoom + 2;
  static constexpr int kEdges = 4 * kRoom + 16;

  const Settings& settings_;
  const RecordStats& stats_;
  std::array<uint8_t, kRoom> searched_{}, pattern_{};
  // Suffix automaton of the searched item; edges in per-state lists.
  std::array<int32_t, kStates> len_{}, link_{}, first_end_{}, head_{};
  std::array<int32_t, kEdges> edge_next_{}, edge_to_{};
  std::array<uint8_t, kEdges> edge_byte_{};
  int32_t states_ = 0, edges_ = 0;
  // Per pattern position: longest occurring piece ending there, its state,
  // longest blank-free occurring piece starting there, next blank at or after.
  std::array<int32_t, kRoom> end_len_{}, end_state_{}, start_len_{}, next_blank_{};
};

}  // namespace vexaro
