// SPDX-License-Identifier: MIT
// A query's count over a gram index: for every record at once, how many
// bytes of the query the record's q-grams cover, as a row counts its
// reference (gram_index.h), but kept here instead of in the index, so that
// any number of queries count over one index at once. The index must be one
// that no row retires records from. The words are counted a block at a
// time, and only the blocks a caller asks for: records much longer or
// shorter than the query are often not worth counting. The rarer q-grams
// are spread into bitsets of one block, which stay in the cache however
// many records the index holds.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/bits.h"
#include "engine/bit_sliced_counter.h"
#include "engine/gram_index.h"
#include "engine/gram_table.h"
#include "scoring/item.h"

namespace vexaro {

class GramQuery {
 public:
  // The index must outlive the query.
  explicit GramQuery(const GramIndex& grams);

  static constexpr int32_t kBlockWords = 32;  // bitset words counted at a time

  // Lists the windows of `query`; counts nothing yet.
  void prepare(ItemView query);
  // The most any record's count can reach: the query bytes under a window
  // that some record holds.
  int32_t countable() const { return countable_; }
  int32_t blocks() const { return (grams_.words() + kBlockWords - 1) / kBlockWords; }
  int32_t first_word(int32_t block) const { return block * kBlockWords; }
  int32_t end_word(int32_t block) const {
    return std::min(first_word(block) + kBlockWords, grams_.words());
  }
  // Counts, for every record of the block's words, the bytes of the query
  // its q-grams cover, where it can be need[w] or more for word w of the
  // block (need[0] for its first word): a count that cannot reads 0.
  void count_block(int32_t block, const int32_t* need);

  const GramIndex& index() const { return grams_; }
  // What follows reads the counts of blocks counted since prepare.
  // The last count of a record.
  int32_t covered(int32_t record) const { return covered_at(grams_.rank_of(record)); }
  int32_t covered_at(int32_t rank) const { return counter_.count(rank); }
  // The listed ranks of a bitset word whose count reaches `need`.
  uint64_t reaching(int32_t word, int32_t need) const {
    if (need > 0 && !test_bit(completed_.data(), word)) return 0;
    return grams_.listed_word(word) & counter_.reaching(word, need, count_planes_);
  }
  // The highest count of a listed rank of the word, 0 if none.
  int32_t most(int32_t word) const {
    if (!test_bit(completed_.data(), word)) return 0;
    return counter_.most(word, grams_.listed_word(word));
  }

 private:
  // A byte's q-gram window as counted: a frequent gram's whole bitset, or
  // a rarer gram's slot among the block's bitsets; neither for a window no
  // record holds.
  struct Window {
    const uint64_t* dense;
    int32_t rare;
  };
  void spread(int32_t first_word, int32_t end_word, bool set);
  void count_words(int32_t first_word, int32_t end_word, const int32_t* need);
  void mark_completed(int32_t word, bool completed);

  const GramIndex& grams_;
  GramTable rare_slots_;              // per rarer gram key of the query: its slot
  std::vector<int32_t> rare_ids_;     // per slot: the gram's id
  std::vector<uint32_t> rare_begin_;  // per slot: the block's postings, in the gram's
  std::vector<uint32_t> rare_end_;
  std::vector<Window> windows_;  // q-1 empty ones, then one per counted byte
  Bitsets block_bits_;           // per slot: its bits in the block counted
  Bitsets empty_block_;
  std::vector<const uint64_t*> block_sets_;  // per window: its bitset in the block
  int32_t bytes_ = 0;                        // counted bytes
  int32_t countable_ = 0;
  int count_planes_ = BitSlicedCounter::kPlanes;  // the low planes a count of bytes_ reaches
  BitSlicedCounter counter_;                      // per rank: the query bytes covered
  // Per bitset word: whether its counts were carried to the end; the counts
  // of a word given up on all read 0, and no rank of it needs a look.
  Bitsets completed_;
};

}  // namespace vexaro
