// SPDX-License-Identifier: MIT
#include "scoring/score_formula.h"

#include "common/check.h"
#include "scoring/item.h"

namespace vexaro {

int32_t final_score(const Measure& m, const RecordStats& stats, uint64_t match_sum,
                    int32_t pattern_length, int32_t searched_length, int32_t reference_stored,
                    int32_t candidate_stored) {
  VEXARO_ASSERT(pattern_length >= 1 && searched_length >= pattern_length);
  int64_t S = static_cast<int64_t>(match_sum * 1000);
  // Without records there is no mean length to correlate with; leave S as it is.
  if (m.length_correlation && stats.twice_mean_length > 0) {
    S = (static_cast<int64_t>(reference_stored) + candidate_stored) * S / stats.twice_mean_length;
  }
  return static_cast<int32_t>(S / (pattern_length + searched_length));
}

// The score is S / (pattern_length + searched_length) with S = 1000 sum (reference_stored +
// candidate_stored) / twice_mean_length, every division truncating, so the least sum above the
// threshold is a quotient rounded up. It is found in 128-bit arithmetic, where no product wraps: a
// threshold no match sum can beat (a caller's cutoff may be any int32_t) gives "none" instead of a
// search past every real sum.
uint64_t least_correlated_sum_beating(const RecordStats& stats, int32_t threshold,
                                      int32_t pattern_length, int32_t searched_length,
                                      int32_t reference_stored, int32_t candidate_stored) {
  using Wide = unsigned __int128;
  const int64_t stored = int64_t{reference_stored} + candidate_stored;
  // No sum raises a score correlated with empty records.
  if (stored <= 0 || threshold < 0 || stats.twice_mean_length <= 0)
    return threshold < 0 ? 0 : UINT64_MAX;
  const Wide lengths = static_cast<Wide>(int64_t{pattern_length} + searched_length);
  // S / lengths > threshold  <=>  S >= (threshold + 1) lengths, and
  // 1000 sum stored / twice_mean_length >= n  <=>  1000 sum stored >= n twice_mean_length.
  const Wide needed =
      (static_cast<Wide>(threshold) + 1) * lengths * static_cast<Wide>(stats.twice_mean_length);
  const Wide scale = Wide{1000} * static_cast<Wide>(stored);
  const Wide sum = (needed + scale - 1) / scale;
  // Hits cover at most the pattern, and each adds at most L * L + 2 L.
  constexpr Wide kMostSum = Wide{kMaxPrepared} * (kMaxPrepared + 2);
  return sum > kMostSum ? UINT64_MAX : static_cast<uint64_t>(sum);
}

int32_t longest_substring_score(const RecordStats& stats, int32_t longest) {
  if (stats.record_count == 0) return 0;
  const int64_t mean = static_cast<int64_t>(stats.stored_bytes) / stats.record_count;
  if (mean == 0) return 0;
  return static_cast<int32_t>(static_cast<int64_t>(longest) * 1000 / mean);
}

int32_t byte_difference_score(int64_t D, int32_t searched_length, int32_t pattern_length,
                              uint8_t min_byte, uint8_t max_byte) {
  const int64_t R = static_cast<int64_t>(max_byte) - min_byte;
  const int64_t T = D + R * (searched_length - pattern_length);
  if (T == 0) return 1000;
  const int64_t F = R * searched_length;
  if (F == 0) return 0;  // a collapsed byte range has no scale: differing items share nothing
  const int64_t score = (F - T) * 1000 / F;
  return static_cast<int32_t>(std::min<int64_t>(score, 999));
}

int32_t start_length_from_lcs(int32_t n, int32_t shortest_piece, int32_t lcs) {
  const int64_t m = shortest_counted(shortest_piece);
  if (n < 3 * m) return n;
  int64_t b = m;
  while (b < n && lcs >= b) b *= 2;
  return static_cast<int32_t>(std::min<int64_t>(b - 1, n));
}

}  // namespace vexaro
