// SPDX-License-Identifier: MIT
#include "engine/descending_scan.h"

#include <algorithm>
#include <iterator>

#include "common/bits.h"
#include "common/check.h"
#include "engine/automaton_lookup.h"
#include "engine/bit_lookup.h"
#include "engine/matching_statistics.h"
#include "scoring/score_formula.h"

namespace vexaro {

DescendingScan::DescendingScan(const Measure& measure, const RecordStats& stats)
    : measure_(measure), stats_(stats), shortest_piece_(measure.shortest_piece) {
  taken_.reserve(kItemRoom);
  waited_.reserve(kItemRoom);
  merged_.reserve(kItemRoom);
}

template <WindowLookup Lookup>
int32_t DescendingScan::score(const ArrangedPair& a, MatchingStatistics& stats, Lookup& lookup,
                              int32_t start, int32_t reference_stored, int32_t candidate_stored,
                              int32_t threshold) {
  const int32_t pattern_length = a.pattern.length, searched_length = a.searched.length;
  VEXARO_ASSERT(1 <= pattern_length && pattern_length <= searched_length);
  VEXARO_ASSERT(searched_length <= kMaxPrepared && 0 <= start && start <= pattern_length);
  auto score_of = [&](uint64_t sum) {
    return final_score(measure_, stats_, sum, pattern_length, searched_length, reference_stored,
                       candidate_stored);
  };
  const BeatingSum beating = beating_sum(measure_, stats_, threshold, pattern_length,
                                         searched_length, reference_stored, candidate_stored);
  int32_t covered = wait_at_longest(a, stats, start);
  if (const uint64_t most = match_sum_bound(measure_, covered, start, searched_length);
      !beating.reached_by(most))
    return score_of(most);
  lookup.start_scan(a);

  uint64_t match_sum = 0;
  for (int32_t L = next_length(start); L >= shortest_piece_; L = next_length(L - 1)) {
    if (const uint64_t bound = match_sum + match_sum_bound(measure_, covered, L, searched_length);
        !beating.reached_by(bound))
      return score_of(bound);
    take_waiting(L);
    for (const int32_t P : taken_) {
      const int32_t last = run_last_[P], end = run_end_[P];
      // A hit of this length took the run's first start: the rest waits on.
      if (!test_bit(alive_.data(), P)) {
        if (const int32_t next = first_set_bit(alive_.data(), P + 1, last + 1); next >= 0)
          wait(next, last, end);
        continue;
      }
      // A blank in the window: the windows of the run's starts before it
      // now end there; those after it still end where they did.
      if (const int32_t blank = first_clear_bit(alive_.data(), P, P + L); blank >= 0) {
        wait(P, std::min(last, blank - 1), blank);
        if (blank < last) wait(blank + 1, last, end);
        continue;
      }
      const WindowFound found = lookup.find(a, P, L);
      if (found.at < 0) {
        wait(P, P, P + std::min(found.longest, L - 1));
        if (P < last) wait(P + 1, last, end);
        continue;
      }
      // The hit takes the whole run: every window of it lies inside.
      match_sum += hit_increment(measure_, L, P, found.at, pattern_length, searched_length);
      lookup.blank(found.at, L);
      clear_bits(alive_.data(), P, P + L);
      covered -= L;
    }
  }
  return score_of(match_sum);
}

// The runs of starts at their longest windows; the pattern's unblanked
// bytes, which are alive; and the bytes the windows cover, each run adding
// what it reaches beyond those before.
int32_t DescendingScan::wait_at_longest(const ArrangedPair& a, MatchingStatistics& stats,
                                        int32_t start) {
  const int32_t pattern_length = a.pattern.length;
  short_ = pattern_length <= ShortWaiting::kStarts;
  if (short_) {
    short_waiting_.clear();
  } else {
    first_.clear();
    later_.clear();
  }
  stats.alive_bits(pattern_length, alive_.data());
  int32_t covered = 0, reach = 0;
  stats.for_each_run(pattern_length, start, shortest_piece_,
                     [&](int32_t P, int32_t last, int32_t end) {
                       enter(P, last, end, first_);
                       covered += std::max(0, end - std::max(reach, P));
                       reach = std::max(reach, end);
                     });
  return covered;
}

int32_t DescendingScan::next_length(int32_t below) const {
  for (int32_t w = word_of_bit(below); w >= 0; --w) {
    uint64_t bits = short_ ? short_waiting_.lengths[w] : first_.lengths[w] | later_.lengths[w];
    if (w == word_of_bit(below)) bits &= bits_through(below);
    if (bits != 0) return w * kWordBits + highest_bit(bits);
  }
  return 0;
}

void DescendingScan::take_waiting(int32_t L) {
  taken_.clear();
  if (short_) {
    short_waiting_.take(L, taken_);
    return;
  }
  if (first_.has(L)) {
    first_.take(L, taken_);
    std::reverse(taken_.begin(), taken_.end());  // in pattern order
  }
  if (!later_.has(L)) return;
  waited_.clear();
  later_.take(L, waited_);
  std::sort(waited_.begin(), waited_.end());
  if (taken_.empty()) {
    taken_.swap(waited_);
    return;
  }
  // Merged into the other buffer, both kept at full room: nothing is allocated.
  merged_.clear();
  std::merge(taken_.begin(), taken_.end(), waited_.begin(), waited_.end(),
             std::back_inserter(merged_));
  taken_.swap(merged_);
}

void DescendingScan::wait(int32_t first, int32_t last, int32_t end) {
  last = std::min(last, end - shortest_piece_);  // starts with shorter windows count nothing
  if (last < first) return;
  enter(first, last, end, later_);
}

void DescendingScan::enter(int32_t first, int32_t last, int32_t end, Waiting& list) {
  run_last_[first] = last;
  run_end_[first] = end;
  if (short_) {
    short_waiting_.push(end - first, first);
  } else {
    list.push(end - first, first);
  }
}

template int32_t DescendingScan::score(const ArrangedPair&, MatchingStatistics&, NarrowBitLookup&,
                                       int32_t, int32_t, int32_t, int32_t);
template int32_t DescendingScan::score(const ArrangedPair&, MatchingStatistics&, WideBitLookup&,
                                       int32_t, int32_t, int32_t, int32_t);
template int32_t DescendingScan::score(const ArrangedPair&, MatchingStatistics&, AutomatonLookup&,
                                       int32_t, int32_t, int32_t, int32_t);

}  // namespace vexaro
