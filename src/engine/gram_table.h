// SPDX-License-Identifier: MIT
// An open-addressing table from q-gram keys to numbers, at most half full,
// with room for its largest size made once: filling it anew allocates nothing.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/grams.h"

namespace vexaro {

class GramTable {
 public:
  explicit GramTable(uint32_t most_keys) {
    uint32_t slots = kFewestSlots;
    while (slots < 2 * most_keys) slots *= 2;
    keys_.assign(slots, kEmpty);
    values_.resize(slots);
    reset(most_keys);
  }

  // Empties the table, sized for `keys` keys: a small one clears little.
  void reset(uint32_t keys) {
    uint32_t slots = kFewestSlots;
    shift_ = 32 - kFewestBits;
    while (slots < 2 * keys && slots < keys_.size()) {
      slots *= 2;
      --shift_;
    }
    mask_ = slots - 1;
    std::fill_n(keys_.begin(), slots, kEmpty);
  }

  // The number kept for `key`, or -1.
  int32_t find(uint32_t key) const {
    for (uint32_t slot = gram_hash(key, shift_);; slot = (slot + 1) & mask_) {
      if (keys_[slot] == key) return values_[slot];
      if (keys_[slot] == kEmpty) return -1;
    }
  }

  // The number kept for `key`, to be written; -1 for a key not yet held.
  int32_t& insert(uint32_t key) {
    uint32_t slot = gram_hash(key, shift_);
    while (keys_[slot] != kEmpty && keys_[slot] != key) slot = (slot + 1) & mask_;
    if (keys_[slot] == kEmpty) {
      keys_[slot] = key;
      values_[slot] = -1;
    }
    return values_[slot];
  }

 private:
  static constexpr uint32_t kEmpty = UINT32_MAX;  // no key: keys are below 2^24
  static constexpr uint32_t kFewestBits = 6;
  static constexpr uint32_t kFewestSlots = 1u << kFewestBits;
  std::vector<uint32_t> keys_;
  std::vector<int32_t> values_;
  uint32_t mask_ = 0, shift_ = 0;
};

}  // namespace vexaro
