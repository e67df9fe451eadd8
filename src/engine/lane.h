// SPDX-License-Identifier: MIT
// One lane's own state in a row's search: its pair scorer, the candidates
// it kept (those that may change the row, in slot order), the block of
// slots it evaluates next and the slots listed for the block after, and the
// twin classes it met. Written by the lane's thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/bits.h"
#include "engine/coverage.h"
#include "engine/longest_hit.h"
#include "engine/pair_scorer.h"
#include "records/record_index.h"
#include "scoring/item_rules.h"
#include "scoring/measure.h"

namespace vexaro {

class Lane {
 public:
  Lane(const ItemRules& items, const Measure& measure, const RecordStats& stats, int32_t records,
       int32_t twin_classes)
      : scorer_(items, measure, stats),
        listed_(words_for(records), 0),
        twin_met_(twin_classes, 0) {}

  // Forgets what the lane kept of the last row.
  void start_row() {
    trials_ = {};
    slots_.clear();
    scores_.clear();
    hits_.clear();
    block_.clear();
  }

  PairScorer& scorer() { return scorer_; }
  CoverageTrials& trials() { return trials_; }

  // Whether the lane met a member of the twin class earlier in `row`; from
  // now on it has.
  bool met_twin(int32_t twin, int32_t row) {
    if (twin_met_[twin] == row + 1) return true;
    twin_met_[twin] = row + 1;
    return false;
  }

  // Keeps a scored candidate, or in longest-substrings mode a first hit;
  // slots come in ascending order.
  void keep(int32_t slot, int32_t score) {
    slots_.push_back(slot);
    scores_.push_back(score);
  }
  void keep(int32_t slot, LongestHit hit) {
    slots_.push_back(slot);
    hits_.push_back(hit);
  }
  size_t kept() const { return slots_.size(); }
  int32_t kept_slot(size_t i) const { return slots_[i]; }
  // Its score, or a value not above the best before it.
  int32_t kept_score(size_t i) const { return scores_[i]; }
  const LongestHit& kept_hit(size_t i) const { return hits_[i]; }

  // The slots to evaluate next, in slot order.
  const std::vector<int32_t>& block() const { return block_; }
  void add_to_block(int32_t slot) { block_.push_back(slot); }
  void clear_block() { block_.clear(); }
  // Marks a slot for the next block, in any order.
  void list(int32_t slot) { set_bit(listed_.data(), slot); }
  // The next block: the listed slots from `first` to `end`, in slot order;
  // the marks are cleared.
  void take_listed(int32_t first, int32_t end) {
    block_.clear();
    if (first >= end) return;
    for (int32_t w = word_of_bit(first); w <= word_of_bit(end - 1); ++w) {
      for_each_bit(listed_[w], [&](int place) { block_.push_back(w * kWordBits + place); });
      listed_[w] = 0;
    }
  }

 private:
  PairScorer scorer_;
  CoverageTrials trials_;          // this row's
  std::vector<int32_t> slots_;     // slots kept, ascending
  std::vector<int32_t> scores_;    // per slot kept: its score
  std::vector<LongestHit> hits_;   // per slot kept, in longest-substrings mode: its first hit
  std::vector<int32_t> block_;     // slots of the next block
  std::vector<uint64_t> listed_;   // slots listed for the block after, as bits
  std::vector<int32_t> twin_met_;  // per twin class: 1 + the last row in which the lane met one
};

}  // namespace vexaro
