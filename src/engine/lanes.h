// SPDX-License-Identifier: MIT
// How a row is shared between threads. Each thread searches one lane: with
// a gram index of enough bitset words, the candidates of a range of them,
// whose counts the lane makes itself; otherwise a stretch of slots, finer
// than a few words could be. A lane searches its candidates in slot order
// against its own best and the bests the other lanes showed before each
// slot; what the lanes found is merged in slot order afterwards, so the
// outcome is that of a one-by-one search.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/coverage.h"
#include "engine/pair_scorer.h"

namespace vexaro {

// A lane's best at the moment a slot raised it.
struct Shown {
  int32_t slot;
  int32_t best;
};

struct Lane {
  std::unique_ptr<PairScorer> scorer;
  std::vector<int32_t> taken;    // slots scored, ascending
  std::vector<int32_t> scores;   // per slot taken: its score, or a value not above the best before
  std::vector<SingleHit> hits;   // per slot taken, in single mode: its first hit
  std::vector<int32_t> block;    // slots of the next block
  std::vector<uint64_t> listed;  // slots of the share that may beat its best, as bits
  int32_t from = 0, to = 0;      // the slots it searches
  int32_t first_word = 0, end_word = 0;             // the bitset words whose candidates are its own
  std::vector<Shown> shown;                         // each rise of its best, in slot order
  alignas(64) std::atomic<int32_t> shown_count{0};  // entries of `shown` the others may read
  std::vector<int32_t> read;                        // per lane: its entries already counted on
  std::vector<int32_t> twin_seen;  // per twin class: 1 + the last row in which the lane took one
  CoverageTrials trials;           // this row's
  double starts_at = 0;  // where its share begins, as a share of the slots or of the words
  std::chrono::steady_clock::duration busy{};
};

class LaneSchedule {
 public:
  // Lanes share a row by index words when there are this many, else by slots.
  static constexpr int32_t kFewestWordsToShare = 64;

  LaneSchedule(const ItemRules& items, const Measure& measure, const RecordStats& stats, int lanes,
               int32_t records, int32_t twin_classes);

  int size() const { return static_cast<int>(lanes_.size()); }
  Lane& operator[](int index) { return *lanes_[index]; }

  // Gives each of the first `lanes` lanes its share of the row's slots
  // row+1 to count-1, by the index's `words` bitset words when there are
  // enough of them. Shown bests are reset before any thread starts: a lane
  // must never count on an earlier row's.
  void share_out(int32_t row, int32_t count, int lanes, int32_t words);
  bool by_words() const { return by_words_; }

  // Publishes a rise of the lane's best, for the other lanes' later slots.
  static void show(Lane& lane, int32_t slot, int32_t best);
  // The best the other lanes have shown at slots before `slot`: a score the
  // row has certainly reached before it.
  int32_t shown_before(int index, int lanes, int32_t slot);

  // Calls take(lane, i) for the i-th candidate each lane took, in slot order.
  template <class Take>
  void merge(int lanes, Take&& take) {
    next_.assign(lanes, 0);
    for (;;) {
      int first = -1;
      for (int lane = 0; lane < lanes; ++lane) {
        const Lane& l = *lanes_[lane];
        if (next_[lane] < l.taken.size() &&
            (first < 0 || l.taken[next_[lane]] < lanes_[first]->taken[next_[first]]))
          first = lane;
      }
      if (first < 0) return;
      take(*lanes_[first], next_[first]++);
    }
  }

  // Moves the borders between shares towards the lanes that finished first:
  // the work of a row is far from even across its shares. Only the time a
  // run takes depends on where the borders are.
  void balance(int lanes);

 private:
  std::vector<std::unique_ptr<Lane>> lanes_;
  std::vector<size_t> next_;  // per lane: its next candidate to merge
  bool by_words_ = true;
};

}  // namespace vexaro
