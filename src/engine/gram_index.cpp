// SPDX-License-Identifier: MIT
#include "engine/gram_index.h"

#include <algorithm>
#include <bit>
#include <numeric>
#include <type_traits>

#include "common/check.h"
#include "engine/grams.h"
#include "engine/rank_grams.h"

namespace vexaro {
namespace {

// Bitsets of frequent grams are kept whole; the rest are spread per row.
constexpr size_t kDenseBudget = size_t{16} << 20;
// Fewer ranks than this are not worth renumbering.
constexpr int32_t kFewestToCompact = 1024;

// The bitset words of `ranks` ranks, padded to whole cache lines.
size_t padded_words_of(int32_t ranks) {
  const size_t words = words_for(static_cast<size_t>(ranks));
  return (words + kLineWords - 1) / kLineWords * kLineWords;
}

}  // namespace

GramIndex::GramIndex(const PreparedRecords& records, const RecordIndex& index, int32_t dense_share)
    : count_(index.size()), live_count_(index.size()), postings_(index.size()) {
  length_.resize(count_);
  read_length_.resize(count_);
  for (int32_t record = 0; record < count_; ++record) {
    length_[record] = records.candidate_length(record);
    read_length_[record] = index.stored_lengths[record];
  }
  record_at_ = records.by_candidate_length();
  rank_of_.resize(count_);
  for (int32_t rank = 0; rank < count_; ++rank) rank_of_[record_at_[rank]] = rank;
  place_at_ = record_at_;
  muted_.assign(count_, false);

  RankGrams grams(records, record_at_);
  grams.each_key([&](uint32_t key) { ids_.append(key); });
  ids_.seal();
  const std::vector<uint32_t> holders = count_holders(grams);
  choose_dense(holders, dense_share);
  fill_postings(grams, holders);
  scratch_slot_.assign(ids_.size(), -1);
  lay_out(count_);
}

// Per gram id, how many ranks hold it; one more entry, zero.
std::vector<uint32_t> GramIndex::count_holders(RankGrams& grams) const {
  std::vector<uint32_t> holders(ids_.size() + 1, 0);
  for (int32_t rank = 0; rank < count_; ++rank) {
    for (uint32_t key : grams.of(rank)) ++holders[ids_.find(key)];
  }
  return holders;
}

// Grams held by more ranks than a bitset has words are cheaper kept whole,
// the most held first, within a budget.
void GramIndex::choose_dense(const std::vector<uint32_t>& holders, int32_t dense_share) {
  const int32_t least_holders = words_for(count_) / dense_share;
  const size_t padded_words = padded_words_of(count_);
  std::vector<int32_t> by_holders(ids_.size());
  std::iota(by_holders.begin(), by_holders.end(), 0);
  std::stable_sort(by_holders.begin(), by_holders.end(),
                   [&](int32_t a, int32_t b) { return holders[a] > holders[b]; });
  const size_t most_dense =
      padded_words == 0 ? 0 : kDenseBudget / (sizeof(uint64_t) * padded_words);
  dense_at_.assign(ids_.size(), -1);
  for (size_t d = 0; d < std::min(most_dense, by_holders.size()); ++d) {
    if (holders[by_holders[d]] < static_cast<uint32_t>(least_holders)) break;
    dense_at_[by_holders[d]] = static_cast<int32_t>(d);
    ++dense_count_;
  }
  dense_.assign(static_cast<size_t>(dense_count_) * padded_words, 0);
}

// The whole bitsets are set straight away, and the other grams listed
// with their ranks ascending: the frequent grams' postings would be most
// of the index's memory on the largest inputs.
void GramIndex::fill_postings(RankGrams& grams, const std::vector<uint32_t>& holders) {
  const size_t keys = static_cast<size_t>(ids_.size());
  const size_t padded_words = padded_words_of(count_);
  posting_begin_.assign(keys + 1, 0);
  for (size_t id = 0; id < keys; ++id)
    posting_begin_[id + 1] = posting_begin_[id] + (dense_at_[id] < 0 ? holders[id] : 0);
  std::vector<uint32_t> fill(posting_begin_.begin(), posting_begin_.end() - 1);
  postings_.with([&](auto& postings) {
    using Rank = typename std::remove_reference_t<decltype(postings)>::value_type;
    postings.resize(posting_begin_.back());
    for (int32_t rank = 0; rank < count_; ++rank) {
      for (uint32_t key : grams.of(rank)) {
        const int32_t id = ids_.find(key);
        if (dense_at_[id] >= 0) {
          set_bit(&dense_[dense_at_[id] * padded_words], rank);
        } else {
          postings[fill[id]++] = static_cast<Rank>(rank);
        }
      }
    }
  });
}

// Sizes the bitsets for `ranks` ranks and fills what depends on the ranks.
void GramIndex::lay_out(int32_t ranks) {
  ranks_ = ranks;
  words_ = words_for(ranks);
  const size_t padded_words = padded_words_of(ranks);
  live_.assign(padded_words, 0);
  listed_.assign(padded_words, 0);
  word_shortest_.assign(words_, 0);
  word_longest_read_.assign(words_, 0);
  for (int32_t rank = 0; rank < ranks; ++rank) {
    const int32_t record = record_at_[rank], word = word_of_bit(rank);
    set_bit(live_.data(), rank);
    if (!muted_[record]) set_bit(listed_.data(), rank);
    if (place_of_bit(rank) == 0) word_shortest_[word] = length_[record];
    word_longest_read_[word] = std::max(word_longest_read_[word], read_length_[record]);
  }
  for (int32_t id : scratch_ids_) scratch_slot_[id] = -1;
  scratch_ids_.clear();
  scratch_.clear();
  zero_.assign(padded_words, 0);
  counter_.assign(padded_words);
  word_most_.assign(padded_words, 0);
}

// Renumbers the live records only, so that rows count and list over them
// alone. Called when half of the ranks have retired, it costs about as much
// as building the index did, all in all.
void GramIndex::compact() {
  std::vector<int32_t> renumbered(ranks_, -1);
  int32_t ranks = 0;
  for (int32_t rank = 0; rank < ranks_; ++rank) {
    const int32_t record = record_at_[rank];
    if (!test_bit(live_.data(), rank)) {
      rank_of_[record] = -1;
      continue;
    }
    renumbered[rank] = ranks;
    rank_of_[record] = ranks;
    place_at_[ranks] = place_at_[rank];
    record_at_[ranks++] = record;
  }
  record_at_.resize(ranks);
  place_at_.resize(ranks);
  postings_.with([&](auto& postings) {
    using Rank = typename std::remove_reference_t<decltype(postings)>::value_type;
    uint32_t kept = 0;
    const size_t keys = static_cast<size_t>(ids_.size());
    for (size_t id = 0; id < keys; ++id) {
      const uint32_t begin = posting_begin_[id];
      posting_begin_[id] = kept;
      for (uint32_t i = begin; i < posting_begin_[id + 1]; ++i) {
        if (renumbered[postings[i]] >= 0)
          postings[kept++] = static_cast<Rank>(renumbered[postings[i]]);
      }
    }
    posting_begin_[keys] = kept;
    postings.resize(kept);
  });
  squeeze_dense(renumbered, ranks);
  lay_out(ranks);
}

// Renumbers the whole bitsets in place: a rank never moves up, so each
// bitset's new words land at or before the old words still to be read.
void GramIndex::squeeze_dense(const std::vector<int32_t>& renumbered, int32_t ranks) {
  const size_t old_padded = zero_.size();
  const size_t new_padded = padded_words_of(ranks);
  for (size_t d = 0; d < static_cast<size_t>(dense_count_); ++d) {
    const uint64_t* in = &dense_[d * old_padded];
    uint64_t* out = &dense_[d * new_padded];
    size_t out_word = 0;
    uint64_t building = 0;
    for (size_t w = 0; w < old_padded; ++w) {
      for_each_bit(in[w] & live_[w], [&](int place) {
        const int32_t rank = renumbered[w * kWordBits + place];
        for (; out_word < static_cast<size_t>(word_of_bit(rank)); building = 0)
          out[out_word++] = building;
        building |= mask_of_bit(rank);
      });
    }
    for (; out_word < new_padded; building = 0) out[out_word++] = building;
  }
  dense_.resize(static_cast<size_t>(dense_count_) * new_padded);
}

void GramIndex::retire(int32_t record) {
  const int32_t rank = rank_of_[record];
  VEXARO_ASSERT(rank >= 0 && test_bit(live_.data(), rank));
  clear_bit(live_.data(), rank);
  clear_bit(listed_.data(), rank);
  if (--live_count_ * 2 < ranks_ && ranks_ >= kFewestToCompact) compact();
}

void GramIndex::mute(int32_t record, bool muted) {
  muted_[record] = muted;
  const int32_t rank = rank_of_[record];
  if (rank < 0 || !test_bit(live_.data(), rank)) return;
  if (muted) {
    clear_bit(listed_.data(), rank);
  } else {
    set_bit(listed_.data(), rank);
  }
}

// Sets or clears the bits of the ranks from first_rank to end_rank that
// hold the row's rarer grams. Each thread does it for the words it counts,
// so that the bitsets stay in the cache of the core that reads them.
void GramIndex::spread_rare(int32_t first_rank, int32_t end_rank, bool set) {
  const size_t padded_words = zero_.size();
  const auto first = static_cast<uint32_t>(first_rank), end_at = static_cast<uint32_t>(end_rank);
  postings_.with([&](const auto& postings) {
    for (size_t s = 0; s < scratch_ids_.size(); ++s) {
      const int32_t id = scratch_ids_[s];
      const auto* const begin = postings.data() + posting_begin_[id];
      const auto* const end = postings.data() + posting_begin_[id + 1];
      uint64_t* bits = &scratch_[s * padded_words];
      for (const auto* p = std::lower_bound(begin, end, first); p != end && *p < end_at; ++p) {
        if (set) {
          set_bit(bits, *p);
        } else {
          bits[word_of_bit(*p)] = 0;
        }
      }
    }
  });
}

void GramIndex::prepare_row(ItemView reference) {
  const size_t padded_words = zero_.size();
  for (int32_t id : scratch_ids_) scratch_slot_[id] = -1;
  scratch_ids_.clear();
  window_ids_.clear();
  for_each_window(reference, [&](int32_t start, bool clean) {
    const int32_t id = clean ? ids_.find(gram_key(reference.bytes + start)) : -1;
    window_ids_.push_back(id);
    if (id >= 0 && dense_at_[id] < 0 && scratch_slot_[id] < 0) {
      scratch_slot_[id] = static_cast<int32_t>(scratch_ids_.size());
      scratch_ids_.push_back(id);
    }
  });
  if (scratch_.size() < scratch_ids_.size() * padded_words) {
    scratch_.resize(scratch_ids_.size() * padded_words, 0);
  }
  auto bitset_of = [&](int32_t id) -> const uint64_t* {
    if (id < 0) return nullptr;
    if (dense_at_[id] >= 0) return &dense_[static_cast<size_t>(dense_at_[id]) * padded_words];
    return &scratch_[static_cast<size_t>(scratch_slot_[id]) * padded_words];
  };
  // Byte p of the reference lies under windows p-q+1 to p, whose bitsets
  // stand at window_sets_[p] to [p+q-1] after q-1 empty ones (q = kGram). A run of
  // empty windows is cut to q-1: bytes under empty windows alone count
  // nothing.
  window_sets_.assign(kGram - 1, zero_.data());
  int32_t empty_run = kGram - 1;
  auto append = [&](const uint64_t* set) {
    if (set != nullptr) {
      empty_run = 0;
    } else if (empty_run == kGram - 1) {
      return;
    } else {
      ++empty_run;
      set = zero_.data();
    }
    window_sets_.push_back(set);
  };
  for (int32_t id : window_ids_) append(bitset_of(id));
  for (int32_t k = 0; k < kGram - 1; ++k) append(nullptr);
  bytes_ = static_cast<int32_t>(window_sets_.size()) - (kGram - 1);
  planes_ = std::bit_width(static_cast<uint32_t>(bytes_));
}

// Counted a pair of words at a time, the input of each reference byte
// being the union of the windows over it. Each window's bitset is read
// once: the windows over the last byte are kept for the next.
void GramIndex::count_words(int32_t first_word, int32_t end_word) {
  VEXARO_ASSERT(0 <= first_word && first_word <= end_word && end_word <= words_);
  constexpr int q = kGram;
  using Pair = BitSlicedCounter::Pair;
  constexpr int kPairWords = BitSlicedCounter::kPairWords;
  first_word = first_word / kPairWords * kPairWords;
  end_word = (end_word + kPairWords - 1) / kPairWords * kPairWords;
  spread_rare(first_word * kWordBits, end_word * kWordBits, true);
  for (int32_t word = first_word; word < end_word; word += kPairWords) {
    Pair recent[q - 1];
    load_first_windows<q>(window_sets_.data(), word, recent);
    const uint64_t* const* next_window = window_sets_.data() + q - 1;
    counter_.count_pair(word, bytes_,
                        [&] { return next_window_union<q>(next_window, word, recent); });
    // What a row lists from a word is at most this: most words it passes over.
    for (int32_t i = 0; i < kPairWords; ++i)
      word_most_[word + i] = counter_.most(word + i, listed_[word + i], planes_);
  }
  spread_rare(first_word * kWordBits, end_word * kWordBits, false);
}

int32_t GramIndex::covered(int32_t record) const {
  VEXARO_ASSERT(rank_of_[record] >= 0);
  return counter_.count(rank_of_[record]);
}

uint64_t GramIndex::reaching(int32_t word, int32_t need) const {
  return counter_.reaching(word, need);
}

}  // namespace vexaro
