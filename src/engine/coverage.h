// SPDX-License-Identifier: MIT
// What two items can have in common, bounded from their signatures: the
// bytes their hits could cover and the longest hit there could be. Every
// counted piece holds q-grams of both items, so a byte can be covered only
// where a q-gram window over it is held by the other item too.
#pragma once

#include <algorithm>
#include <cstdint>

#include "common/bits.h"
#include "engine/byte_runs.h"
#include "engine/grams.h"
#include "engine/signature.h"
#include "scoring/score_formula.h"

namespace vexaro {

struct Coverage {
  int32_t covered;  // bytes that hits could cover
  int32_t longest;  // the longest hit there could be
};

// Whether hits that make up at most `c` leave the match sum short of
// `beating`, when the searched item has searched_length bytes.
inline bool falls_short(const Measure& measure, Coverage c, int32_t searched_length,
                        BeatingSum beating) {
  return !beating.reached_by(
      match_sum_bound(measure, c.covered, c.longest, static_cast<uint32_t>(searched_length)));
}

// The filter bit of the q-gram window at `bytes`, or GramFilter::kBits
// where the window holds a blank.
inline uint16_t window_filter_bit(const uint8_t* bytes) {
  return holds_blank(bytes, kGram) ? GramFilter::kBits : static_cast<uint16_t>(gram_bit(bytes));
}

// The bytes of an item of `length` bytes that q-grams held in a filter's
// bits `grams` cover, from bit_at(i), per q-gram window i of the item its
// window_filter_bit (`grams` has one more, clear, word for the blank
// windows' bit). The longest run of covered bytes is found only when
// `runs` asks (only length-weighted scores read it); otherwise it is the
// covered count. Counted 64 bytes at a time: byte p is covered when a
// window from p-q+1 to p is held. Inline: it runs for most candidates a
// row looks at closely.
template <class BitAt>
inline Coverage coverage_of_windows(BitAt&& bit_at, int32_t length, const uint64_t* grams,
                                    bool runs) {
  const int32_t windows = std::max(length - kGram + 1, 0);
  Coverage c{0, 0};
  uint64_t held_before = 0;
  for (int32_t base = 0, run = 0; base < windows + kGram - 1; base += kWordBits) {
    const int32_t count = std::clamp(windows - base, 0, kWordBits);
    uint64_t held = 0;
    for (int32_t i = 0; i < count; ++i) {
      const uint16_t bit = bit_at(base + i);
      held |= uint64_t{test_bit(grams, bit)} << i;
    }
    uint64_t covered = held;
    for (int32_t k = 1; k < kGram; ++k) covered |= held << k | held_before >> (kWordBits - k);
    held_before = held;
    c.covered += count_ones(covered);
    if (!runs) continue;
    // The run from the blocks before goes on through the low ones; the high
    // ones go on into the next block.
    const uint64_t gaps = ~covered;
    if (gaps == 0) {
      run += kWordBits;
    } else {
      c.longest = std::max(c.longest, run + trailing_zeros(gaps));
      int32_t inner = 0;
      for (uint64_t ones = covered; ones != 0; ones &= ones << 1) ++inner;
      c.longest = std::max(c.longest, inner);
      run = leading_zeros(gaps);
    }
    c.longest = std::max(c.longest, run);
  }
  if (!runs) c.longest = c.covered;
  return c;
}

// The same from the windows' bits made beforehand.
inline Coverage window_coverage(const uint16_t* bits, int32_t length, const uint64_t* grams,
                                bool runs) {
  return coverage_of_windows([bits](int32_t i) { return bits[i]; }, length, grams, runs);
}

// The same from the item's bytes.
inline Coverage item_coverage(ItemView item, const uint64_t* grams, bool runs) {
  return coverage_of_windows([&](int32_t i) { return window_filter_bit(item.bytes + i); },
                             item.length, grams, runs);
}

// How a lane's candidate-side coverage fared in a row: a bound that keeps
// letting everything through (versions of one text, say) is not worth its
// pass over the candidate, and is no longer asked in that row. Leaving a
// bound out never changes a result, only what is scored exactly.
struct CoverageTrials {
  static constexpr int32_t kTries = 16;
  int32_t tried = 0, refused = 0;
  bool worth_it() const { return tried < kTries || refused * kTries >= tried; }
  void note(bool refused_it) {
    ++tried;
    refused += refused_it;
  }
};

// Bytes two items share by value (in 32 buckets), blanks left out.
int32_t shared_bytes(const ByteCounts& a, const ByteCounts& b);

}  // namespace vexaro
