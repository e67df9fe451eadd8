// SPDX-License-Identifier: MIT
// An index from q-grams to the candidates that hold them, laid out so that a
// row learns, for every live candidate at once, how many bytes of its
// reference are covered by q-grams the candidate holds. That count bounds
// what the two can have in common (every q-gram of a counted piece occurs
// in both items), and a row only looks closer at the candidates whose count
// could beat its best.
//
// Candidates are numbered by rank, shortest prepared item first, so that the
// 64 ranks of one bitset word have nearly the same length and so nearly the
// same count to reach. Per row, each reference byte gives the bitset of the
// ranks holding some q-gram over it, and these bitsets are summed column by
// column by a bit-sliced counter (bit_sliced_counter.h).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/bits.h"
#include "engine/bit_sliced_counter.h"
#include "engine/gram_ids.h"
#include "engine/prepared_records.h"
#include "engine/rank_postings.h"
#include "records/record_index.h"

namespace vexaro {

class RankGrams;

class GramIndex {
 public:
  // Grams held by at least words() / dense_share ranks are kept as whole
  // bitsets, the most held first, within a budget. A row spreads the
  // others once; an index that many queries count over spares them the
  // spreading of the fairly frequent ones (engine/gram_query.h).
  GramIndex(const PreparedRecords& records, const RecordIndex& index, int32_t dense_share = 1);

  // The record is now a reference: it is no candidate of any later row.
  void retire(int32_t record);
  // Leaves a live record out of what collect hands out, or takes it back.
  void mute(int32_t record, bool muted);

  // Counts, for every live candidate, the reference bytes its q-grams
  // cover: prepare_row once, then count_words over every bitset word once,
  // which threads may share in ranges that start and end at even words.
  void prepare_row(ItemView reference);
  void count_words(int32_t first_word, int32_t end_word);
  int32_t words() const { return words_; }

  // The count of the last row for a live record.
  int32_t covered(int32_t record) const;

  // Tells the index where the caller keeps a record, which collect then
  // hands out instead of the record: one load less per candidate listed.
  // A record not placed stands for itself.
  void place(int32_t record, int32_t place) {
    if (const int32_t rank = rank_of_[record]; rank >= 0) place_at_[rank] = place;
  }

  // Calls visit(place) for every live record not muted, of the bitset words from
  // first_word to end_word whose count reaches need(word), the least count
  // that can matter in that word.
  template <class Need, class Visit>
  void collect(int32_t first_word, int32_t end_word, Need&& need, Visit&& visit) const {
    for (int32_t word = first_word; word < std::min(end_word, words_); ++word) {
      uint64_t bits = listed_[word];
      if (bits == 0) continue;
      const int32_t least = need(word);
      if (word_most_[word] < least) continue;
      bits &= reaching(word, least);
      for_each_bit(bits, [&](int place) { visit(place_at_[word * kWordBits + place]); });
    }
  }

  // The bitset word of a live record.
  int32_t word_of(int32_t record) const { return word_of_bit(rank_of_[record]); }

  // What bounds the candidates of a bitset word: the shortest prepared
  // item among them and the longest record as read.
  int32_t shortest(int32_t word) const { return word_shortest_[word]; }
  int32_t longest_read(int32_t word) const { return word_longest_read_[word]; }

  // What a count kept outside the index reads (engine/gram_query.h), for an
  // index that no row retires records from.
  int32_t rank_of(int32_t record) const { return rank_of_[record]; }
  int32_t place_of_rank(int32_t rank) const { return place_at_[rank]; }
  uint64_t listed_word(int32_t word) const { return listed_[word]; }
  size_t padded_words() const { return zero_.size(); }
  // The id of a q-gram some record holds, or -1.
  int32_t gram_id(uint32_t key) const { return ids_.find(key); }
  // The whole bitset of a frequent gram, padded_words() words, or nullptr
  // for a rarer one.
  const uint64_t* dense_bitset(int32_t id) const {
    return dense_at_[id] < 0 ? nullptr
                             : &dense_[static_cast<size_t>(dense_at_[id]) * padded_words()];
  }
  // use(begin, end) over the ascending ranks that hold a rarer gram.
  template <class Use>
  void with_postings(int32_t id, Use&& use) const {
    postings_.with([&](const auto& postings) {
      use(postings.data() + posting_begin_[id], postings.data() + posting_begin_[id + 1]);
    });
  }

 private:
  uint64_t reaching(int32_t word, int32_t need) const;  // ranks whose count >= need
  void lay_out(int32_t ranks);
  void squeeze_dense(const std::vector<int32_t>& renumbered, int32_t ranks);
  std::vector<uint32_t> count_holders(RankGrams& grams) const;
  void choose_dense(const std::vector<uint32_t>& holders, int32_t dense_share);
  void fill_postings(RankGrams& grams, const std::vector<uint32_t>& holders);
  void spread_rare(int32_t first_rank, int32_t end_rank, bool set);
  void compact();

  int32_t count_;       // records
  int32_t live_count_;  // records not yet retired
  // Records numbered: the live ones, and those retired since the last renumbering.
  int32_t ranks_ = 0;
  int32_t words_ = 0;
  std::vector<int32_t> length_, read_length_;  // per record: prepared and stored lengths
  std::vector<int32_t> record_at_, rank_of_;
  std::vector<int32_t> place_at_;  // per rank: where the caller keeps its record
  Bitsets live_;                   // per rank: not yet a reference
  Bitsets listed_;                 // per rank: live and not muted
  std::vector<bool> muted_;        // per record
  std::vector<int32_t> word_shortest_, word_longest_read_;
  GramIds ids_;                          // per gram: its id, in ascending order of grams
  std::vector<uint32_t> posting_begin_;  // per id: where its ranks start
  RankPostings postings_;                // ranks holding each rarer gram, ascending
  std::vector<int32_t> dense_at_;        // per id: its bitset in dense_, or -1
  int32_t dense_count_ = 0;              // grams kept as whole bitsets
  Bitsets dense_;                        // bitsets of the most frequent grams
  // Row state: the bitset of each reference window, and per reference byte
  // the windows over it.
  Bitsets zero_;
  Bitsets scratch_;                    // bitsets of the row's rarer grams
  std::vector<int32_t> scratch_ids_;   // the gram of each
  std::vector<int32_t> scratch_slot_;  // per id: its bitset in scratch_, or -1
  std::vector<int32_t> window_ids_;
  std::vector<const uint64_t*> window_sets_;  // per window, between empty ones
  int32_t bytes_ = 0;
  int planes_ = 0;                  // the counter's planes that counts below bytes_ + 1 can reach
  BitSlicedCounter counter_;        // per rank: the reference bytes its q-grams cover
  std::vector<int32_t> word_most_;  // per bitset word: the highest count of its listed ranks
};

}  // namespace vexaro
