// SPDX-License-Identifier: MIT
// The ids of a set of q-gram keys, numbered in ascending order: a key's id
// is its place in the set. The keys are kept as their last bytes, grouped
// by their first two, one byte a key beside a fixed table of group starts:
// a hash table would take 16 to 32 bytes a key, and binary inputs hold
// millions of distinct q-grams.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/grams.h"

namespace vexaro {

class GramIds {
 public:
  GramIds() : group_begin_(kGroups + 1, 0) {}

  // Adds a key above every key added before.
  void append(uint32_t key) {
    last_bytes_.push_back(static_cast<uint8_t>(key));
    ++group_begin_[(key >> 8) + 1];
  }
  // After the last append: turns the group counts into starts.
  void seal() {
    for (uint32_t group = 0; group < kGroups; ++group)
      group_begin_[group + 1] += group_begin_[group];
    last_bytes_.shrink_to_fit();
  }

  int32_t size() const { return static_cast<int32_t>(last_bytes_.size()); }
  // The key's id, or -1.
  int32_t find(uint32_t key) const {
    const uint32_t begin = group_begin_[key >> 8], end = group_begin_[(key >> 8) + 1];
    const uint8_t last = static_cast<uint8_t>(key);
    if (end - begin <= kScanned) {
      for (uint32_t id = begin; id < end; ++id) {
        if (last_bytes_[id] == last) return static_cast<int32_t>(id);
      }
      return -1;
    }
    const void* at = std::memchr(last_bytes_.data() + begin, last, end - begin);
    return at == nullptr
               ? -1
               : static_cast<int32_t>(static_cast<const uint8_t*>(at) - last_bytes_.data());
  }

 private:
  static constexpr uint32_t kGroups = uint32_t{1} << (8 * (kGram - 1));
  static constexpr uint32_t kScanned = 16;  // groups this small are scanned without a call
  std::vector<uint32_t> group_begin_;       // per first two bytes: the first id
  std::vector<uint8_t> last_bytes_;         // per id: the key's last byte
};

}  // namespace vexaro
