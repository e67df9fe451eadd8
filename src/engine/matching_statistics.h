// Matching statistics of a pair: per pattern position, the longest piece
// starting there that occurs in the searched item, and how far the pattern
// runs from there without a blank. Blanking found pieces only removes
// occurrences, so these bound every window the scan can still find.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "scoring/item.h"

namespace vexaro {

// Room for any prepared item, with slack for reads a word past its end.
inline constexpr int kItemRoom = kMaxPrepared + 8;
inline constexpr int kItemWords = (kItemRoom + 63) / 64;

struct MatchingStatistics {
  // Longest occurring piece from each start.
  std::array<int32_t, kItemRoom> start_len;
  // Longest occurring piece ending at each byte, and its automaton state,
  // when an automaton of the searched item made them.
  std::array<int32_t, kItemRoom> end_len, end_state;
  // Unblanked run from each start, when the pattern holds a blank; zeroed
  // once, as it is read 64 at a time.
  std::array<int32_t, kItemWords * 64> blank_free{};
  bool has_blank = false;

  void measure_blank_free(ItemView pattern);
  // The pattern bytes that are not blank, as bits.
  void alive_bits(int32_t LA, uint64_t* bits) const;
  // start_len from end_len, over a pattern of LA bytes; returns the longest.
  int32_t starts_from_ends(int32_t LA);
  // The longest window from P that can hit, given the scan's start length.
  int32_t longest_window(int32_t P, int32_t start) const {
    const int32_t longest = std::min(start_len[P], start);
    return has_blank ? std::min(longest, blank_free[P]) : longest;
  }
};

}  // namespace vexaro
