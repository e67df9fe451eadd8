// SPDX-License-Identifier: MIT
// The distinct q-grams of each ranked record, gathered while the gram
// index is built.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "common/bits.h"
#include "common/check.h"
#include "engine/grams.h"
#include "engine/prepared_records.h"

namespace vexaro {

// A set of q-gram keys, below 2^24: one bit per possible key, in zeroed memory
// that is only touched where keys fall, and a summary bit per block of 64
// words, so that listing the keys in order reads only blocks that hold
// some. Touching all 2 MB of a 3-byte key space would cost more than
// indexing a small input.
class KeyBits {
 public:
  KeyBits()
      : words_(words_for(size_t{1} << (8 * kGram))),
        bits_(static_cast<uint64_t*>(std::calloc(words_, sizeof(uint64_t)))),
        summary_(words_for((words_ + kBlock - 1) / kBlock), 0) {
    if (bits_ == nullptr) throw std::bad_alloc();
  }
  ~KeyBits() { std::free(bits_); }
  KeyBits(const KeyBits&) = delete;
  KeyBits& operator=(const KeyBits&) = delete;

  bool test_and_set(uint32_t key) {
    VEXARO_ASSERT(word_of_bit(key) < words_);
    const bool was = test_bit(bits_, key);
    set_bit(bits_, key);
    set_bit(summary_.data(), word_of_bit(key) / kBlock);
    return was;
  }
  // Clears the key's word, and any other key in it.
  void clear_word(uint32_t key) { bits_[word_of_bit(key)] = 0; }
  // Calls visit(key) for every key in ascending order, and clears the set.
  template <class Visit>
  void drain(Visit&& visit) {
    for_each_bit(summary_.data(), summary_.size(), [&](size_t block) {
      const size_t first = block * kBlock;
      for (size_t w = first; w < std::min(first + kBlock, words_); ++w) {
        for_each_bit(bits_[w],
                     [&](int place) { visit(static_cast<uint32_t>(w * kWordBits + place)); });
        bits_[w] = 0;
      }
    });
    std::fill(summary_.begin(), summary_.end(), 0);
  }

 private:
  static constexpr size_t kBlock = 64;  // words per summary bit
  size_t words_;
  uint64_t* bits_;
  std::vector<uint64_t> summary_;
};

// The grams are gathered rank by rank, each time they are needed, rather
// than held for all ranks at once: on the largest inputs that would take
// several times the memory of the postings themselves.
class RankGrams {
 public:
  RankGrams(const PreparedRecords& records, const std::vector<int32_t>& record_at)
      : records_(records), record_at_(record_at) {}

  // Calls visit(key) for every key any rank holds, in ascending order.
  template <class Visit>
  void each_key(Visit&& visit) {
    for (int32_t rank = 0; rank < static_cast<int32_t>(record_at_.size()); ++rank)
      each_window(rank, [&](uint32_t key) { seen_.test_and_set(key); });
    seen_.drain(visit);
  }
  // The keys the rank holds, each once.
  const std::vector<uint32_t>& of(int32_t rank) {
    grams_.clear();
    each_window(rank, [&](uint32_t key) {
      if (!seen_.test_and_set(key)) grams_.push_back(key);
    });
    for (uint32_t key : grams_) seen_.clear_word(key);
    return grams_;
  }

 private:
  template <class Visit>
  void each_window(int32_t rank, Visit&& visit) const {
    const ItemView item = records_.candidate(record_at_[rank]);
    for_each_window(item, [&](int32_t start, bool clean) {
      if (clean) visit(gram_key(item.bytes + start));
    });
  }

  const PreparedRecords& records_;
  const std::vector<int32_t>& record_at_;
  KeyBits seen_;
  std::vector<uint32_t> grams_;
};

}  // namespace vexaro
