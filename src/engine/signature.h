// SPDX-License-Identifier: MIT
// What a prepared item holds, in forms that give quick upper bounds of what
// two items can have in common: its bytes by value, and a filter of its
// q-grams.
#pragma once

#include <array>
#include <cstdint>

#include "common/bits.h"
#include "scoring/item.h"
#include "scoring/measure.h"

namespace vexaro {

struct ByteCounts {
  static constexpr int kBuckets = 32;
  alignas(kLineBytes)
      std::array<int16_t, kBuckets> histogram{};  // bytes by value & 31, blanks left out
};

struct GramFilter {
  static constexpr int kBits = 4096;
  static constexpr int kWords = words_for(kBits);
  std::array<uint64_t, kWords> bits{};  // which q-grams occur (a Bloom filter)
  bool holds(uint32_t bit) const { return test_bit(bits.data(), bit); }
};

struct Signature {
  ByteCounts counts;
  GramFilter grams;     // empty when pieces need not hold q-grams
  int32_t counted = 0;  // bytes that are not blank
};

Signature sign(const Measure& measure, ItemView item);

}  // namespace vexaro
