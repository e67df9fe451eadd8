// SPDX-License-Identifier: MIT
// Q-grams: the shortest counted piece is 3 bytes, so every counted piece
// contains a whole 3-gram, and the q-grams two items share bound what they
// can have in common. Under -m pieces of 1 byte count and q-grams bound nothing.
#pragma once

#include <cstdint>

#include "scoring/item.h"
#include "scoring/measure.h"

namespace vexaro {

inline constexpr int32_t kGram = 3;

// Whether every counted piece holds a q-gram.
inline bool pieces_hold_grams(const Measure& measure) { return measure.shortest_piece >= kGram; }

// The q-gram at `bytes` as one number, its bytes in order: below 2^24.
inline uint32_t gram_key(const uint8_t* bytes) {
  return uint32_t{bytes[0]} << 16 | uint32_t{bytes[1]} << 8 | bytes[2];
}

// Fibonacci hashing: the top bits of the product spread q-gram keys evenly.
inline uint32_t gram_hash(uint32_t key, uint32_t shift) { return (key * 0x9E3779B1u) >> shift; }

// The bit of the q-gram at `bytes` in a 4096-bit filter.
inline uint32_t gram_bit(const uint8_t* bytes) {
  uint32_t h = 0;
  for (int32_t i = 0; i < kGram; ++i) h = (h ^ bytes[i]) * 0x9E3779B1u;
  return h >> (32 - 12);
}

// Calls visit(start, clean) for every q-gram window of the item, where
// `clean` tells whether the window holds no blank byte (only clean windows
// can lie inside a counted piece).
template <class Visit>
void for_each_window(ItemView item, Visit&& visit) {
  for (int32_t end = 0, run = 0; end < item.length; ++end) {
    run = item.bytes[end] == kBlank ? 0 : run + 1;
    if (end + 1 >= kGram) visit(end + 1 - kGram, run >= kGram);
  }
}

}  // namespace vexaro
