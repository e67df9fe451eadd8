// SPDX-License-Identifier: MIT
#include "engine/coverage.h"

#include <algorithm>

#include "engine/grams.h"

namespace vexaro {

// 64 bytes at a time: byte p is covered when a window from p-q+1 to p is
// held.
Coverage window_coverage(const uint16_t* bits, int32_t length, const uint64_t* grams, bool runs) {
  const int32_t windows = std::max(length - kGram + 1, 0);
  Coverage c{0, 0};
  uint64_t held_before = 0;
  for (int32_t base = 0, run = 0; base < windows + kGram - 1; base += 64) {
    const int32_t count = std::clamp(windows - base, 0, 64);
    uint64_t held = 0;
    for (int32_t i = 0; i < count; ++i) {
      const uint16_t bit = bits[base + i];
      held |= ((grams[bit >> 6] >> (bit & 63)) & 1) << i;
    }
    uint64_t covered = held;
    for (int32_t k = 1; k < kGram; ++k) covered |= held << k | held_before >> (64 - k);
    held_before = held;
    c.covered += __builtin_popcountll(covered);
    if (!runs) continue;
    // The run from the blocks before goes on through the low ones; the high
    // ones go on into the next block.
    const uint64_t gaps = ~covered;
    if (gaps == 0) {
      run += 64;
    } else {
      c.longest = std::max(c.longest, run + __builtin_ctzll(gaps));
      int32_t inner = 0;
      for (uint64_t ones = covered; ones != 0; ones &= ones << 1) ++inner;
      c.longest = std::max(c.longest, inner);
      run = __builtin_clzll(gaps);
    }
    c.longest = std::max(c.longest, run);
  }
  if (!runs) c.longest = c.covered;
  return c;
}

int32_t shared_bytes(const ByteCounts& a, const ByteCounts& b) {
  int32_t shared = 0;
  for (int k = 0; k < ByteCounts::kBuckets; ++k) shared += std::min(a.histogram[k], b.histogram[k]);
  return shared;
}

}  // namespace vexaro
