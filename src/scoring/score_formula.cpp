// SPDX-License-Identifier: MIT
#include "scoring/score_formula.h"

namespace vexaro {

int32_t final_score(const Settings& s, const RecordStats& stats, uint64_t match_sum, int32_t LA,
                    int32_t LB, int32_t Sleni, int32_t Slenj) {
  int64_t S = static_cast<int64_t>(match_sum * 1000);
  // Without records there is no mean length to correlate with; leave S as it is.
  if (s.linlencor && stats.Smeanlen2 > 0) {
    S = (static_cast<int64_t>(Sleni) + Slenj) * S / stats.Smeanlen2;
  }
  return static_cast<int32_t>(S / (LA + LB));
}

// Estimated from the score's formula, then made exact against it: the
// score is S / (LA + LB) with S = 1000 sum (Sleni + Slenj) / Smeanlen2,
// every division truncating.
uint64_t least_correlated_sum_beating(const Settings& s, const RecordStats& stats,
                                      int32_t threshold, int32_t pattern_length,
                                      int32_t searched_length, int32_t reference_stored,
                                      int32_t candidate_stored) {
  const uint64_t lengths =
      static_cast<uint64_t>(pattern_length) + static_cast<uint64_t>(searched_length);
  const uint64_t target = (static_cast<uint64_t>(threshold) + 1) * lengths;
  const uint64_t scale =
      uint64_t{1000} * static_cast<uint64_t>(int64_t{reference_stored} + candidate_stored);
  if (scale == 0) return UINT64_MAX;  // no sum raises a score correlated with empty records
  uint64_t sum = (target * static_cast<uint64_t>(stats.Smeanlen2) + scale - 1) / scale;
  auto beats = [&](uint64_t m) {
    return final_score(s, stats, m, pattern_length, searched_length, reference_stored,
                       candidate_stored) > threshold;
  };
  while (sum > 0 && beats(sum - 1)) --sum;
  while (!beats(sum)) ++sum;
  return sum;
}

int32_t single_score(const RecordStats& stats, int32_t longest) {
  if (stats.Linza == 0) return 0;
  const int64_t mean = static_cast<int64_t>(stats.Slinlensum) / stats.Linza;
  if (mean == 0) return 0;
  return static_cast<int32_t>(static_cast<int64_t>(longest) * 1000 / mean);
}

int32_t byte_difference_score(int64_t D, int32_t searched_length, int32_t pattern_length,
                              uint8_t Minbyt, uint8_t Maxbyt) {
  const int64_t R = static_cast<int64_t>(Maxbyt) - Minbyt;
  const int64_t T = D + R * (searched_length - pattern_length);
  if (T == 0) return 1000;
  const int64_t F = R * searched_length;
  if (F == 0) return 0;  // a collapsed byte range has no scale: differing items share nothing
  const int64_t score = (F - T) * 1000 / F;
  return static_cast<int32_t>(std::min<int64_t>(score, 999));
}

int32_t start_length_from_lcs(int32_t n, int32_t MINSCAN, int32_t lcs) {
  const int64_t m = shortest_counted(MINSCAN);
  if (n < 3 * m) return n;
  int64_t b = m;
  while (b < n && lcs >= b) b *= 2;
  return static_cast<int32_t>(std::min<int64_t>(b - 1, n));
}

}  // namespace vexaro
