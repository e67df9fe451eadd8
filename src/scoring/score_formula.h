// SPDX-License-Identifier: MIT
// The arithmetic of a score: what a hit adds to the match sum, how the sum
// becomes the final score, and the bounds that let faster engines prove a
// candidate cannot beat a row's best without scoring it.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>

#include "records/record_index.h"
#include "scoring/measure.h"

namespace vexaro {

// The pattern (pattern_length) and searched (searched_length) lengths of two prepared items: the
// shorter one supplies the patterns; an empty item counts as one blank byte.
struct PairLengths {
  int32_t pattern_length, searched_length;
};
inline PairLengths pair_lengths(int32_t a, int32_t b) {
  return {std::max(std::min(a, b), 1), std::max({a, b, 1})};
}

// What one hit of length L at pattern start P and searched start H adds to
// the match sum; pattern_length and searched_length are the pattern and searched lengths. Inline:
// the scans add one for every hit.
inline uint32_t hit_increment(const Measure& m, uint32_t L, uint32_t P, uint32_t H,
                              uint32_t pattern_length, uint32_t searched_length) {
  if (m.weighting == Weighting::plain) return 2 * L;
  const uint32_t PA = (L / 2 + P) * 100 / pattern_length;
  const uint32_t PB = (H + L / 2) * 100 / searched_length;
  const uint32_t D = PA > PB ? PA - PB : PB - PA;
  const uint32_t position = 2 * L / (D / 10 + 1);
  if (!m.by_length()) return position;
  const uint32_t length = L * L / (searched_length / m.length_divisor + 1);
  return m.by_position() ? (position + length) / 2 : length;
}

// The common-substring score of a match sum. Never decreases as the match
// sum grows, which is what lets faster engines prune with bounds of it.
int32_t final_score(const Measure& measure, const RecordStats& stats, uint64_t match_sum,
                    int32_t pattern_length, int32_t searched_length, int32_t reference_stored,
                    int32_t candidate_stored);

// The least match sum whose final score is above `threshold` under -f, or
// UINT64_MAX when no match sum two items can reach is.
uint64_t least_correlated_sum_beating(const RecordStats& stats, int32_t threshold,
                                      int32_t pattern_length, int32_t searched_length,
                                      int32_t reference_stored, int32_t candidate_stored);

// Which match sums give a final score above a threshold: those with
// sum * scale >= target. Kept in that form so that plain scores, which the
// bounds ask about for every candidate they look at, need no division.
struct BeatingSum {
  uint64_t target = 0, scale = 1;
  bool reached_by(uint64_t sum) const { return sum * scale >= target; }
};

// The sums whose final score is above `threshold`. The stored lengths of
// the two records are what -f correlates with.
inline BeatingSum beating_sum(const Measure& measure, const RecordStats& stats, int32_t threshold,
                              int32_t pattern_length, int32_t searched_length,
                              int32_t reference_stored, int32_t candidate_stored) {
  if (threshold < 0) return {0, 1};
  if (measure.length_correlation && stats.twice_mean_length > 0)
    return {least_correlated_sum_beating(stats, threshold, pattern_length, searched_length,
                                         reference_stored, candidate_stored),
            1};
  // The score is 1000 sum / (pattern_length + searched_length), truncated.
  const uint64_t lengths =
      static_cast<uint64_t>(pattern_length) + static_cast<uint64_t>(searched_length);
  return {(static_cast<uint64_t>(threshold) + 1) * lengths, 1000};
}

// Upper bound of the match sum of hits that cover at most `covered` pattern
// bytes, none longer than `longest`, when the searched item has searched_length bytes.
inline uint64_t match_sum_bound(const Measure& measure, uint64_t covered, uint64_t longest,
                                uint32_t searched_length) {
  if (covered == 0 || longest == 0) return 0;
  // A position increment never exceeds 2 L, the plain increment.
  if (!measure.by_length()) return 2 * covered;
  // Each hit of length L adds at most L * L / K, and L <= longest.
  const uint64_t K = searched_length / measure.length_divisor + 1;
  if (!measure.by_position()) return covered * longest / K;
  return covered + covered * longest / (2 * K);
}

// The least count c of covered bytes whose match_sum_bound(c, c) reaches
// `beating`, when the pattern has at most `most` bytes: INT32_MAX when even
// `most` does not. What one count must reach for any of a group of
// candidates to beat a threshold.
inline int32_t least_covered_reaching(const Measure& measure, BeatingSum beating, int32_t most,
                                      uint32_t searched_length) {
  // Unweighted, the bound is twice the count: the least c with 2 c scale
  // >= target, divided by a constant where it can be, for it runs for
  // every bitset word a row lists.
  if (!measure.by_length()) {
    // A correlated target may be UINT64_MAX, none: halved without wrapping.
    const uint64_t least = beating.scale == 1000 ? (beating.target + 1999) / 2000
                                                 : beating.target / 2 + (beating.target & 1);
    return static_cast<int32_t>(std::min<uint64_t>(least, INT32_MAX));
  }
  auto reaches = [&](int32_t covered) {
    return beating.reached_by(match_sum_bound(measure, covered, covered, searched_length));
  };
  if (!reaches(most)) return INT32_MAX;
  int32_t low = 0, high = most;
  while (low < high) {
    const int32_t mid = low + (high - low) / 2;
    if (reaches(mid)) {
      high = mid;
    } else {
      low = mid + 1;
    }
  }
  return low;
}

// The longest-substrings score of a row whose longest common substring so far has
// `longest` bytes.
int32_t longest_substring_score(const RecordStats& stats, int32_t longest);

// The byte-difference score of items whose compared bytes differ by D in all.
int32_t byte_difference_score(int64_t D, int32_t searched_length, int32_t pattern_length,
                              uint8_t min_byte, uint8_t max_byte);

// The shortest common piece that counts: a shortest_piece below 1 would make empty
// windows match forever.
inline int32_t shortest_counted(int32_t shortest_piece) {
  return std::max<int32_t>(shortest_piece, 1);
}

// The start length that the doubling probe gives for a pattern of n bytes
// whose longest piece occurring in the searched item has `lcs` bytes.
int32_t start_length_from_lcs(int32_t n, int32_t shortest_piece, int32_t lcs);

}  // namespace vexaro
