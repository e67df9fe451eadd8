// SPDX-License-Identifier: MIT
// Matching statistics of a pair: per pattern position, the longest piece
// starting there that occurs in the searched item, and how far the pattern
// runs from there without a blank. Blanking found pieces only removes
// occurrences, so these bound every window the scan can still find.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "common/bits.h"
#include "scoring/item.h"

namespace vexaro {

struct MatchingStatistics {
  // Longest occurring piece from each start: made by the bit lookups, and
  // from end_len when asked (ensure_starts).
  std::array<int32_t, kItemRoom> start_len;
  bool starts_made = false;
  // Longest occurring piece ending at each byte, and its automaton state,
  // when an automaton made them. After a walk through the pattern's
  // automaton, end_state is per searched byte instead (see
  // SuffixAutomaton::statistics_through).
  std::array<int32_t, kItemRoom> end_len, end_state;
  // Unblanked run from each start, when the pattern holds a blank; zeroed
  // once, as it is read a word of 64 at a time.
  std::array<int32_t, kItemWords * kWordBits> blank_free{};
  bool has_blank = false;

  // `may_hold_blanks`: an omit list is in force, so blanks can stand
  // anywhere; otherwise only an empty item's blank can.
  void measure_blank_free(ItemView pattern, bool may_hold_blanks);
  // The pattern bytes that are not blank, as bits.
  void alive_bits(int32_t pattern_length, uint64_t* bits) const;
  // start_len from end_len, over a pattern of pattern_length bytes, unless made.
  void ensure_starts(int32_t pattern_length);
  // The longest window from P that can hit, given the scan's start length.
  int32_t longest_window(int32_t P, int32_t start) const {
    const int32_t longest = std::min(start_len[P], start);
    return has_blank ? std::min(longest, blank_free[P]) : longest;
  }

  // Calls visit(first, last, end) for runs of window starts, first to last,
  // whose longest window ends before `end`, in order of their starts; every
  // start whose longest window has `shortest` bytes or more is in one.
  template <class Visit>
  void for_each_run(int32_t pattern_length, int32_t start, int32_t shortest, Visit&& visit);
  static constexpr int32_t kRunsFromEnds = 256;  // patterns this long take runs from the ends

 private:
  template <class Visit>
  void runs_from_starts(int32_t pattern_length, int32_t start, int32_t shortest,
                        Visit&& visit) const;
  template <class Visit>
  void runs_from_ends(int32_t pattern_length, int32_t start, int32_t shortest, Visit&& visit) const;
  // Per byte i, a bit set where the piece ending at i+1 does not start where
  // the one ending at i does (and at the last byte): the ends of the groups.
  const uint64_t* group_ends(int32_t pattern_length) const;
  mutable std::array<uint64_t, kItemWords> group_ends_;
};

template <class Visit>
void MatchingStatistics::for_each_run(int32_t pattern_length, int32_t start, int32_t shortest,
                                      Visit&& visit) {
  // Short patterns have many short pieces: a pass over the starts is cheaper.
  if (starts_made || has_blank || pattern_length < kRunsFromEnds) {
    ensure_starts(pattern_length);
    runs_from_starts(pattern_length, start, shortest, visit);
  } else {
    runs_from_ends(pattern_length, start, shortest, visit);
  }
}

// Each start's longest window; a run goes on while the windows end at the
// same byte.
template <class Visit>
void MatchingStatistics::runs_from_starts(int32_t pattern_length, int32_t start, int32_t shortest,
                                          Visit&& visit) const {
  for (int32_t P = 0; P < pattern_length;) {
    const int32_t end = P + longest_window(P, start);
    if (end - P < shortest) {
      ++P;
      continue;
    }
    int32_t last = P;
    while (last + 1 < pattern_length && last + 1 <= end - shortest &&
           last + 1 + longest_window(last + 1, start) == end)
      ++last;
    visit(P, last, end);
    P = last + 1;
  }
}

// The pieces ending at consecutive bytes that start at the same byte s
// form a group; the last of them ends before e. Every start from s up to
// the next group's start has its longest piece end before e (the starts of
// pieces never decrease), so each group gives one run, without a pass over
// the starts. Near-identical items have a few groups. Starts whose piece is
// longer than the start length wait each at that length on their own.
template <class Visit>
void MatchingStatistics::runs_from_ends(int32_t pattern_length, int32_t start, int32_t shortest,
                                        Visit&& visit) const {
  int32_t s = 1 - end_len[0];
  for_each_bit(group_ends(pattern_length), words_for(pattern_length), [&](int32_t i) {
    const int32_t end = i + 1;  // i is the group's last piece
    const int32_t next = i + 1 < pattern_length ? i + 2 - end_len[i + 1] : pattern_length;
    const int32_t first = std::max(s, end - start), last = std::min(next - 1, end - shortest);
    if (start >= shortest) {
      for (int32_t P = s; P < first && P <= last; ++P) visit(P, P, P + start);
    }
    if (first <= last) visit(first, last, end);
    s = next;
  });
}

}  // namespace vexaro
