// SPDX-License-Identifier: MIT
#include "engine/gram_query.h"

#include <algorithm>
#include <bit>

#include "common/check.h"
#include "engine/grams.h"

namespace vexaro {

GramQuery::GramQuery(const GramIndex& grams)
    : grams_(grams), rare_slots_(kMaxPrepared), empty_block_(kBlockWords, 0) {
  static_assert(kBlockWords % BitSlicedCounter::kPairWords == 0);
  counter_.assign(grams.padded_words());
  completed_.assign(words_for(grams.padded_words()), 0);
}

// The windows of the query in the order of its bytes, as the row's count
// lists them: byte p lies under windows p-q+1 to p, which stand at
// windows_[p] to [p+q-1] after q-1 empty ones (q = kGram), and a run of
// empty windows is cut to q-1, since bytes under empty windows alone count
// nothing.
void GramQuery::prepare(ItemView query) {
  rare_ids_.clear();
  rare_slots_.reset(static_cast<uint32_t>(std::max(query.length, 0)));
  windows_.assign(kGram - 1, Window{nullptr, -1});
  int32_t empty_run = kGram - 1;
  auto append = [&](Window window) {
    if (window.dense != nullptr || window.rare >= 0) {
      empty_run = 0;
    } else if (empty_run == kGram - 1) {
      return;
    } else {
      ++empty_run;
    }
    windows_.push_back(window);
  };
  for_each_window(query, [&](int32_t start, bool clean) {
    Window window{nullptr, -1};
    const uint32_t key = gram_key(query.bytes + start);
    const int32_t id = clean ? grams_.gram_id(key) : -1;
    if (id >= 0) {
      window.dense = grams_.dense_bitset(id);
      if (window.dense == nullptr) {
        int32_t& slot = rare_slots_.insert(key);
        if (slot < 0) {
          slot = static_cast<int32_t>(rare_ids_.size());
          rare_ids_.push_back(id);
        }
        window.rare = slot;
      }
    }
    append(window);
  });
  for (int32_t k = 0; k < kGram - 1; ++k) append({nullptr, -1});
  bytes_ = static_cast<int32_t>(windows_.size()) - (kGram - 1);
  count_planes_ = std::clamp(static_cast<int>(std::bit_width(static_cast<uint32_t>(bytes_))), 1,
                             BitSlicedCounter::kPlanes);
  // Byte p is countable when one of windows_[p] to [p+q-1] is held.
  countable_ = 0;
  for (int32_t p = 0, last_held = -kGram; p < static_cast<int32_t>(windows_.size()); ++p) {
    if (windows_[p].dense != nullptr || windows_[p].rare >= 0) last_held = p;
    if (p >= kGram - 1 && last_held > p - kGram) ++countable_;
  }
  const size_t slots = rare_ids_.size();
  if (block_bits_.size() < slots * kBlockWords) block_bits_.resize(slots * kBlockWords, 0);
  rare_begin_.resize(slots);
  rare_end_.resize(slots);
}

void GramQuery::count_block(int32_t block, const int32_t* need) {
  // Pairs of words are counted: the last word may be followed by its
  // pair's, which the padding of the bitsets holds.
  constexpr int32_t kPairWords = BitSlicedCounter::kPairWords;
  const int32_t first = first_word(block);
  const int32_t end = (end_word(block) + kPairWords - 1) / kPairWords * kPairWords;
  spread(first, end, true);
  count_words(first, end, need);
  spread(first, end, false);
}

// Sets the bits of the ranks of the block's words that hold each rarer
// gram, or clears them again.
void GramQuery::spread(int32_t first_word, int32_t end_word, bool set) {
  const auto first_rank = static_cast<uint32_t>(first_word * kWordBits);
  const auto end_rank = static_cast<uint32_t>(end_word * kWordBits);
  for (size_t s = 0; s < rare_ids_.size(); ++s) {
    uint64_t* bits = &block_bits_[s * kBlockWords];
    grams_.with_postings(rare_ids_[s], [&](auto begin, auto end) {
      if (set) {
        const auto from = std::lower_bound(begin, end, first_rank);
        auto p = from;
        for (; p != end && *p < end_rank; ++p) set_bit(bits, *p - first_rank);
        rare_begin_[s] = static_cast<uint32_t>(from - begin);
        rare_end_[s] = static_cast<uint32_t>(p - begin);
      } else {
        for (auto p = begin + rare_begin_[s]; p != begin + rare_end_[s]; ++p)
          bits[word_of_bit(*p - first_rank)] = 0;
      }
    });
  }
}

// Counted a pair of words at a time, the input of each query byte being
// the union of the windows over it; each window's bitset is read once.
void GramQuery::count_words(int32_t first_word, int32_t end_word, const int32_t* need) {
  VEXARO_ASSERT(end_word - first_word <= kBlockWords);
  constexpr int q = kGram;
  using Pair = BitSlicedCounter::Pair;
  block_sets_.resize(windows_.size());
  for (size_t i = 0; i < windows_.size(); ++i) {
    const Window& window = windows_[i];
    if (window.dense != nullptr) {
      block_sets_[i] = window.dense + first_word;
    } else if (window.rare >= 0) {
      block_sets_[i] = &block_bits_[static_cast<size_t>(window.rare) * kBlockWords];
    } else {
      block_sets_[i] = empty_block_.data();
    }
  }
  const int32_t words = grams_.words();
  for (int32_t word = first_word; word < end_word; word += BitSlicedCounter::kPairWords) {
    const int32_t at = word - first_word;
    // The pair's least need; a padding word's counts matter to nobody.
    const int32_t pair_need = word + 1 < words ? std::min(need[at], need[at + 1]) : need[at];
    if (pair_need > countable_) {  // no count of the pair can matter: all read 0
      counter_.count_pair_reaching(word, 0, 0, [] { return Pair{}; });
      mark_completed(word, false);
      continue;
    }
    Pair recent[q - 1];
    load_first_windows<q>(block_sets_.data(), at, recent);
    const uint64_t* const* next_window = block_sets_.data() + q - 1;
    const bool completed = counter_.count_pair_reaching(
        word, bytes_, pair_need, [&] { return next_window_union<q>(next_window, at, recent); });
    mark_completed(word, completed);
  }
}

// Marks both words of a pair as counted to the end, or not.
void GramQuery::mark_completed(int32_t word, bool completed) {
  static_assert(BitSlicedCounter::kPairWords == 2);
  uint64_t& bits = completed_[word_of_bit(word)];
  const uint64_t pair = uint64_t{3} << place_of_bit(word);
  bits = completed ? bits | pair : bits & ~pair;
}

}  // namespace vexaro
