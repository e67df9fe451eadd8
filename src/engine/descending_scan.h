// The descending scan of the common-substring measure, exact but for what
// it can skip: for each window length from the start length down, each
// window of the pattern that holds no blank is looked up in the searched
// item; a hit counts, and its bytes are blanked in both items.
//
// Only the windows (P, L) whose piece occurs at all are visited: a start
// becomes active at the level of its longest occurring window, and a miss
// can lower that length. The scan stops once the match sum plus what the
// unmatched bytes could still add cannot beat the caller's threshold.
#pragma once

#include <array>
#include <cstdint>

#include "engine/arranged_pair.h"
#include "engine/matching_statistics.h"
#include "records/record_index.h"
#include "records/settings.h"

namespace vexaro {

class DescendingScan {
 public:
  DescendingScan(const Settings& settings, const RecordStats& stats);

  // The literal scan's score when it is above `threshold`; otherwise some
  // value not above it. `lookup` knows the searched item (see window_lookup.h).
  template <class Lookup>
  int32_t score(const ArrangedPair& a, const MatchingStatistics& stats, Lookup& lookup,
                int32_t start, int32_t Sleni, int32_t Slenj, int32_t threshold);

 private:
  // The bytes the longest windows could cover, after setting up the starts.
  int32_t measure(const ArrangedPair& a, const MatchingStatistics& stats, int32_t start);
  void activate_by_length(int32_t LA, int32_t start);
  void activate_level(int32_t L, int32_t words);
  void group_by_length(int32_t LA, int32_t start);
  void mark_at_least(int32_t L, int32_t words);
  // After a miss at P: no window from P longer than `longest` can hit.
  void lower(int32_t P, int32_t longest);

  const Settings& settings_;
  const RecordStats& stats_;
  const int32_t minscan_;
  // Per window start: the longest window that can still hit, or 0.
  std::array<int32_t, kItemRoom> longest_;
  // Window starts grouped by their longest window.
  std::array<int32_t, kItemRoom> by_length_, length_begin_, length_end_;
  // Per length, the starts lowered to it, linked.
  std::array<int32_t, kItemRoom> lowered_first_, lowered_next_;
  // A pattern this short has its windows marked by length all at once.
  static constexpr int kShortPattern = 128;
  bool short_pattern_ = false;
  std::array<uint8_t, kShortPattern> short_longest_;
  static constexpr int kStreams = 4;
  std::array<int32_t, kItemRoom * kStreams> level_counts_;  // per length and stream of starts
  // The starts active at this level, and the pattern bytes not yet blanked.
  std::array<uint64_t, kItemWords> active_, alive_;
};

}  // namespace vexaro
