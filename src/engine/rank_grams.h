// SPDX-License-Identifier: MIT
// The distinct q-grams of each ranked record, gathered while the gram
// index is built.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

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
      : words_((size_t{1} << (8 * kGram)) / 64),
        bits_(static_cast<uint64_t*>(std::calloc(words_, sizeof(uint64_t)))),
        summary_((words_ + kBlock * 64 - 1) / (kBlock * 64), 0) {
    if (bits_ == nullptr) throw std::bad_alloc();
  }
  ~KeyBits() { std::free(bits_); }
  KeyBits(const KeyBits&) = delete;
  KeyBits& operator=(const KeyBits&) = delete;

  bool test_and_set(uint32_t key) {
    const uint64_t bit = uint64_t{1} << (key & 63);
    const bool was = (bits_[key >> 6] & bit) != 0;
    bits_[key >> 6] |= bit;
    const size_t block = (key >> 6) / kBlock;
    summary_[block >> 6] |= uint64_t{1} << (block & 63);
    return was;
  }
  // Clears the key's word, and any other key in it.
  void clear_word(uint32_t key) { bits_[key >> 6] = 0; }
  // Calls visit(key) for every key in ascending order, and clears the set.
  template <class Visit>
  void drain(Visit&& visit) {
    for (size_t s = 0; s < summary_.size(); ++s) {
      for (uint64_t blocks = summary_[s]; blocks != 0; blocks &= blocks - 1) {
        const size_t first = (s * 64 + __builtin_ctzll(blocks)) * kBlock;
        for (size_t w = first; w < std::min(first + kBlock, words_); ++w) {
          for (uint64_t bits = bits_[w]; bits != 0; bits &= bits - 1)
            visit(static_cast<uint32_t>(w * 64 + __builtin_ctzll(bits)));
          bits_[w] = 0;
        }
      }
      summary_[s] = 0;
    }
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
